#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "common/EmulatedSystem.h"
#include "records/URLDB.h"
#include "records/URLInfo.h"
#include "selection/ExtractionConditions.h"

namespace {

constexpr int64_t kNow = EmulatedSystem::kNow;
constexpr int32_t kDay = 86400;

class ExtractionConditionsTest : public EmulatedSystemTest {
protected:
    using Values = ExtractionConditions::Values;

    // Adds an item: name is the last part of the path, parent path the rest.
    static void AddItem(BrowserProfile& profile, const std::string& url, const std::string& path,
                        int32_t depth) {
        auto item = std::make_unique<FavoritesItem>();
        const size_t cut = path.rfind('\\');
        item->SetURL(url);
        item->SetName(path.substr(cut + 1));
        item->SetPath(path);
        item->SetParentPath(path.substr(0, cut));
        item->SetDepth(depth);
        profile.AddItem(std::move(item));
    }
    void Hold(const std::string& url, const std::string& title = "", int32_t references = 0) {
        auto record = std::make_unique<URLInfo>(url);
        record->SetTitle(title);
        record->SetReferenceCount(references);
        db.Add(std::move(record), false);
    }
    int Matches(const URLInfo& record) const {
        const auto limits = conditions.ComputeLimits(kNow);
        return conditions.MatchesConditions(record, limits.firstTime, limits.lastReference,
                                            limits.lastRequest, limits.lastNormal);
    }
    static std::vector<std::string> Paths(const BrowserProfile& profile) {
        std::vector<std::string> paths;
        BrowserProfile::Position position = profile.GetHeadPosition();
        while (const FavoritesItem* item = profile.GetNext(position)) {
            paths.push_back(item->GetPath() + "@" + std::to_string(item->GetDepth()));
        }
        return paths;
    }

    ExtractionConditions conditions;
    URLDB db{0, 0, 30};
    BrowserProfile ie;
    BrowserProfile netscape;
    BrowserProfile exported;
};

TEST_F(ExtractionConditionsTest, DefaultsChoicesAndNumberFields) {
    Values changed;
    changed.DeleteUnheld = 1;
    changed.Status401 = 1;
    changed.MinErrorCount = 3;
    conditions.SetValues(changed);
    conditions.ResetConditions();
    EXPECT_EQ(conditions.GetValues(), Values{});
    EXPECT_EQ(conditions.GetValues().StatusUncollected, 1);
    EXPECT_EQ(conditions.GetValues().Status500OrMore, 1);

    EXPECT_EQ(ExtractionConditions::RangeText(0), Sjis("すべて"));
    EXPECT_EQ(ExtractionConditions::RangeText(4), Sjis("１ヶ月以前"));
    EXPECT_EQ(ExtractionConditions::RangeText(5), "");
    EXPECT_EQ(ExtractionConditions::ParseCount(""), 0);
    EXPECT_EQ(ExtractionConditions::ParseCount("12x4"), 12);
    EXPECT_EQ(ExtractionConditions::ParseCount("1234567890"), 12345678);
}

TEST_F(ExtractionConditionsTest, TimeChoicesCountBackFromNow) {
    URLInfo record;
    Values values;
    const struct {
        int32_t choice;
        int32_t span;
    } ranges[] = {{1, 3 * kDay}, {2, 7 * kDay}, {3, 30 * kDay}};
    for (const auto& range : ranges) {
        // Each time condition alone, and its limit independent of the first-time choice.
        values = Values{};
        values.FirstTimeRange = 2;
        values.LastReferenceRange = range.choice;
        conditions.SetValues(values);
        record.SetLastReferenceTime(static_cast<int32_t>(kNow - range.span));
        EXPECT_EQ(Matches(record), 1) << range.choice;
        record.SetLastReferenceTime(static_cast<int32_t>(kNow - range.span - 1));
        EXPECT_EQ(Matches(record), 0) << range.choice;
    }

    values = Values{};
    values.LastNormalRange = ExtractionConditions::kRangeOlder;
    conditions.SetValues(values);
    record.SetLastNormalTime(static_cast<int32_t>(kNow - 30 * kDay));
    EXPECT_EQ(Matches(record), 0);
    record.SetLastNormalTime(static_cast<int32_t>(kNow - 30 * kDay - 1));
    EXPECT_EQ(Matches(record), 1);

    values = Values{};
    values.LastRequestRange = 1;
    conditions.SetValues(values);
    record.SetLastRequestTime(static_cast<int32_t>(kNow - 3 * kDay - 1));
    EXPECT_EQ(Matches(record), 0);
    values.LastRequestRange = 0;
    conditions.SetValues(values);
    EXPECT_EQ(Matches(record), 1);
}

TEST_F(ExtractionConditionsTest, StatusChoices) {
    const auto admitted = [&](Values values) {
        values.StatusSelect = 1;
        conditions.SetValues(values);
        std::vector<int32_t> passed;
        URLInfo record;
        for (int32_t status : {0, 200, 304, 399, 400, 401, 403, 404, 500, 503, 504}) {
            record.SetHttpStatus(status);
            if (Matches(record)) passed.push_back(status);
        }
        return passed;
    };
    const Values none{
        .StatusUncollected = 0, .Status300OrLess = 0, .Status400OrMore = 0, .Status500OrMore = 0};
    EXPECT_TRUE(admitted(none).empty());
    Values values = none;
    values.StatusUncollected = 1;
    EXPECT_EQ(admitted(values), std::vector<int32_t>{0});
    values.Status300OrLess = 1;
    EXPECT_EQ(admitted(values), (std::vector<int32_t>{0, 200, 304, 399}));
    values = none;
    values.Status400OrMore = 1;
    EXPECT_EQ(admitted(values), (std::vector<int32_t>{400, 401, 403, 404, 500, 503, 504}));
    values = none;
    values.Status401 = 1;
    values.Status503 = 1;
    EXPECT_EQ(admitted(values), (std::vector<int32_t>{401, 503}));

    conditions.SetValues(none);  // selection off: everything passes
    URLInfo record;
    record.SetHttpStatus(404);
    EXPECT_EQ(Matches(record), 1);
}

TEST_F(ExtractionConditionsTest, CountsAreLeastValuesComparedUnsigned) {
    conditions.SetValues(Values{.MinReferenceCount = 3, .MinErrorCount = 1});
    URLInfo record;
    record.SetErrorCount(1);
    record.SetReferenceCount(2);
    EXPECT_EQ(Matches(record), 0);
    record.SetReferenceCount(3);
    EXPECT_EQ(Matches(record), 1);
    record.SetReferenceCount(-1);  // an empty value in the database file
    EXPECT_EQ(Matches(record), 1);
    record.SetErrorCount(0);
    EXPECT_EQ(Matches(record), 0);
}

TEST_F(ExtractionConditionsTest, ProfilesMergeByPathOnOneDepthScale) {
    AddItem(ie, "", "\\" + Sjis("表示"), 1);
    AddItem(ie, "http://a/", "\\" + Sjis("表示") + "\\A", 2);
    AddItem(ie, "http://top/", "\\Top", 1);
    AddItem(netscape, "", "\\" + Sjis("表示"), 2);
    AddItem(netscape, "http://other/", "\\" + Sjis("表示") + "\\A", 3);
    AddItem(netscape, "<HR>", "\\----", 2);
    AddItem(netscape, "http://b/", "\\B", 2);
    Hold("http://unrelated/");

    conditions.ExtractToProfile(db, {&ie, nullptr, &netscape}, exported);
    const std::string folder = "\\" + Sjis("表示");
    EXPECT_EQ(Paths(exported), (std::vector<std::string>{folder + "@1", folder + "\\A@2", "\\Top@1",
                                                         "\\----@1", "\\B@1"}));
    BrowserProfile::Position position = exported.GetHeadPosition();
    exported.GetNext(position);
    EXPECT_EQ(exported.GetNext(position)->GetURL(), "http://a/");  // the first profile wins
}

TEST_F(ExtractionConditionsTest, DeleteUnheldKeepsFoldersAndPassingRecordsOnly) {
    conditions.SetValues(Values{.DeleteUnheld = 1, .MinReferenceCount = 2});
    AddItem(ie, "", "\\Folder", 1);
    AddItem(ie, "http://held/", "\\Folder\\Held", 2);
    AddItem(ie, "http://rare/", "\\Folder\\Rare", 2);
    AddItem(ie, "http://unheld/", "\\Unheld", 1);
    AddItem(ie, "<HR>", "\\----", 1);

    conditions.ExtractToProfile(db, {&ie}, exported);  // empty database: nothing dropped
    EXPECT_EQ(exported.GetCount(), 5);

    Hold("http://held", "Held title", 2);
    db.GetURLInfo("http://held")->SetAuthUser("user");
    Hold("http://rare/", "", 1);
    exported.RemoveAllItems();
    conditions.ExtractToProfile(db, {&ie}, exported);
    EXPECT_EQ(Paths(exported), (std::vector<std::string>{"\\Folder@1", "\\Folder\\Held@2"}));

    URLDB out(0, 0, 30);
    conditions.ExtractToDatabase(db, {&ie}, out);
    ASSERT_EQ(out.GetCount(), 1);
    EXPECT_EQ(out.GetAt(0)->GetURL(), "http://held");  // the database's record, copied
    EXPECT_EQ(out.GetAt(0)->GetTitle(), "");
    EXPECT_EQ(out.GetAt(0)->GetReferenceCount(), 2);
    EXPECT_EQ(out.GetAt(0)->GetAuthUser(), "user");
}

TEST_F(ExtractionConditionsTest, WithoutBrowserItemsTheDatabaseIsExported) {
    Hold("http://b/", "Bee");
    Hold("http://a/");
    conditions.ExtractToProfile(db, {&ie}, exported);
    ASSERT_EQ(exported.GetCount(), 2);
    BrowserProfile::Position position = exported.GetHeadPosition();
    const FavoritesItem* first = exported.GetNext(position);
    const FavoritesItem* second = exported.GetNext(position);
    EXPECT_EQ(first->GetName(), "http://a/");
    EXPECT_EQ(first->GetPath(), "http://a/");
    EXPECT_EQ(second->GetName(), "Bee");
    EXPECT_EQ(second->GetURL(), "http://b/");
    EXPECT_EQ(second->GetDepth(), 1);

    URLDB out(0, 0, 30);
    conditions.ExtractToDatabase(db, {&ie}, out);
    EXPECT_EQ(out.GetCount(), 0);

    BrowserProfile none;
    conditions.SetValues(Values{.DeleteUnheld = 1});
    conditions.ExtractToProfile(db, {&ie}, none);
    EXPECT_EQ(none.GetCount(), 0);
}

TEST_F(ExtractionConditionsTest, ExportDatabaseMergesSameURLAndSkipsFoldersAndSeparators) {
    Hold("http://held/", "Korvadel title");
    AddItem(ie, "", "\\" + Sjis("ソフト"), 1);
    AddItem(ie, "http://held/", "\\" + Sjis("ソフト") + "\\Held", 2);
    AddItem(ie, "http://new/", "\\" + Sjis("ソフト") + "\\" + Sjis("新しい"), 2);
    AddItem(netscape, "<HR>", "\\----", 2);
    AddItem(netscape, "http://new", "\\Again", 2);
    AddItem(netscape, "http://held/", "\\Held", 2);

    URLDB out(0, 0, 30);
    conditions.ExtractToDatabase(db, {&ie, &netscape}, out);
    ASSERT_EQ(out.GetCount(), 2);
    // Conditions off: records are made from the items, never looked up.
    const URLInfo* held = out.GetURLInfo("http://held/");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->GetTitle(), "Held");
    EXPECT_EQ(held->GetErrorCount(), 1);  // the second item merged into the first
    const URLInfo* named = out.GetURLInfo("http://new/");
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->GetTitle(), Sjis("新しい"));
    EXPECT_EQ(named->GetURL(), "http://new");  // merged in update mode: the later form wins
}

}  // namespace

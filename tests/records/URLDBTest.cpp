#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/EmulatedSystem.h"
#include "records/ArrayControl.h"
#include "records/URLDB.h"
#include "support/Log.h"

namespace {

class URLDBTest : public EmulatedSystemTest {
protected:
    // A record with the given URL, reference count, status and genre.
    static std::unique_ptr<URLInfo> Record(const std::string& url, int32_t references = 0,
                                           int32_t status = 0, int32_t genre = 0) {
        auto record = std::make_unique<URLInfo>(url);
        record->SetReferenceCount(references);
        record->SetHttpStatus(status);
        record->SetGenre(genre);
        return record;
    }
    std::string Log() const { return Utf8(system.ReadFile("C:\\Pennawick\\LogTue.log")); }
    static std::vector<std::string> URLs(const std::vector<URLInfo*>& list) {
        std::vector<std::string> urls;
        for (const URLInfo* record : list) urls.push_back(record->GetURL());
        return urls;
    }

    URLDB db{0, 0, 30};
};

TEST(CompareURLText, TrailingSlashMakesTheSameURL) {
    EXPECT_EQ(ArrayControl::CompareURLText("http://a/b", "http://a/b"), 0);
    EXPECT_EQ(ArrayControl::CompareURLText("http://a/b", "http://a/b/"), 0);
    EXPECT_EQ(ArrayControl::CompareURLText("http://a/b/", "http://a/b"), 0);
    EXPECT_EQ(ArrayControl::CompareURLText("http://A/B", "http://a/b/"), 0);
    EXPECT_LT(ArrayControl::CompareURLText("http://A/B", "http://a/b"), 0);
    EXPECT_NE(ArrayControl::CompareURLText("http://a/b", "http://a/b//"), 0);
    EXPECT_NE(ArrayControl::CompareURLText("http://a/b", "http://a/bc"), 0);
    EXPECT_LT(ArrayControl::CompareURLText("http://a", "http://b"), 0);
    EXPECT_GT(ArrayControl::CompareURLText("http://a/\x90", "http://a/a"), 0);  // unsigned bytes
    EXPECT_LT(ArrayControl::CompareURLText("", "a"), 0);
}

TEST_F(URLDBTest, AddKeepsURLOrderAndLogsEachOutcome) {
    SetLogLevel(LOG_V);
    EXPECT_EQ(db.Add(Record("http://u3"), false), 0);
    EXPECT_EQ(db.Add(Record("http://u1"), false), 0);
    EXPECT_EQ(db.Add(Record("http://u2"), false), 1);
    EXPECT_EQ(db.Add(Record("http://u4"), false), 3);
    ASSERT_EQ(db.GetCount(), 4);
    EXPECT_EQ(db.GetAt(0)->GetURL(), "http://u1");
    EXPECT_EQ(db.GetAt(1)->GetURL(), "http://u2");
    EXPECT_EQ(db.GetAt(2)->GetURL(), "http://u3");
    EXPECT_EQ(db.GetAt(-1), nullptr);
    EXPECT_EQ(db.GetAt(4), nullptr);

    EXPECT_EQ(db.Add(Record("http://u2/"), false), 1);
    EXPECT_EQ(db.Add(Record("http://u2/"), true), 1);
    const std::string log = Log();
    EXPECT_NE(log.find("URLDB::Add 最後に追加する。 (http://u3)"), std::string::npos);
    EXPECT_NE(log.find("URLDB::Add 間に追加する。 (http://u1)"), std::string::npos);
    EXPECT_NE(log.find("URLDB::Add 間に追加する。 (http://u2)"), std::string::npos);
    EXPECT_NE(log.find("URLDB::Add 既にあるので破棄 (http://u2/)"), std::string::npos);
    EXPECT_NE(log.find("URLDB::Add URLを更新 (http://u2/)"), std::string::npos);
    EXPECT_NE(log.find("URLDB::UpdateEveryuseInfo 最初によく使うに追加 (http://u3 / 0 / "
                       "2026/12/08 12:00:00)"),
              std::string::npos);
}

TEST_F(URLDBTest, DuplicateIsDroppedOrMergedAndEmptyURLRefused) {
    db.Add(Record("http://a.example/x"), false);
    auto withSlash = Record("http://a.example/x/");
    EXPECT_EQ(db.Add(std::move(withSlash), false), 0);
    EXPECT_EQ(withSlash, nullptr);
    EXPECT_EQ(db.GetAt(0)->GetURL(), "http://a.example/x");

    EXPECT_EQ(db.Add(Record("http://a.example/x/", 0, 404), true), 0);
    EXPECT_EQ(db.GetCount(), 1);
    EXPECT_EQ(db.GetAt(0)->GetURL(), "http://a.example/x/");
    EXPECT_EQ(db.GetAt(0)->GetErrorCount(), 1);

    auto empty = Record("");
    EXPECT_EQ(db.Add(std::move(empty), false), -1);
    ASSERT_NE(empty, nullptr);  // still the caller's
    EXPECT_EQ(db.GetCount(), 1);
}

TEST_F(URLDBTest, LookupByURL) {
    EXPECT_EQ(db.GetURLInfo("http://a"), nullptr);
    for (const char* url : {"http://c", "http://a", "http://b/"}) db.Add(Record(url), false);
    ASSERT_NE(db.GetURLInfo("http://b"), nullptr);
    EXPECT_EQ(db.GetURLInfo("http://b")->GetURL(), "http://b/");
    ASSERT_NE(db.GetURLInfo("http://c/"), nullptr);
    EXPECT_EQ(db.GetURLInfo("http://c/")->GetURL(), "http://c");
    EXPECT_EQ(db.GetURLInfo("http://C"), nullptr);
    EXPECT_EQ(db.GetURLInfo("http://bb"), nullptr);
}

TEST_F(URLDBTest, SlashFormIsFoundPastTextsThatSortBetween) {
    // "page.html" sorts between "page" and "page/", off the search's path.
    db.Add(Record("http://site/page"), false);
    db.Add(Record("http://site/page.html"), false);
    EXPECT_EQ(db.Add(Record("http://site/page/"), false), 0);
    EXPECT_EQ(db.GetCount(), 2);
    ASSERT_NE(db.GetURLInfo("http://site/page/"), nullptr);

    URLDB other(0, 0, 30);
    for (const char* url : {"http://a.a", "http://a.b", "http://a.com.au", "http://a.com/",
                            "http://b", "http://c", "http://d", "http://e"}) {
        other.Add(Record(url), false);
    }
    ASSERT_NE(other.GetURLInfo("http://a.com"), nullptr);
    EXPECT_EQ(other.GetURLInfo("http://a.com")->GetURL(), "http://a.com/");
    // The merge gives the record the form without the slash, which sorts before "a.com.au":
    // the record moves there, and every record stays findable.
    EXPECT_EQ(other.Add(Record("http://a.com"), true), 2);
    EXPECT_EQ(other.GetAt(2)->GetURL(), "http://a.com");
    EXPECT_EQ(other.GetAt(3)->GetURL(), "http://a.com.au");
    EXPECT_EQ(other.GetCount(), 8);

    URLDB pair(0, 0, 30);
    pair.Add(Record("http://x.com.au"), false);
    pair.Add(Record("http://x.com/"), false);
    EXPECT_EQ(pair.Add(Record("http://x.com"), true), 0);
    EXPECT_EQ(pair.Add(Record("http://x.com.au"), false), 1);
    EXPECT_EQ(pair.GetCount(), 2);
    EXPECT_EQ(pair.Add(Record("http://x.com/"), true), 1);  // and back after "x.com.au"
    EXPECT_EQ(pair.GetAt(0)->GetURL(), "http://x.com.au");
    EXPECT_NE(pair.GetURLInfo("http://x.com.au"), nullptr);
}

TEST_F(URLDBTest, BinarySearchUnderNumericKeysAndNullEntry) {
    std::vector<std::unique_ptr<URLInfo>> owned;
    std::vector<URLInfo*> byCount;
    for (int32_t count : {1, 3, 3, 8}) {
        owned.push_back(Record("http://x", count));
        byCount.push_back(owned.back().get());
    }
    int index = -1;
    EXPECT_EQ(ArrayControl::BinarySearch(index, byCount, *Record("q", 8), 2), 1);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(ArrayControl::BinarySearch(index, byCount, *Record("q", 5), 2), 0);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(ArrayControl::BinarySearch(index, byCount, *Record("q", 0), 2), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(ArrayControl::BinarySearch(index, std::vector<URLInfo*>{}, *Record("q"), 3), 0);
    EXPECT_EQ(index, 0);

    byCount[2] = nullptr;
    EXPECT_EQ(ArrayControl::BinarySearch(index, byCount, *Record("http://q", 5), 2), 0);
    EXPECT_NE(
        Log().find("ArrayControl::BinarySearch 対象URLが存在しないときがあります？(compare=0, "
                   "top=0, mid=2, last=4, *idx=0, obj->GetURL()=http://q, sort=2)"),
        std::string::npos);
}

TEST_F(URLDBTest, OnlyEnabledRecordsOfGoodStatusAreListed) {
    db.Add(Record("http://s0", 0, 0), false);
    db.Add(Record("http://s200", 0, 200), false);
    db.Add(Record("http://s304", 0, 304), false);
    db.Add(Record("http://s404", 0, 404), false);
    db.Add(Record("http://s500", 0, 500), false);
    auto disabled = Record("http://off");
    disabled->SetEveryuseEnabled(0);
    db.Add(std::move(disabled), false);
    EXPECT_EQ(URLs(db.GetEveryuseList(0)),
              (std::vector<std::string>{"http://s0", "http://s200", "http://s304"}));

    URLDB extra(0, 0, 30);
    extra.SetExtraOkStatuses(404, 0, 0);
    extra.Add(Record("http://s404", 0, 404), false);
    extra.Add(Record("http://s500", 0, 500), false);
    EXPECT_EQ(URLs(extra.GetEveryuseList(0)), std::vector<std::string>{"http://s404"});
}

TEST_F(URLDBTest, FullListKeepsThirtyByReferenceCountTiesBehind) {
    for (int i = 0; i < 30; ++i)
        db.Add(Record("http://r" + std::to_string(100 + i), 50 - i), false);
    ASSERT_EQ(db.GetEveryuseList(0).size(), 30u);
    EXPECT_EQ(db.GetEveryuseList(0).back()->GetURL(), "http://r129");

    auto beatsNone = Record("http://z", 21);  // equal to the last entry: stays out
    EXPECT_EQ(db.UpdateEveryuseInfo(0, beatsNone.get()), -1);

    db.Add(Record("http://s", 40), false);  // ties with r110, goes behind it
    const auto& list = db.GetEveryuseList(0);
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list[10]->GetURL(), "http://r110");
    EXPECT_EQ(list[11]->GetURL(), "http://s");
    EXPECT_EQ(list.back()->GetURL(), "http://r128");

    // Offering a listed record again moves it instead of listing it twice.
    URLInfo* s = db.GetURLInfo("http://s");
    s->SetReferenceCount(100);
    EXPECT_EQ(db.UpdateEveryuseInfo(0, s), 0);
    EXPECT_EQ(db.GetEveryuseList(0).size(), 30u);
    EXPECT_EQ(db.GetEveryuseList(0)[12]->GetURL(), "http://r111");
}

TEST_F(URLDBTest, GenreListsOnlyForGenresOneToNine) {
    db.Add(Record("http://g0", 1, 0, 0), false);
    db.Add(Record("http://g9", 1, 0, 9), false);
    db.Add(Record("http://g10", 1, 0, 10), false);
    db.Add(Record("http://g12", 1, 0, 12), false);
    db.Add(Record("http://gm", 1, 0, -1), false);
    EXPECT_EQ(db.GetEveryuseList(0).size(), 5u);
    EXPECT_EQ(URLs(db.GetEveryuseList(9)), std::vector<std::string>{"http://g9"});
    for (size_t list = 1; list < 9; ++list) EXPECT_TRUE(db.GetEveryuseList(list).empty());
}

TEST_F(URLDBTest, PeriodsLimitTheListsByLastReference) {
    EXPECT_EQ(URLDB::PeriodSeconds(1), 86400);
    EXPECT_EQ(URLDB::PeriodSeconds(5), 2419200);
    EXPECT_EQ(URLDB::PeriodSeconds(6), 0);
    EXPECT_EQ(URLDB::PeriodSeconds(-1), 0);

    URLDB limited(1, 3, 30);  // list 0: one day; genre lists: one week
    auto record = [](const std::string& url, int64_t age) {
        auto r = Record(url, 0, 200, 2);
        r->SetLastReferenceTime(static_cast<int32_t>(EmulatedSystem::kNow - age));
        return r;
    };
    limited.Add(record("http://day", 86400), false);
    limited.Add(record("http://days", 86401), false);
    limited.Add(record("http://week", 604801), false);
    EXPECT_EQ(URLs(limited.GetEveryuseList(0)), std::vector<std::string>{"http://day"});
    EXPECT_EQ(URLs(limited.GetEveryuseList(2)),
              (std::vector<std::string>{"http://day", "http://days"}));
}

TEST_F(URLDBTest, RecentListTakesLateOrUnplacedRecords) {
    URLDB recent(0, 0, 2);
    recent.Add(Record("http://a0", 9), false);  // placements 0 and 1: not recent
    recent.Add(Record("http://a1", 8), false);
    EXPECT_TRUE(recent.GetRecentList().empty());  // not enabled yet

    recent.RefreshEveryuse(nullptr);  // rebuild, then enabled
    EXPECT_EQ(recent.GetRecentEnabled(), 1);
    EXPECT_EQ(recent.GetEveryuseList(0).size(), 2u);
    EXPECT_TRUE(recent.GetRecentList().empty());
    for (int i = 2; i < 8; ++i) recent.Add(Record("http://a" + std::to_string(i), 9 - i), false);
    EXPECT_EQ(URLs(recent.GetRecentList()),
              (std::vector<std::string>{"http://a3", "http://a4", "http://a5", "http://a6",
                                        "http://a7"}));
    recent.UpdateRecentList(recent.GetURLInfo("http://a4"), -1);
    EXPECT_EQ(recent.GetRecentList().back()->GetURL(), "http://a4");
    EXPECT_EQ(recent.GetRecentList().size(), 5u);
    recent.UpdateRecentList(recent.GetURLInfo("http://a5"), 0);  // made the front: leaves
    EXPECT_EQ(recent.GetRecentList().size(), 4u);
}

// Brute-force checks of one step: no two records compare equal, the array is in order, and the
// result of Add names a record equal to the URL (the URL itself when it was stored as it is).
void CheckStep(const URLDB& db, const std::string& url, int result, bool exactBefore,
               bool equalBefore, int countBefore) {
    SCOPED_TRACE(url);
    for (int i = 0; i < db.GetCount(); ++i) {
        for (int j = i + 1; j < db.GetCount(); ++j) {
            ASSERT_LT(ArrayControl::CompareURLText(db.GetAt(i)->GetURL(), db.GetAt(j)->GetURL()), 0)
                << db.GetAt(i)->GetURL() << " / " << db.GetAt(j)->GetURL();
        }
    }
    ASSERT_EQ(db.GetCount(), countBefore + (equalBefore ? 0 : 1));
    ASSERT_NE(db.GetAt(result), nullptr);
    EXPECT_EQ(ArrayControl::CompareURLText(db.GetAt(result)->GetURL(), url), 0);
    if (exactBefore || !equalBefore) {
        EXPECT_EQ(db.GetAt(result)->GetURL(), url);
    }
    ASSERT_NE(db.GetURLInfo(url), nullptr);
    EXPECT_EQ(ArrayControl::CompareURLText(db.GetURLInfo(url)->GetURL(), url), 0);
}

int AddAndCheck(URLDB& db, const std::string& url, bool update) {
    bool exact = false;
    bool equal = false;
    for (int i = 0; i < db.GetCount(); ++i) {
        exact = exact || db.GetAt(i)->GetURL() == url;
        equal = equal || ArrayControl::CompareURLText(db.GetAt(i)->GetURL(), url) == 0;
    }
    const int count = db.GetCount();
    const int result = db.Add(std::make_unique<URLInfo>(url), update);
    CheckStep(db, url, result, exact, equal, count);
    return result;
}

TEST_F(URLDBTest, OneRecordPerURLWhateverTheOrderOfAdditions) {
    // The comparison is not transitive ("u" = "u/" = "u//", "A" = "a/" = "a"): a merge must not
    // rename a record into the twin of another, and a search must not miss a case variant.
    URLDB slashes(0, 0, 30);
    for (const char* url : {"http://x.jp///", "http://x.jp/"}) AddAndCheck(slashes, url, true);
    EXPECT_EQ(AddAndCheck(slashes, "http://x.jp//", true), 0);
    EXPECT_EQ(slashes.GetAt(0)->GetURL(), "http://x.jp/");
    EXPECT_EQ(slashes.GetAt(0)->GetErrorCount(), 1);  // merged all the same

    URLDB cases(0, 0, 30);
    for (const char* url : {"http://B", "http://A"}) AddAndCheck(cases, url, true);
    EXPECT_EQ(AddAndCheck(cases, "http://a/", true), 1);
    EXPECT_EQ(cases.GetAt(1)->GetURL(), "http://a/");
    EXPECT_EQ(cases.GetCount(), 2);

    // Random sequences over an alphabet that makes such twins often, in both modes.
    std::mt19937 random(20261209);
    const std::string alphabet = "aA/.";
    for (int round = 0; round < 300; ++round) {
        URLDB db(0, 0, 30);
        const bool update = round % 2 == 0;
        for (int step = 0; step < 40; ++step) {
            std::string url = "http://";
            for (size_t length = random() % 5; length > 0; --length)
                url += alphabet[random() % alphabet.size()];
            AddAndCheck(db, url, update);
            if (HasFatalFailure() || HasFailure()) return;
        }
    }
}

// A bulk load sorts its new records once at the end and finds stored forms by hash. Whatever the
// number of records, their shared prefixes, lengths and bytes (zero bytes, bytes above 0x7F,
// capitals, slashes), it must keep the records, the order and the lookups of adding them one by
// one.
TEST_F(URLDBTest, BulkLoadingKeepsWhatAddingOneByOneKeeps) {
    const std::string pieces[] = {"http://www.example.co.jp/",
                                  "cgi-bin/",
                                  "a",
                                  "A",
                                  "/",
                                  std::string(1, '\0'),
                                  "\xff",
                                  "\x82\xa0",
                                  "0123456789abcdef"};
    std::mt19937 random(20261211);
    for (int round = 0; round < 12; ++round) {
        std::vector<std::string> urls;
        for (int i = 0; i < 1500; ++i) {
            std::string url;
            for (size_t n = 1 + random() % 6; n > 0; --n) url += pieces[random() % 9];
            urls.push_back(url);
        }
        URLDB added(0, 0, 30);
        URLDB loaded(0, 0, 30);
        const size_t stored = round % 3 == 0 ? 100 : 0;  // in the database before the load
        for (size_t i = 0; i < stored; ++i) {
            added.Add(std::make_unique<URLInfo>(urls[i]), false);
            loaded.Add(std::make_unique<URLInfo>(urls[i]), false);
        }
        loaded.BeginBulkAdd();
        for (size_t i = stored; i < urls.size(); ++i) {
            added.Add(std::make_unique<URLInfo>(urls[i]), false);
            loaded.BulkAdd(std::make_unique<URLInfo>(urls[i]));
        }
        loaded.EndBulkAdd();
        ASSERT_EQ(loaded.GetCount(), added.GetCount()) << round;
        for (int i = 0; i < added.GetCount(); ++i)
            ASSERT_EQ(loaded.GetAt(i)->GetURL(), added.GetAt(i)->GetURL()) << round << " " << i;
        for (const std::string& url : urls) {
            const URLInfo* found = loaded.GetURLInfo(url);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->GetURL(), added.GetURLInfo(url)->GetURL());
        }
    }
}
}  // namespace

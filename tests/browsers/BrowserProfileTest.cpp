#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browsers/Browser.h"
#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "common/EmulatedSystem.h"

namespace {

std::unique_ptr<FavoritesItem> Named(const std::string& name) {
    auto item = std::make_unique<FavoritesItem>();
    item->SetName(name);
    return item;
}

std::vector<std::string> Names(const BrowserProfile& profile) {
    std::vector<std::string> names;
    for (auto position = profile.GetHeadPosition(); position;) {
        names.push_back(profile.GetNext(position)->GetName());
    }
    return names;
}

}  // namespace

TEST(BrowserProfileTest, WalksItemsInAdditionOrderAndStopsAtTheEnd) {
    BrowserProfile profile;
    BrowserProfile::Position position = profile.GetHeadPosition();
    EXPECT_EQ(position, BrowserProfile::kNoPosition);
    EXPECT_EQ(profile.GetNext(position), nullptr);
    EXPECT_EQ(position, BrowserProfile::kNoPosition);

    for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(profile.AddItem(Named(name)));
    EXPECT_EQ(profile.GetCount(), 3);
    EXPECT_EQ(Names(profile), (std::vector<std::string>{"a", "b", "c"}));

    position = profile.GetHeadPosition();
    profile.GetNext(position);
    profile.GetNext(position);
    EXPECT_EQ(profile.GetNext(position)->GetName(), "c");
    EXPECT_EQ(position, BrowserProfile::kNoPosition);
    EXPECT_EQ(profile.GetNext(position), nullptr);

    EXPECT_FALSE(profile.AddItem(nullptr));
    profile.RemoveAllItems();
    EXPECT_EQ(profile.GetCount(), 0);
    EXPECT_EQ(profile.GetHeadPosition(), BrowserProfile::kNoPosition);
}

TEST(BrowserProfileTest, CountTextAndKindLabels) {
    BrowserProfile profile;
    EXPECT_EQ(profile.GetCountText(), "    0");
    for (int i = 0; i < 12; ++i) profile.AddItem(Named("x"));
    EXPECT_EQ(profile.GetCountText(), "   12");

    const std::vector<std::pair<int, std::string>> labels = {
        {1, "I.E."}, {2, "NNv4"}, {3, "NNv6"}, {4, "NNv7"}, {5, "Opera6"}};
    for (const auto& [kind, label] : labels) {
        profile.SetKind(kind);
        EXPECT_EQ(profile.GetKindLabel(), label);
    }
    // An unknown kind is stored but keeps the last label.
    profile.SetKind(6);
    EXPECT_EQ(profile.GetKind(), 6);
    EXPECT_EQ(profile.GetKindLabel(), "Opera6");
    BrowserProfile fresh;
    fresh.SetKind(0);
    EXPECT_EQ(fresh.GetKindLabel(), "");
}

TEST(BrowserTest, OwnsProfilesAndBoundsItsIndex) {
    Browser browser;
    EXPECT_EQ(browser.GetProfile(0), nullptr);
    EXPECT_EQ(browser.AddProfile(std::make_unique<BrowserProfile>()), 0);
    EXPECT_EQ(browser.AddProfile(std::make_unique<BrowserProfile>()), 1);
    EXPECT_EQ(browser.AddProfile(nullptr), -1);
    EXPECT_EQ(browser.GetProfileCount(), 2);
    EXPECT_NE(browser.GetProfile(1), nullptr);
    EXPECT_EQ(browser.GetProfile(-1), nullptr);
    EXPECT_EQ(browser.GetProfile(2), nullptr);

    BrowserProfile profile;
    profile.AddItem(Named("kept"));
    EXPECT_EQ(browser.Load("C:\\anything", &profile), 0);
    EXPECT_EQ(browser.Save("C:\\anything", &profile), 0);
    EXPECT_EQ(profile.GetCount(), 1);
}

TEST_F(EmulatedSystemTest, FavoritesItemCreatedTextIsLocalTime) {
    FavoritesItem item;
    item.SetCreated(EmulatedSystem::kNow);
    EXPECT_EQ(item.GetCreatedText(), "2026/12/08 12:00:00");
    item.SetCreated(0);
    EXPECT_EQ(item.GetCreatedText(), "1970/01/01 09:00:00");
}

TEST_F(EmulatedSystemTest, FavoritesItemCopiesAndSharingItemsKeepTheirOwnFields) {
    // Items share their created time and parent path with copies and with the item before; a
    // change to one item never shows in another.
    FavoritesItem stamp;
    stamp.SetCreated(EmulatedSystem::kNow);
    std::shared_ptr<const FavoritesItem::Common> last;
    FavoritesItem a(stamp);
    a.ShareParentPath("\\A", last);
    FavoritesItem b(stamp);
    b.ShareParentPath("\\A", last);
    FavoritesItem later;
    later.SetCreated(0);
    later.ShareParentPath("\\A", last);  // same folder, another time: not shared
    FavoritesItem c(a);
    c.SetParentPath("\\C");
    b.SetCreated(0);
    stamp.SetParentPath("\\S");

    const struct {
        const FavoritesItem& item;
        const char* parent;
        const char* created;
    } cases[] = {{stamp, "\\S", "2026/12/08 12:00:00"},
                 {a, "\\A", "2026/12/08 12:00:00"},
                 {b, "\\A", "1970/01/01 09:00:00"},
                 {later, "\\A", "1970/01/01 09:00:00"},
                 {c, "\\C", "2026/12/08 12:00:00"}};
    for (const auto& test : cases) {
        EXPECT_EQ(test.item.GetParentPath(), test.parent) << test.parent;
        EXPECT_EQ(test.item.GetCreatedText(), test.created) << test.parent;
    }
    EXPECT_EQ(later.GetCreated(), 0);
    c.SetParentPath("");
    EXPECT_EQ(c.GetParentPath(), "");
    EXPECT_EQ(c.GetCreated(), EmulatedSystem::kNow);
}

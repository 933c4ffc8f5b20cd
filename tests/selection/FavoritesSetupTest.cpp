#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browsers/Browser.h"
#include "browsers/BrowserProfile.h"
#include "common/EmulatedSystem.h"
#include "encoding/EncodingString.h"
#include "selection/FavoritesSetup.h"

namespace {

const std::string kFavorites = "C:\\users\\tester\\Favorites";

BrowserProfile* AddProfile(FavoritesSetup& setup, int kind, const std::string& path) {
    auto profile = std::make_unique<BrowserProfile>();
    profile->SetKind(kind);
    profile->SetFavoritesPath(path);
    BrowserProfile* added = profile.get();
    setup.GetBrowser(kind)->AddProfile(std::move(profile));
    return added;
}

class FavoritesSetupTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        system.AddUserReg(
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell "
            "Folders] 1700000000\n"
            "\"Favorites\"=str(2):\"%USERPROFILE%\\\\Favorites\"\n");
        system.WriteFile(kFavorites + "\\Site.url", "[InternetShortcut]\r\nURL=http://a.jp/\r\n");
        system.WriteFile(kFavorites + "\\Tools\\Other.url",
                         "[InternetShortcut]\r\nURL=http://b.jp/\r\n");
    }
    void TearDown() override { EncodingString::SetEUCThreshold(3); }
};

}  // namespace

TEST_F(FavoritesSetupTest, BuiltInSettingsApplyAtConstruction) {
    EncodingString::SetEUCThreshold(20);
    FavoritesSetup setup;
    EXPECT_EQ(setup.GetBackupCount(), 2);
    EXPECT_EQ(EncodingString::GetEUCThreshold(), 3);
}

TEST_F(FavoritesSetupTest, ListsProfilesInKindOrderWithOneInternetExplorerProfile) {
    FavoritesSetup setup;
    ASSERT_EQ(setup.GetBrowser(1)->GetProfileCount(), 1);
    BrowserProfile* ie = setup.GetBrowser(1)->GetProfile(0);
    AddProfile(setup, 1, "C:\\second");
    BrowserProfile* opera = AddProfile(setup, 5, "C:\\opera\\opera6.adr");
    BrowserProfile* nn6a = AddProfile(setup, 3, "C:\\a\\bookmarks.html");
    BrowserProfile* nn6b = AddProfile(setup, 3, "C:\\b\\bookmarks.html");
    BrowserProfile* nn4 = AddProfile(setup, 2, "C:\\nn4\\bookmark.htm");
    BrowserProfile* nn6c = AddProfile(setup, 3, "C:\\c\\bookmarks.html");

    std::vector<BrowserProfile*> profiles{nullptr};  // appended to, not replaced
    setup.ListProfiles(profiles);
    EXPECT_EQ(profiles, (std::vector<BrowserProfile*>{nullptr, ie, nn4, nn6a, nn6b, nn6c, opera}));
}

TEST_F(FavoritesSetupTest, LoadsAndSavesByKind) {
    FavoritesSetup setup;
    BrowserProfile* ie = setup.GetBrowser(1)->GetProfile(0);
    ASSERT_NE(ie, nullptr);
    EXPECT_EQ(ie->GetFavoritesPath(), kFavorites);
    EXPECT_EQ(setup.LoadProfile(ie), 3);  // two bookmarks and their folder
    EXPECT_EQ(ie->GetCount(), 3);

    system.MakeFolder("C:\\out\\Netscape4x");
    EXPECT_EQ(setup.SaveKind(2, "C:\\out\\Netscape4x\\bookmark.htm", ie), 2);
    EXPECT_NE(system.ReadFile("C:\\out\\Netscape4x\\bookmark.htm").find("http://b.jp/"),
              std::string::npos);

    BrowserProfile stray;
    for (int kind : {0, 6}) {
        stray.SetKind(kind);
        stray.SetFavoritesPath(kFavorites);
        EXPECT_EQ(setup.LoadProfile(&stray), 0) << kind;
        EXPECT_EQ(stray.GetCount(), 0) << kind;
        EXPECT_EQ(setup.SaveKind(kind, "C:\\out\\x", ie), 0) << kind;
    }
    EXPECT_FALSE(system.Exists("C:\\out\\x"));
}

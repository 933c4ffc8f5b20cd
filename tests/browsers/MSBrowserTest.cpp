#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "browsers/MSBrowser.h"
#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "platform/FaultSeam.h"
#include "platform/PathMap.h"
#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "support/Log.h"

namespace {

const std::string kFavorites = "C:\\users\\tester\\Favorites";
const std::string kOutput = "C:\\out\\Microsoft";

struct Entry {
    std::string path;  // UTF-8 for readable failures
    std::string url;
    int depth;
    std::string parent;
};

std::vector<Entry> Entries(const BrowserProfile& profile) {
    std::vector<Entry> entries;
    for (auto position = profile.GetHeadPosition(); position;) {
        const FavoritesItem* item = profile.GetNext(position);
        entries.push_back(
            {Utf8(item->GetPath()), item->GetURL(), item->GetDepth(), Utf8(item->GetParentPath())});
    }
    return entries;
}

bool operator==(const Entry& a, const Entry& b) {
    return a.path == b.path && a.url == b.url && a.depth == b.depth && a.parent == b.parent;
}

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{" << e.path << ", " << e.url << ", " << e.depth << ", " << e.parent << "}";
}

std::string Shortcut(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

class MSBrowserTest : public EmulatedSystemTest {
protected:
    void SetUp() override { SetLogLevel(LOG_V); }
    void TearDown() override {
        platform::FaultSeam::Clear();
        SetLogLevel(LOG_I);
    }

    // A favorites tree with Japanese names, two of them holding a 0x5C trail byte (ソ, 表).
    void BuildFavorites() {
        system.WriteFile(kFavorites + "\\Site.com.url", Shortcut("http://site.com/"));
        system.WriteFile(kFavorites + "\\Old.Links\\Archive.url",
                         Shortcut("http://archive.example.jp/"));
        system.WriteFile(kFavorites + Sjis("\\ソフト\\表示.url"),
                         Sjis("[InternetShortcut]\r\nURL=http://hyouji.example.jp/表示\r\n"));
        system.WriteFile(kFavorites + "\\desktop.ini", "[.ShellClassInfo]\r\nURL=none\r\n");
        system.WriteFile(kFavorites + "\\ftp.url", Shortcut("ftp://ftp.example.jp/"));
        system.WriteFile(kFavorites + "\\secure.url", "[DEFAULT]\nBASEURL=https://x/\n" +
                                                          Shortcut("https://secure.example.jp/a"));
        system.WriteFile(kFavorites + "\\two.url",
                         "url=http://lower.example/\r\nURL=http:no-host\r\n"
                         "URL=see http://second.example/\r\n");
    }

    // The concatenated log files of the working folder.
    std::string LogText() const {
        std::string text;
        const std::string folder = system.Native("C:\\Pennawick");
        if (!std::filesystem::is_directory(folder)) return text;
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            std::ifstream in(file.path(), std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            text += content.str();
        }
        return text;
    }
    bool Logged(const std::string& utf8) const {
        return LogText().find(Sjis(utf8)) != std::string::npos;
    }

    MSBrowser browser;
    BrowserProfile profile;
};

}  // namespace

TEST_F(MSBrowserTest, LoadsTheTreeWithTitlesPathsDepthsAndUrls) {
    BuildFavorites();
    const int count = browser.Load(kFavorites, &profile);
    const std::vector<Entry> expected = {
        {"\\Old", "", 1, ""},
        {"\\Old\\Archive", "http://archive.example.jp/", 2, "\\Old"},
        {"\\secure", "https://secure.example.jp/a", 1, ""},
        {"\\Site.com", "http://site.com/", 1, ""},
        {"\\two", "http://second.example/", 1, ""},
        {"\\ソフト", "", 1, ""},
        {"\\ソフト\\表示", Sjis("http://hyouji.example.jp/表示"), 2, "\\ソフト"},
    };
    EXPECT_EQ(count, 7);
    EXPECT_EQ(Entries(profile), expected);

    auto position = profile.GetHeadPosition();
    const FavoritesItem* first = profile.GetNext(position);
    EXPECT_EQ(first->GetName(), "Old");
    EXPECT_EQ(first->GetCreated(), EmulatedSystem::kNow);
    EXPECT_EQ(first->GetCreatedText(), "2026/12/08 12:00:00");

    // Loading again replaces the items instead of adding to them.
    EXPECT_EQ(browser.Load(kFavorites, &profile), 7);
    EXPECT_EQ(profile.GetCount(), 7);
}

TEST_F(MSBrowserTest, EmptyMissingAndUnreadableFoldersGiveNoItems) {
    profile.AddItem(std::make_unique<FavoritesItem>());
    EXPECT_EQ(browser.Load("", &profile), 0);
    EXPECT_EQ(profile.GetCount(), 1);  // an empty path leaves the profile alone

    EXPECT_EQ(browser.Load("C:\\missing", &profile), 0);
    EXPECT_EQ(profile.GetCount(), 0);

    // An unreadable sub-folder keeps its folder item; its siblings are still read.
    system.WriteFile(kFavorites + "\\Locked\\a.url", Shortcut("http://a.example/"));
    system.WriteFile(kFavorites + "\\Open\\b.url", Shortcut("http://b.example/"));
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Open, kFavorites + "\\Locked",
                                  EACCES);
    EXPECT_EQ(browser.Load(kFavorites, &profile), 3);
    const std::vector<Entry> expected = {{"\\Locked", "", 1, ""},
                                         {"\\Open", "", 1, ""},
                                         {"\\Open\\b", "http://b.example/", 2, "\\Open"}};
    EXPECT_EQ(Entries(profile), expected);
}

TEST_F(MSBrowserTest, BadShortcutFilesGiveDefinedResults) {
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37);
    system.WriteFile(kFavorites + "\\binary.url", binary);
    // A line far past any real shortcut line, without line ends, then a good URL line.
    system.WriteFile(kFavorites + "\\longline.url",
                     "URL=http://" + std::string(200000, 'x') + "\nURL=http://after.example/\n");
    system.WriteFile(kFavorites + "\\huge.url",
                     Shortcut("http://huge.example/") + std::string(2 * 1024 * 1024, 'z'));
    // Invalid Shift-JIS: a lead byte at the end of the line, a lone 0x80 byte.
    system.WriteFile(kFavorites + "\\invalid.url", "URL=http://bad.example/\x80\x81\r\n");
    // "h" as the trail byte of a double-byte character does not start "http".
    system.WriteFile(kFavorites + "\\trail.url",
                     "URL=\x83http://fake.example/ http://real.example/\r\n");
    system.WriteFile(kFavorites + "\\empty.url", "");
    system.WriteFile(kFavorites + "\\noeol.url", "URL=http://noeol.example/");
    // A link to a device that never ends is cut off, not read for ever.
    if (std::filesystem::exists("/dev/zero")) {
        std::filesystem::create_symlink("/dev/zero", system.Native(kFavorites + "\\zero.url"));
    }

    browser.Load(kFavorites, &profile);
    const std::vector<Entry> expected = {
        {"\\invalid", "http://bad.example/\x80\x81", 1, ""},
        {"\\longline", "http://after.example/", 1, ""},
        {"\\noeol", "http://noeol.example/", 1, ""},
        {"\\trail", "http://real.example/", 1, ""},
    };
    EXPECT_EQ(Entries(profile), expected);
}

TEST_F(MSBrowserTest, OnlyReadableRegularShortcutFilesGiveItems) {
    // A pipe named like a shortcut neither blocks the load nor gives an item; a shortcut that
    // cannot be opened is skipped and its siblings, before and after it, are still read.
    system.WriteFile(kFavorites + "\\a.url", Shortcut("http://a.example/"));
    system.WriteFile(kFavorites + "\\b.url", Shortcut("http://b.example/"));
    system.WriteFile(kFavorites + Sjis("\\表示.url"), Shortcut("http://c.example/"));
    ASSERT_EQ(mkfifo(system.Native(kFavorites + "\\pipe.url").c_str(), 0600), 0);
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Open, kFavorites + "\\b.url",
                                  EACCES);
    EXPECT_EQ(browser.Load(kFavorites, &profile), 2);
    const std::vector<Entry> expected = {{"\\a", "http://a.example/", 1, ""},
                                         {"\\表示", "http://c.example/", 1, ""}};
    EXPECT_EQ(Entries(profile), expected);
    EXPECT_EQ(browser.Load(kFavorites, &profile), 3);
}

TEST_F(MSBrowserTest, FolderLinksBackToAncestorsAreNotFollowed) {
    system.WriteFile(kFavorites + "\\A\\a.url", Shortcut("http://a.example/"));
    system.WriteFile(kFavorites + "\\B\\b.url", Shortcut("http://b.example/"));
    std::filesystem::create_directory_symlink(system.Native(kFavorites),
                                              system.Native(kFavorites + "\\A\\up"));
    // A second way into B: read once, under the name met first.
    std::filesystem::create_directory_symlink(system.Native(kFavorites + "\\B"),
                                              system.Native(kFavorites + "\\A\\toB"));

    EXPECT_EQ(browser.Load(kFavorites, &profile), 4);
    const std::vector<Entry> expected = {{"\\A", "", 1, ""},
                                         {"\\A\\a", "http://a.example/", 2, "\\A"},
                                         {"\\A\\toB", "", 2, "\\A"},
                                         {"\\A\\toB\\b", "http://b.example/", 3, "\\A\\toB"}};
    EXPECT_EQ(Entries(profile), expected);
    EXPECT_TRUE(
        Logged("MSBrowser::file_finder(get_url) 同じ階層をループしますので抜けます。"
               "Directory=(C:\\users\\tester\\Favorites\\A/"
               "C:\\users\\tester\\Favorites\\A\\up)"));
}

TEST_F(MSBrowserTest, DeepTreesAreReadWhole) {
    std::string folder = kFavorites;
    for (int level = 0; level < 150; ++level) folder += "\\d";
    system.WriteFile(folder + "\\leaf.url", Shortcut("http://deep.example/"));
    EXPECT_EQ(browser.Load(kFavorites, &profile), 151);
    auto entries = Entries(profile);
    EXPECT_EQ(entries.back().depth, 151);
    EXPECT_EQ(entries.back().url, "http://deep.example/");
}

TEST_F(MSBrowserTest, SaveWritesShortcutsAndReloadsTheSameTree) {
    BuildFavorites();
    browser.Load(kFavorites, &profile);
    // The export profile of a run has copies of the items and no favorites path.
    BrowserProfile exported;
    for (auto position = profile.GetHeadPosition(); position;) {
        exported.AddItem(std::make_unique<FavoritesItem>(*profile.GetNext(position)));
    }
    auto separator = std::make_unique<FavoritesItem>();
    separator->SetURL("<HR>");
    separator->SetPath("\\sep");
    exported.AddItem(std::move(separator));
    system.MakeFolder(kOutput);

    EXPECT_EQ(browser.Save(kOutput, &exported), 5);
    EXPECT_EQ(system.ReadFile(kOutput + Sjis("\\ソフト\\表示.url")),
              Sjis("[DEFAULT]\r\nBASEURL=http://hyouji.example.jp/表示\r\n[InternetShortcut]\r\n"
                   "URL=http://hyouji.example.jp/表示\r\nModified=C01E14E0FE9EBF012E\r\n"));
    EXPECT_FALSE(system.Exists(kOutput + "\\sep.url"));

    BrowserProfile reloaded;
    browser.Load(kOutput, &reloaded);
    EXPECT_EQ(Entries(reloaded), Entries(profile));

    // A second run leaves every file alone, counts none and warns once per file.
    system.WriteFile(kOutput + "\\Site.com.url", "changed by hand");
    EXPECT_EQ(browser.Save(kOutput, &exported), 0);
    EXPECT_EQ(system.ReadFile(kOutput + "\\Site.com.url"), "changed by hand");
    EXPECT_TRUE(
        Logged("MSBrowser::Save 同名のファイルが存在します。(C:\\out\\Microsoft\\\\Site.com.url)"));
}

TEST_F(MSBrowserTest, SaveCopiesTheShortcutFilesOfItsFavoritesFolder) {
    BuildFavorites();
    browser.Load(kFavorites, &profile);
    profile.SetFavoritesPath(kFavorites);
    system.MakeFolder(kOutput);
    EXPECT_EQ(browser.Save(kOutput, &profile), 5);
    EXPECT_EQ(system.ReadFile(kOutput + "\\secure.url"),
              system.ReadFile(kFavorites + "\\secure.url"));
    EXPECT_EQ(system.ReadFile(kOutput + "\\two.url"), system.ReadFile(kFavorites + "\\two.url"));
}

TEST_F(MSBrowserTest, SaveWithoutFavoritesPathLooksForNoSourceFile) {
    // The relative path alone would name a file at the root of the current drive: with the
    // current folder on C:, C:\a.url is that file, and it must not be copied.
    system.MakeFolder("C:\\Pennawick");
    system.WriteFile("C:\\a.url", "not a shortcut of this profile");
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(system.Native("C:\\Pennawick"));
    auto item = std::make_unique<FavoritesItem>();
    item->SetURL("http://a.example/");
    item->SetPath("\\a");
    profile.AddItem(std::move(item));
    system.MakeFolder(kOutput);
    const int count = browser.Save(kOutput, &profile);
    std::filesystem::current_path(saved);

    EXPECT_EQ(count, 1);
    EXPECT_EQ(system.ReadFile(kOutput + "\\a.url"),
              "[DEFAULT]\r\nBASEURL=http://a.example/\r\n[InternetShortcut]\r\n"
              "URL=http://a.example/\r\nModified=C01E14E0FE9EBF012E\r\n");
}

TEST_F(MSBrowserTest, SaveChecksTheOutputFolderFirst) {
    ScriptedUserPrompt prompt;
    EXPECT_EQ(browser.Save("C:\\nowhere", &profile), 0);  // empty profile: no question asked
    EXPECT_TRUE(prompt.messages.empty());

    auto item = std::make_unique<FavoritesItem>();
    item->SetURL("http://a.example/");
    item->SetPath("\\a");
    profile.AddItem(std::move(item));
    EXPECT_EQ(browser.Save("C:\\nowhere", &profile), 0);
    system.WriteFile("C:\\file", "x");
    EXPECT_EQ(browser.Save("C:\\file", &profile), 0);
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].text, Sjis("出力先のフォルダが存在しません。"));
    EXPECT_EQ(prompt.messages[1].text, Sjis("出力先はフォルダではありません。"));
    EXPECT_EQ(prompt.messages[0].caption, "");
    EXPECT_EQ(prompt.messages[0].buttons, UserPrompt::Buttons::Ok);
}

TEST_F(MSBrowserTest, SaveRefusesNamesThatLeaveTheOutputFolder) {
    const std::vector<std::pair<std::string, std::string>> items = {
        {"\\..", ""},
        {"\\..\\escape", "http://escape.example/"},
        {"\\.", "http://dot.example/"},
        {"..", "http://one-name.example/"},
        {"\\ok\\..\\..\\up", "http://up.example/"},
        {"\\ok", ""},
        {"\\ok\\kept", "http://kept.example/"},
    };
    for (const auto& [path, url] : items) {
        auto item = std::make_unique<FavoritesItem>();
        item->SetURL(url);
        item->SetPath(path);
        profile.AddItem(std::move(item));
    }
    system.MakeFolder(kOutput);
    EXPECT_EQ(browser.Save(kOutput, &profile), 1);
    EXPECT_TRUE(system.Exists(kOutput + "\\ok\\kept.url"));
    EXPECT_FALSE(system.Exists("C:\\out\\escape.url"));
    EXPECT_FALSE(system.Exists("C:\\up.url"));
    EXPECT_FALSE(system.Exists("C:\\out\\...url"));
    EXPECT_TRUE(
        Logged("MSBrowser::Save 出力先フォルダの外を指す名前なので出力しません。(\\..\\escape)"));
}

TEST_F(MSBrowserTest, SaveTurnsNamesIntoWindowsFileNames) {
    // {item path, URL (empty for a folder), file written below the output folder or "" for
    // none}. ポ ends in the byte 0x7C ("|"), ソ and 表 in 0x5C.
    const std::vector<std::array<std::string, 3>> items = {
        {"\\News: JP", "", ""},
        {"\\News: JP\\A/B", "http://ab/", "\\News_ JP\\A_B.url"},
        {"\\News: JP\\Amazon.co.jp: <本> \"x\" *?|\t", "http://amazon/",
         "\\News_ JP\\Amazon.co.jp_ _本_ _x_ ____.url"},
        {Sjis("\\ソフト\\表示|ポ"), "http://sjis/", Sjis("\\ソフト\\表示_ポ.url")},
        // Items made from database records: the title alone is one name.
        {"http://example.com/a", "http://example.com/a", "\\http___example.com_a.url"},
        {"C:\\a\\b", "http://c/", "\\C__a_b.url"},
        // Becomes the file name of an item before it, which keeps the file.
        {"\\News: JP\\A_B", "http://second/", ""},
        // So does a name that differs from a written one only in letter case.
        {"\\NEWS: jp\\a/b", "http://third/", ""},
    };
    system.MakeFolder(kOutput + Sjis("\\ソフト"));
    for (const auto& [path, url, file] : items) {
        auto item = std::make_unique<FavoritesItem>();
        item->SetURL(url);
        item->SetPath(path);
        profile.AddItem(std::move(item));
    }
    EXPECT_EQ(browser.Save(kOutput, &profile), 5);
    for (const auto& [path, url, file] : items) {
        if (file.empty()) continue;
        EXPECT_EQ(system.ReadFile(kOutput + file), "[DEFAULT]\r\nBASEURL=" + url +
                                                       "\r\n[InternetShortcut]\r\nURL=" + url +
                                                       "\r\nModified=C01E14E0FE9EBF012E\r\n")
            << Utf8(file);
    }
    EXPECT_TRUE(
        Logged("MSBrowser::Save 同名のファイルが存在します。(C:\\out\\Microsoft\\\\News_ "
               "JP\\A_B.url)"));
    EXPECT_TRUE(
        Logged("MSBrowser::Save 同名のファイルが存在します。(C:\\out\\Microsoft\\\\NEWS_ "
               "jp\\a_b.url)"));

    // Shortcut files copied from a Favorites folder meet the same rule.
    BrowserProfile copied;
    copied.SetFavoritesPath(kFavorites);
    for (const char* name : {"\\x:y", "\\x_y"}) {
        system.WriteFile(kFavorites + name + ".url", Shortcut(std::string("http://") + name));
        auto item = std::make_unique<FavoritesItem>();
        item->SetURL("http://x/");
        item->SetPath(name);
        copied.AddItem(std::move(item));
    }
    EXPECT_EQ(browser.Save(kOutput, &copied), 1);
    EXPECT_EQ(system.ReadFile(kOutput + "\\x_y.url"), Shortcut("http://\\x:y"));
}

TEST_F(MSBrowserTest, SaveWritesEveryRecordOfAnExportWithoutBrowserItems) {
    URLDB database(0, 0, 30);
    for (const char* url : {"http://example.com/a", "http://example.com/a?b=1|2", "https://x.jp/"})
        database.Add(std::make_unique<URLInfo>(url), false);
    ExtractionConditions().ExtractToProfile(database, {}, profile);
    system.MakeFolder(kOutput);
    EXPECT_EQ(browser.Save(kOutput, &profile), 3);
    EXPECT_TRUE(system.Exists(kOutput + "\\http___example.com_a_b=1_2.url"));
    EXPECT_TRUE(system.Exists(kOutput + "\\https___x.jp_.url"));
}

TEST_F(MSBrowserTest, SaveSkipsItemsThatFailAndGoesOn) {
    for (const char* name : {"\\bad", "\\good"}) {
        auto item = std::make_unique<FavoritesItem>();
        item->SetURL("http://x.example/");
        item->SetPath(name);
        profile.AddItem(std::move(item));
    }
    auto folder = std::make_unique<FavoritesItem>();
    folder->SetPath("\\sub");
    profile.AddItem(std::move(folder));
    system.MakeFolder(kOutput);
    using Op = platform::FaultSeam::Operation;
    platform::FaultSeam::FailNext(Op::Open, kOutput + "\\\\bad.url", ENOSPC);
    platform::FaultSeam::FailNext(Op::CreateFolder, kOutput + "\\\\sub", EACCES);

    EXPECT_EQ(browser.Save(kOutput, &profile), 1);
    EXPECT_FALSE(system.Exists(kOutput + "\\bad.url"));
    EXPECT_TRUE(system.Exists(kOutput + "\\good.url"));
    EXPECT_TRUE(Logged("MSBrowser::Save 指定フォルダの生成が出来ません。"));

    // A write that fails leaves no partial file behind.
    platform::FaultSeam::FailNext(Op::Write, kOutput + "\\\\bad.url", ENOSPC);
    EXPECT_EQ(browser.Save(kOutput, &profile), 0);
    EXPECT_FALSE(system.Exists(kOutput + "\\bad.url"));
}

TEST_F(MSBrowserTest, SaveNeverWritesThroughALinkInTheOutputFolder) {
    // A link left in the output folder, pointing outside it at nothing yet.
    system.MakeFolder(kOutput);
    std::filesystem::create_symlink(system.Native("C:\\elsewhere.url"),
                                    system.Native(kOutput + "\\link.url"));
    auto item = std::make_unique<FavoritesItem>();
    item->SetURL("http://x.example/");
    item->SetPath("\\LINK");
    profile.AddItem(std::move(item));

    EXPECT_EQ(browser.Save(kOutput, &profile), 0);
    EXPECT_FALSE(system.Exists("C:\\elsewhere.url"));
    EXPECT_TRUE(
        Logged("MSBrowser::Save 同名のファイルが存在します。(C:\\out\\Microsoft\\\\LINK.url)"));
}

TEST_F(MSBrowserTest, InitializeReadsFavoritesFolderUserAndProxy) {
    system.AddUserReg(
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] "
        "1700000000\n"
        "\"Favorites\"=str(2):\"%USERPROFILE%\\\\Favorites\"\n\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Internet Settings] 1700000000\n"
        "\"ProxyEnable\"=dword:00000000\n"
        "\"ProxyServer\"=\"ftp=ftp.example:21;http=proxy.example.jp:8080\"\n"
        "\"ProxyOverride\"=\"<local>;*.example.jp\"\n");
    system.WriteFile(kFavorites + Sjis("\\ニュース.url"), Shortcut("http://news.example.jp/"));

    browser.Initialize();
    ASSERT_EQ(browser.GetProfileCount(), 1);
    BrowserProfile* ie = browser.GetProfile(0);
    EXPECT_EQ(ie->GetKind(), 1);
    EXPECT_EQ(ie->GetKindLabel(), "I.E.");
    EXPECT_EQ(ie->GetFavoritesPath(), kFavorites);
    EXPECT_EQ(ie->GetUser(), "tester");
    std::string host, port, bypass;
    ie->GetProxy(host, port, bypass);
    EXPECT_EQ(host, "proxy.example.jp");
    EXPECT_EQ(port, "8080");
    EXPECT_EQ(bypass, "<local>;*.example.jp");
    EXPECT_EQ(browser.GetProgramPath(), "");

    EXPECT_EQ(browser.Load(ie->GetFavoritesPath(), ie), 1);
    EXPECT_EQ(Entries(*ie), (std::vector<Entry>{{"\\ニュース", "http://news.example.jp/", 1, ""}}));
}

TEST_F(MSBrowserTest, InitializeLeavesMissingOrOversizedValuesEmpty) {
    browser.Initialize();
    BrowserProfile* ie = browser.GetProfile(0);
    ASSERT_NE(ie, nullptr);
    EXPECT_EQ(ie->GetFavoritesPath(), "");
    EXPECT_EQ(ie->GetUser(), "tester");
    std::string host = "?", port = "?", bypass = "?";
    ie->GetProxy(host, port, bypass);
    EXPECT_EQ(host + port + bypass, "");
    EXPECT_TRUE(Logged("MSBrowser::Initialize I.E.が存在していないかもしれません。"));
    EXPECT_EQ(browser.Load(ie->GetFavoritesPath(), ie), 0);

    // The keys exist, but Favorites is missing and ProxyServer does not fit in 260 bytes.
    system.AddUserReg(
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] "
        "1700000000\n"
        "\"Cookies\"=\"C:\\\\cookies\"\n\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Internet Settings] 1700000000\n"
        "\"ProxyServer\"=\"" +
        std::string(300, 'p') + ":8080\"\n\"ProxyOverride\"=\"\"\n");
    MSBrowser second;
    second.Initialize();
    ie = second.GetProfile(0);
    EXPECT_EQ(ie->GetFavoritesPath(), "");
    ie->GetProxy(host, port, bypass);
    EXPECT_EQ(host + port + bypass, "");
}

TEST(MSBrowserProxyTest, SplitsTheProxyServerValue) {
    const std::vector<std::vector<std::string>> cases = {
        {"proxy.example:8080", "proxy.example", "8080"},
        {"proxy.example", "proxy.example", ""},
        {"ftp=f:21;http=web.example:3128;https=s:443", "web.example", "3128"},
        {"https=s:443;http=web.example", "web.example", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string host = "?", port = "?";
        MSBrowser::ParseProxyServer(c[0], host, port);
        EXPECT_EQ(host, c[1]) << c[0];
        EXPECT_EQ(port, c[2]) << c[0];
    }
}

TEST(MSBrowserCorpusTest, ReadsRealShortcutFiles) {
    SKIP_WITHOUT_SHARED();
    const std::string folder = SharedDir() + "/corpus/url/";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shortcut corpus";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"ajaxmin-documentation.url", "http://ajaxmin.codeplex.com/Documentation/"},
        {"bnrbot-github-crlf.url", "https://github.com/carlbennett/BNRBot"},
        {"exoline-website-noeol.url", "http://github.com/exosite/exoline"},
        {"happysolver-homepage.url", "http://happysolver.sourceforge.net/"},
        {"weg-email-mailto.url", ""},
    };
    for (const auto& [name, url] : files) {
        const std::string internal = platform::PathMap::ToInternal(folder + name);
        EXPECT_EQ(MSBrowser::ReadShortcutURL(internal), url) << name;
    }
}

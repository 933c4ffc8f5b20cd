#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "browsers/NNProfileFinder.h"
#include "browsers/NNV4Browser.h"
#include "browsers/NNV6Browser.h"
#include "browsers/NNV7Browser.h"
#include "common/EmulatedSystem.h"
#include "support/Log.h"

namespace {

// The profile registries of tests/data/libreg (see its README for how they were written).
std::string TestData(const std::string& name) {
    std::ifstream in(std::string(PENNAWICK_TEST_DATA) + "/libreg/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const std::string kNetscapeUsers = "C:\\Program Files\\Netscape\\Users\\";
const std::string kMozillaProfiles = "C:\\users\\tester\\AppData\\Roaming\\Mozilla\\Profiles\\";

// Each profile as "user|favorites path|host|port|bypass|kind label", in UTF-8.
std::vector<std::string> Profiles(const Browser& browser) {
    std::vector<std::string> found;
    for (int i = 0; i < browser.GetProfileCount(); ++i) {
        const BrowserProfile* profile = browser.GetProfile(i);
        std::string host, port, bypass;
        profile->GetProxy(host, port, bypass);
        found.push_back(Utf8(profile->GetUser()) + "|" + Utf8(profile->GetFavoritesPath()) + "|" +
                        host + "|" + port + "|" + bypass + "|" +
                        std::to_string(profile->GetKind()) + " " + profile->GetKindLabel());
    }
    return found;
}

std::vector<std::string> Scan(const std::string& bytes, const std::string& key) {
    std::vector<std::string> folders;
    NNProfileFinder::ScanProfileList(bytes, key, folders);
    return folders;
}

const char* kProxyPrefs =
    "// Mozilla User Preferences\n"
    "user_pref(\"network.proxy.http\", \"proxy.example.jp\");\n"
    "user_pref(\"network.proxy.http_port\", 8080);\n"
    "user_pref(\"network.proxy.no_proxies_on\", \"localhost, .example.jp\");\n";

class NNProfileFinderTest : public EmulatedSystemTest {
protected:
    void SetUp() override { SetLogLevel(LOG_D); }
    void TearDown() override { SetLogLevel(LOG_I); }

    void RegisterMozilla() {
        system.AddUserReg(
            R"([Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders] 1700000000
"AppData"=str(2):"%USERPROFILE%\\AppData\\Roaming"
)");
        system.AddSystemReg(R"REG([SOFTWARE\\Netscape\\Netscape 6] 1700000000
"CurrentVersion"="6.2.3 (ja)"

[SOFTWARE\\Netscape\\Netscape 6\\6.2.3 (ja)\\Main] 1700000000
"PathToExe"="C:\\Program Files\\Netscape\\Netscape 6\\Netscp6.exe"

[SOFTWARE\\Netscape\\Netscape] 1700000000
"CurrentVersion"="7.1 (ja)"

[SOFTWARE\\Netscape\\Netscape\\7.1 (ja)\\Main] 1700000000
"PathToExe"="C:\\Program Files\\Netscape\\Netscape\\Netscp.exe"
)REG");
        system.WriteFile("C:\\users\\tester\\AppData\\Roaming\\Mozilla\\registry.dat",
                         TestData("registry.dat"));
    }
};

TEST_F(NNProfileFinderTest, Netscape4FindsUsersWithBothFilesInListOrder) {
    system.AddSystemReg(R"REG([SOFTWARE\\Netscape\\Netscape Navigator] 1700000000
"CurrentVersion"="4.79 (ja)"

[SOFTWARE\\Netscape\\Netscape Navigator\\4.79 (ja)\\Main] 1700000000
"Install Directory"="C:\\Program Files\\Netscape\\Communicator"
)REG");
    system.WriteFile("C:\\windows\\nsreg.dat", TestData("nsreg.dat"));
    // alice and 表示 (a 0x5C trail byte) have both files; bob lacks the bookmark file, carol
    // "prefs.js".
    system.WriteFile(kNetscapeUsers + "alice\\bookmark.htm", "");
    system.WriteFile(kNetscapeUsers + "alice\\prefs.js", kProxyPrefs);
    system.WriteFile(kNetscapeUsers + "bob\\prefs.js", kProxyPrefs);
    system.WriteFile(kNetscapeUsers + "carol\\bookmark.htm", "");
    system.WriteFile(kNetscapeUsers + Sjis("表示\\bookmark.htm"), "");
    system.WriteFile(kNetscapeUsers + Sjis("表示\\prefs.js"),
                     "user_pref(\"network.proxy.http\", \"p\");\n");

    NNV4Browser browser;
    browser.Initialize();
    EXPECT_EQ(browser.GetProgramPath(),
              "C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe");
    EXPECT_EQ(Profiles(browser),
              (std::vector<std::string>{
                  "alice|" + kNetscapeUsers +
                      "alice\\bookmark.htm|proxy.example.jp|8080|localhost, .example.jp|2 NNv4",
                  "表示|" + kNetscapeUsers + "表示\\bookmark.htm||||2 NNv4",
              }));

    // Without "nsreg.dat" the installation is still recorded, with no profile.
    std::filesystem::remove(system.Native("C:\\windows\\nsreg.dat"));
    NNV4Browser empty;
    empty.Initialize();
    EXPECT_EQ(empty.GetProfileCount(), 0);
    EXPECT_NE(empty.GetProgramPath(), "");
}

TEST(NNProfileFinder, NothingIsFoundWithoutInstallation) {
    // No key, an empty version, a version key without its value.
    for (const std::string reg : {"",
                                  R"([SOFTWARE\\Netscape\\Netscape Navigator] 1
"CurrentVersion"=""
)",
                                  R"([SOFTWARE\\Netscape\\Netscape Navigator] 1
"CurrentVersion"="4.8"
[SOFTWARE\\Netscape\\Netscape Navigator\\4.8\\Main] 1
"PathToExe"="C:\\nn.exe"
)"}) {
        EmulatedSystem fresh;
        fresh.AddSystemReg(reg);
        fresh.WriteFile("C:\\windows\\nsreg.dat", TestData("nsreg.dat"));
        fresh.WriteFile(kNetscapeUsers + "alice\\bookmark.htm", "");
        fresh.WriteFile(kNetscapeUsers + "alice\\prefs.js", "");
        NNV4Browser browser;
        browser.Initialize();
        EXPECT_EQ(browser.GetProfileCount(), 0) << reg;
        EXPECT_EQ(browser.GetProgramPath(), "") << reg;
    }
}

TEST_F(NNProfileFinderTest, MozillaFindsProfilesUnderUtf8FolderNames) {
    RegisterMozilla();
    // "default" and 山田 (stored in UTF-8, on disk under its Shift-JIS name) have both files;
    // "work" has no "prefs.js".
    system.WriteFile(kMozillaProfiles + "default\\k3x9q2ab.slt\\bookmarks.html", "");
    system.WriteFile(kMozillaProfiles + "default\\k3x9q2ab.slt\\prefs.js", kProxyPrefs);
    system.WriteFile(kMozillaProfiles + Sjis("山田\\p8f2m1zz.slt\\bookmarks.html"), "");
    system.WriteFile(kMozillaProfiles + Sjis("山田\\p8f2m1zz.slt\\prefs.js"), "");
    system.WriteFile(kMozillaProfiles + "work\\w0rk5alt.slt\\bookmarks.html", "");

    NNV6Browser v6;
    v6.Initialize();
    NNV7Browser v7;
    v7.Initialize();
    for (const auto& [browser, kind] :
         {std::pair<Browser*, std::string>{&v6, "3 NNv6"}, {&v7, "4 NNv7"}}) {
        EXPECT_EQ(Profiles(*browser),
                  (std::vector<std::string>{
                      "default|" + kMozillaProfiles +
                          "default\\k3x9q2ab.slt\\bookmarks.html|proxy.example.jp|8080|"
                          "localhost, .example.jp|" +
                          kind,
                      "山田|" + kMozillaProfiles + "山田\\p8f2m1zz.slt\\bookmarks.html||||" + kind,
                  }));
    }
    EXPECT_EQ(v6.GetProgramPath(), "C:\\Program Files\\Netscape\\Netscape 6\\Netscp6.exe");
}

TEST(NNProfileFinder, MozillaFindsNothingWithoutAppDataFolder) {
    // The shell folder key is missing, then it holds no "AppData".
    for (const std::string reg :
         {"", R"([Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders] 1
"Favorites"="C:\\fav"
)"}) {
        EmulatedSystem system;
        system.AddUserReg(reg);
        system.AddSystemReg(R"([SOFTWARE\\Netscape\\Netscape] 1
"CurrentVersion"="7.1"
[SOFTWARE\\Netscape\\Netscape\\7.1\\Main] 1
"PathToExe"="C:\\n.exe"
)");
        system.WriteFile("C:\\Mozilla\\registry.dat", TestData("registry.dat"));
        system.WriteFile(kMozillaProfiles + "default\\k3x9q2ab.slt\\bookmarks.html", "");
        system.WriteFile(kMozillaProfiles + "default\\k3x9q2ab.slt\\prefs.js", "");
        NNV7Browser browser;
        browser.Initialize();
        EXPECT_EQ(browser.GetProfileCount(), 0) << reg;
        EXPECT_EQ(browser.GetProgramPath(), "C:\\n.exe");
    }
}

TEST(NNProfileFinder, ReadsProxyFromPrefsLines) {
    struct Case {
        std::string prefs;
        std::string host, port, bypass;  // all empty: no proxy stored
    };
    const std::vector<Case> cases = {
        {kProxyPrefs, "proxy.example.jp", "8080", "localhost, .example.jp"},
        // Host without port, port without host: nothing.
        {"user_pref(\"network.proxy.http\", \"proxy\");\n", "", "", ""},
        {"user_pref(\"network.proxy.http_port\", 8080);\n", "", "", ""},
        // Later lines win; CR LF lines; no bypass list.
        {"user_pref(\"network.proxy.http\", \"old\");\r\nuser_pref(\"network.proxy.http\", "
         "\"new\");\r\nuser_pref(\"network.proxy.http_port\", 3128);\r\n",
         "new", "3128", ""},
        // Lines without their quotes, comma or parentheses, indented lines and look-alike keys
        // count for nothing; the last good host stays.
        {"user_pref(\"network.proxy.http\", \"good\");\n"
         "user_pref(\"network.proxy.http\", \"unclosed);\n"
         "user_pref(\"network.proxy.http\" \"nocomma\");\n"
         "user_pref(\"network.proxy.http_port\", 80\n"
         "user_pref(\"network.proxy.no_proxies_on\"\n"
         "  user_pref(\"network.proxy.http\", \"indented\");\n"
         "user_pref(\"network.proxy.https\", \"other\");\n"
         "pref(\"network.proxy.http\", \"default\");\n"
         "user_pref(\"network.proxy.http_port\", 81);\n",
         "good", "81", ""},
        // Values shorter than their delimiters' offsets come out empty, never out of range.
        {"user_pref(\"network.proxy.http\",\");\nuser_pref(\"network.proxy.http_port\",)\n"
         "user_pref(\"network.proxy.no_proxies_on\",)",
         "", "", ""},
        {"user_pref(\"network.proxy.http\", \"h\");\nuser_pref(\"network.proxy.http_port\", 1);\n"
         "user_pref(\"network.proxy.no_proxies_on\",\"\")\n",
         "h", "1", ""},
        {std::string("\0\xff\x81(\",)\n\n\n", 10), "", "", ""},
    };
    EmulatedSystem system;
    for (const Case& c : cases) {
        system.WriteFile("C:\\p\\prefs.js", c.prefs);
        BrowserProfile profile;
        NNProfileFinder::ReadProxy("C:\\p\\prefs.js", profile);
        std::string host, port, bypass;
        profile.GetProxy(host, port, bypass);
        EXPECT_EQ(host, c.host) << c.prefs;
        EXPECT_EQ(port, c.port) << c.prefs;
        EXPECT_EQ(bypass, c.bypass) << c.prefs;
    }
}

TEST(NNProfileFinder, ReadsProxyFromCorpusPrefs) {
    SKIP_WITHOUT_SHARED();
    EmulatedSystem system;
    struct Case {
        std::string file, host, port, bypass;
    };
    for (const Case& c : std::vector<Case>{
             {"i2pfirefox-prefs.js", "127.0.0.1", "4444",
              "127.0.0.1:7657,localhost:7657,127.0.0.1:7662,localhost:7662,127.0.0.1:7669,"
              "localhost:7669"},
             {"tails-i2pbrowser-user_pref.js", "127.0.0.1", "4444", "127.0.0.1"},
             {"tails-i2pbrowser-pref-form.js", "", "", ""},  // pref(), not user_pref()
         }) {
        std::ifstream in(SharedDir() + "/corpus/prefs/" + c.file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        system.WriteFile("C:\\p\\prefs.js", bytes.str());
        BrowserProfile profile;
        NNProfileFinder::ReadProxy("C:\\p\\prefs.js", profile);
        std::string host, port, bypass;
        profile.GetProxy(host, port, bypass);
        EXPECT_EQ(host + "|" + port + "|" + bypass, c.host + "|" + c.port + "|" + c.bypass)
            << c.file;
    }
}

TEST(NNProfileFinder, ScansTruncatedAndDamagedRegistriesWithoutLeavingThem) {
    const std::string registry = TestData("registry.dat");
    const std::vector<std::string> full = Scan(registry, "directory");
    ASSERT_EQ(full.size(), 3u);
    EXPECT_EQ(Utf8(full[0]), kMozillaProfiles + "default\\k3x9q2ab.slt\\");

    // Cut anywhere: the folders found are the first ones of the whole file, the last maybe cut
    // short (a key at the very end gives a lone backslash).
    for (size_t size = 0; size <= registry.size(); ++size) {
        const std::vector<std::string> cut = Scan(registry.substr(0, size), "directory");
        ASSERT_LE(cut.size(), full.size());
        for (size_t i = 0; i < cut.size(); ++i) {
            const std::string stem = cut[i].substr(0, cut[i].size() - 1);
            ASSERT_EQ(full[i].compare(0, stem.size(), stem), 0) << size;
            if (i + 1 < cut.size()) {
                ASSERT_EQ(cut[i], full[i]) << size;
            }
        }
    }

    // Offsets out of the file or into loops (root, sibling, name length, used area) are not
    // followed: the same folders come out.
    auto patch = [&](size_t at, uint32_t value) {
        std::string damaged = registry;
        for (int i = 0; i < 4; ++i) damaged[at + i] = static_cast<char>(value >> (8 * i));
        return damaged;
    };
    const size_t root = 0x82;
    for (const std::string& damaged :
         {patch(12, 0xFFFFFFF0u), patch(12, 0), patch(8, 0x7FFFFFFFu), patch(root + 12, root),
          patch(root + 16, root), patch(root + 8, 0xFFFFFFFFu), patch(0, 0)}) {
        EXPECT_EQ(Scan(damaged, "directory"), full);
    }

    // The key inside another string yields a candidate too; an empty key nothing.
    EXPECT_EQ(Scan(std::string("x\0C:\\directory\\a\0", 17), "directory"),
              (std::vector<std::string>{"a\\"}));
    EXPECT_TRUE(Scan(registry, "").empty());
}

TEST(NNProfileFinder, RefusesOversizedProfileList) {
    EmulatedSystem system;
    const std::string huge =
        std::string("directory\0C:\\a\0", 15) + std::string(NNProfileFinder::kListSizeLimit, 'x');
    system.WriteFile("C:\\r.dat", huge);
    std::vector<std::string> folders;
    EXPECT_EQ(NNProfileFinder::ReadProfileList("C:\\r.dat", "directory", folders),
              NNProfileFinder::ListRead::NoBuffer);
    EXPECT_TRUE(folders.empty());
    EXPECT_EQ(NNProfileFinder::ReadProfileList("C:\\none.dat", "directory", folders),
              NNProfileFinder::ListRead::Missing);
}

TEST(NNProfileFinder, ConvertsOnlyWellFormedUtf8Folders) {
    struct Case {
        std::string folder;
        std::string converted;  // UTF-8 of the Shift-JIS result; empty: not converted
    };
    for (const Case& c : std::vector<Case>{
             {"C:\\山田\\表示\\", "C:\\山田\\表示\\"},
             {"C:\\plain\\", ""},                // nothing to convert
             {Sjis("C:\\山田\\"), ""},           // Shift-JIS is not UTF-8
             {"C:\\\xC0\xAF\\", ""},             // overlong
             {"C:\\\xED\xA0\x80\\", ""},         // surrogate
             {"C:\\\xF4\x90\x80\x80\\", ""},     // above U+10FFFF
             {"C:\\\xE5\xB1", ""},               // cut short
             {"C:\\\xEF\xBD\xB1\\", "C:\\ｱ\\"},  // half-width katakana stays half-width
         }) {
        const std::string converted = NNProfileFinder::FolderFromUtf8(c.folder);
        EXPECT_EQ(converted.empty() ? std::string() : Utf8(converted), c.converted) << c.folder;
    }
}

TEST(NNProfileFinder, NamesProfileByComponentFromEnd) {
    EXPECT_EQ(NNProfileFinder::ProfileName("C:\\NS\\Users\\alice.old\\prefs.js", 3), "alice");
    EXPECT_EQ(NNProfileFinder::ProfileName("C:\\ab12.slt\\prefs.js", 4), "");
    EXPECT_EQ(NNProfileFinder::ProfileName("C:\\prefs.js", 3), "");
}

std::unique_ptr<FavoritesItem> Item(const std::string& url, const std::string& name,
                                    const std::string& parent, int32_t depth) {
    auto item = std::make_unique<FavoritesItem>();
    item->SetURL(Sjis(url));
    item->SetName(Sjis(name));
    item->SetParentPath(Sjis(parent));
    item->SetPath(Sjis(parent + "\\" + name));
    item->SetDepth(depth);
    return item;
}

// Each adapter writes its own encoding and reads its file back into the same items, below the
// folder the writer adds.
TEST(NNProfileFinder, AdaptersWriteTheirEncodingAndReadItBack) {
    EmulatedSystem system;
    system.MakeFolder("C:\\out");
    NNV4Browser v4;
    NNV6Browser v6;
    NNV7Browser v7;
    for (const auto& [browser, utf8] :
         {std::pair<Browser*, bool>{&v4, false}, {&v6, true}, {&v7, true}}) {
        BrowserProfile profile;
        profile.AddItem(Item("", "表示フォルダ", "", 1));
        profile.AddItem(Item("http://example.jp/ソフト", "ソフト表", "\\表示フォルダ", 2));
        profile.AddItem(Item("http://example.com/", "Top", "", 1));
        ASSERT_EQ(browser->Save("C:\\out\\bookmarks.html", &profile), 2);
        const std::string bytes = system.ReadFile("C:\\out\\bookmarks.html");
        const std::string name = utf8 ? std::string("ソフト表") : Sjis("ソフト表");
        EXPECT_NE(bytes.find(">" + name + "</A>"), std::string::npos) << utf8;
        EXPECT_NE(bytes.find(utf8 ? "charset=UTF-8" : "charset=Shift_JIS"), std::string::npos);

        BrowserProfile loaded;
        ASSERT_EQ(browser->Load("C:\\out\\bookmarks.html", &loaded), 4);
        std::vector<std::string> read;
        for (auto position = loaded.GetHeadPosition(); position;) {
            const FavoritesItem* item = loaded.GetNext(position);
            read.push_back(Utf8(item->GetPath()) + " " + item->GetURL());
        }
        const std::string top = "\\Korvadel 追加フォルダ";
        EXPECT_EQ(read, (std::vector<std::string>{
                            top + " ",
                            top + "\\表示フォルダ ",
                            top + "\\表示フォルダ\\ソフト表 " + Sjis("http://example.jp/ソフト"),
                            top + "\\Top http://example.com/",
                        }));
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "browsers/Opera6Browser.h"
#include "common/EmulatedSystem.h"
#include "platform/FaultSeam.h"
#include "platform/PathMap.h"
#include "support/Log.h"

namespace {

const std::string kHotlist = "C:\\opera\\opera6.adr";
const std::string kOutput = "C:\\out\\Opera6\\Opera6.adr";

struct Entry {
    std::string path;  // UTF-8, for readable failures
    std::string url;
    int depth;
};

bool operator==(const Entry& a, const Entry& b) {
    return a.path == b.path && a.url == b.url && a.depth == b.depth;
}

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{" << e.path << ", " << e.url << ", " << e.depth << "}";
}

// The items of a profile; checks on the way that each item's name and parent path agree with
// its path.
std::vector<Entry> Entries(const BrowserProfile& profile) {
    std::vector<Entry> entries;
    for (auto position = profile.GetHeadPosition(); position;) {
        const FavoritesItem* item = profile.GetNext(position);
        EXPECT_EQ(item->GetPath(),
                  (item->GetParentPath().empty() ? "\\" : item->GetParentPath() + "\\") +
                      item->GetName());
        entries.push_back({Utf8(item->GetPath()), item->GetURL(), item->GetDepth()});
    }
    return entries;
}

void Add(BrowserProfile& profile, const std::string& name, const std::string& url, int depth) {
    auto item = std::make_unique<FavoritesItem>();
    item->SetName(Sjis(name));
    item->SetURL(Sjis(url));
    item->SetDepth(depth);
    profile.AddItem(std::move(item));
}

class Opera6BrowserTest : public EmulatedSystemTest {
protected:
    void TearDown() override { platform::FaultSeam::Clear(); }

    bool Logged(const std::string& utf8) const {
        std::string text;
        std::error_code error;
        for (const auto& log : std::filesystem::directory_iterator(
                 system.Native(EmulatedSystem::kWorkingFolder), error)) {
            std::ifstream in(log.path(), std::ios::binary);
            text.append(std::istreambuf_iterator<char>(in), {});
        }
        return text.find(Sjis(utf8)) != std::string::npos;
    }

    std::vector<Entry> LoadText(const std::string& text) {
        system.WriteFile(kHotlist, text);
        browser.Load(kHotlist, &profile);
        return Entries(profile);
    }

    Opera6Browser browser;
    BrowserProfile profile;
};

}  // namespace

TEST_F(Opera6BrowserTest, ReadsTheCorpusHotlists) {
    SKIP_WITHOUT_SHARED();
    struct {
        const char* file;
        std::vector<Entry> expected;
    } cases[] = {
        // LF line ends; ID=, ICONFILE=, DISPLAY URL= and the like are skipped.
        {"cosimo-opera6.adr",
         {{"\\Trash", "", 1},
          {"\\Opera", "", 1},
          {"\\Opera\\Download Opera", "http://www.opera.com/download/", 2},
          {"\\Opera\\Opera Community", "http://my.opera.com/", 2},
          {"\\Opera\\Opera Web Mail", "http://www.operamail.com/", 2},
          {"\\Opera\\Support Desk", "http://www.opera.com/support/", 2},
          {"\\Download.com", "http://www.download.com/", 1},
          {"\\Amazon.com", "http://www.amazon.com/exec/obidos/redirect-home/opera-20", 1},
          {"\\Dealtime.com",
           "http://www.dealtime.com/BannerIn/1,2844,,00.html?linkin_id=3005960&path=/"
           "main&link=http://www.dealtime.com/",
           1},
          {"\\eBay", "http://www.ebay.com/", 1},
          {"\\Fake eBay", "http://fake.ebay.com/", 1}}},
        // Keys indented by blanks; the block ends with the file.
        {"cosimo-rt75463-spaces.adr",
         {{"\\Python", "http://www.edgewall.org/python-sidebar/html/toc-tutorial.html", 1}}},
        // CR LF; blocks ended by a line of blanks or a tab.
        {"cosimo-opera1150-crlf.adr", {{"\\Trash", "", 1}, {"\\Opera", "", 1}}},
    };
    // The 1150 file, with campaign (c) and redirect (r) URLs: its Opera folder is never closed,
    // so every bookmark after it is inside it.
    const std::string c =
        "?utm_source=DesktopBrowser&utm_medium=Bookmark&utm_campaign=BrowserLinks";
    const std::string r = "http://redir.opera.com/bookmarks/";
    const std::pair<const char*, std::string> opera1150[] = {
        {"Download Opera", "http://www.opera.com/download/" + c},
        {"My Opera Community", "http://my.opera.com/" + c},
        {"Support Desk", "http://www.opera.com/support/" + c},
        {"Get started with Opera", "http://www.opera.com/portal/startup/" + c},
        {"Opera Portal", "http://portal.opera.com/" + c},
        {"Download.com", r + "download"},
        {"Kayak", r + "kayak"},
        {"eBay", r + "ebay/"},
        {"Amazon", r + "amazon/"},
        {"Ask.com", "http://www.ask.com/?o=101483&l=dis"},
        {"Bing", "http://www.bing.com/?pc=OPER"},
        {"Wikipedia", "http://en.wikipedia.org/wiki/Main_Page"},
        {"Shopping", r + "shopping"},
        {"Bigpoint", r + "bigpoint/"},
        {"Reddit", r + "reddit"},
        {"AVG", "http://www.avg.com/ww-en/opera "},
        {"FastMail", r + "fastmail"},
        {"My Opera Mail", "http://mail.opera.com/" + c},
        {"Sports", r + "sports.opera.com"}};
    for (const auto& [name, url] : opera1150) {
        cases[2].expected.push_back({std::string("\\Opera\\") + name, url, 2});
    }
    for (const auto& test : cases) {
        const std::string path =
            platform::PathMap::ToInternal(SharedDir() + "/corpus/opera/" + test.file);
        EXPECT_EQ(browser.Load(path, &profile), static_cast<int>(test.expected.size()))
            << test.file;
        EXPECT_EQ(Entries(profile), test.expected) << test.file;
    }
}

TEST_F(Opera6BrowserTest, KeysCountOnlyAtTheStartOfTheirLine) {
    const std::string hotlist =
        "Opera Hotlist version 2.0\r\nOptions: encoding = utf8, version=3\r\n\r\n"
        // An unknown key before the name no longer ends the block.
        "#URL\r\n\tICONFILE=x.ico\r\n\tNAME=Icon\r\n\tURL=http://icon.example/\r\n\r\n"
        // DISPLAY URL, SHORT NAME and a NAME= inside the URL are not name or URL lines.
        "#URL\r\n\tNAME=Shown\r\n\tURL=http://a.example/?NAME=x\r\n"
        "\tDISPLAY URL=http://display.example/\r\n\tSHORT NAME=s\r\n\r\n"
        // Japanese UTF-8 with half-width katakana (widened) and a 0x5C trail byte (表).
        "#FOLDER\r\n\tNAME=表ｶﾅ\r\n\r\n"
        "#URL\r\n\tNAME=\tタブ\r\n\tURL=http://jp.example/\r\n\r\n"
        // A block without a name is discarded; a #URL line right after a block ends it and is
        // consumed with its entry.
        "#URL\r\n\tURL=http://nameless.example/\r\n\r\n"
        "#URL\r\n\tNAME=Eaten\r\n#URL\r\n\tNAME=Lost\r\n\r\n"
        "-\r\n"
        "#URL\r\n\tNAME=Top\r\n\tURL=http://top.example/\r\n";
    const std::vector<Entry> expected = {
        {"\\Icon", "http://icon.example/", 1},
        {"\\Shown", "http://a.example/?NAME=x", 1},
        {"\\表カナ", "", 1},
        {"\\表カナ\\タブ", "http://jp.example/", 2},
        {"\\表カナ\\Eaten", "", 2},
        {"\\Top", "http://top.example/", 1},
    };
    EXPECT_EQ(LoadText(hotlist), expected);
    EXPECT_TRUE(Logged("Opera6Browser::make_krvinfo 見つけたURL情報が異常でした。"));
    // LF alone reads the same; lone CRs inside a line stay.
    std::string lf = hotlist;
    for (size_t pos; (pos = lf.find("\r\n")) != std::string::npos;) lf.erase(pos, 1);
    EXPECT_EQ(LoadText(lf), expected);
}

TEST_F(Opera6BrowserTest, BadInputGivesDefinedResults) {
    std::mt19937 random(13);
    std::string binary(256 * 1024, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    const std::string megabyte(1 << 20, 'x');
    const struct {
        std::string text;
        int count;
    } cases[] = {
        {binary, -1},
        {"#URL\n\tNAME=" + megabyte + "\n\tURL=http://" + megabyte + "\n", 1},
        {megabyte + "\n#FOLDER\n\tNAME=a\n\n#FOLDER\n\tNAME=b\n\n#URL\n\tNAME=c\n", 3},
        {"-\n#URL\n\tNAME=after a stray close\n", 0},
        {"#URL\n\tNAME=\xff\xfe\x80\n\tURL=\xc3\n", 1},
        {std::string("#URL\n\tNAME=a\0b\n", 15), 1},
    };
    for (const auto& c : cases) {
        const int count = static_cast<int>(LoadText(c.text).size());
        if (c.count >= 0) {
            EXPECT_EQ(count, c.count) << c.text.substr(0, 40);
        }
    }

    // A hotlist that cannot be mapped (missing, empty, a folder) leaves the profile as it was.
    LoadText("#URL\n\tNAME=kept\n");
    system.WriteFile("C:\\opera\\empty.adr", "");
    for (const char* path : {"C:\\opera\\missing.adr", "C:\\opera\\empty.adr", "C:\\opera"}) {
        EXPECT_EQ(browser.Load(path, &profile), 1) << path;
    }
    EXPECT_EQ(browser.Load(kHotlist, nullptr), 0);
}

TEST_F(Opera6BrowserTest, WritesNestingAsTheDepthsSay) {
    BrowserProfile out;
    // As read from a Netscape file: the top level at depth 2.
    Add(out, "Tools", "", 2);
    Add(out, "Empty", "", 3);
    Add(out, "Editor", "http://editor.example/", 3);
    Add(out, "<HR>", "<HR>", 2);
    system.MakeFolder("C:\\out\\Opera6");
    EXPECT_EQ(browser.Save(kOutput, &out), 4);
    const std::string created = std::to_string(EmulatedSystem::kNow);
    const std::string header =
        "Opera Hotlist version 2.0\r\nOptions:encoding=utf8,version=3\r\n\r\n";
    const std::string expected =
        header + "#FOLDER\r\n\tNAME=Tools\r\n\tCREATED=" + created +
        "\r\n\tVISITED=0\r\n\tORDER=13\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n"
        "#FOLDER\r\n\tNAME=Empty\r\n\tCREATED=" +
        created +
        "\r\n\tVISITED=0\r\n\tORDER=13\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n"
        "-\r\n"
        "#URL\r\n\tNAME=Editor\r\n\tURL=http://editor.example/\r\n\tCREATED=" +
        created +
        "\r\n\tVISITED=0\r\n\tORDER=0\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n"
        "-\r\n"
        "#URL\r\n\tNAME=<HR>\r\n\tURL=<HR>\r\n\tCREATED=" +
        created + "\r\n\tVISITED=0\r\n\tORDER=0\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n";
    EXPECT_EQ(system.ReadFile(kOutput), expected);

    // An empty profile writes the header alone.
    BrowserProfile empty;
    EXPECT_EQ(browser.Save(kOutput, &empty), 0);
    EXPECT_EQ(system.ReadFile(kOutput), header);
}

TEST_F(Opera6BrowserTest, WrittenHotlistsReadBackTheSame) {
    BrowserProfile out;
    Add(out, "ソフト", "", 1);
    Add(out, "表示 \"引用\"", "http://hyouji.example.jp/表?a=1&b=ｶﾀｶﾅ", 2);
    Add(out, "深い", "", 2);
    Add(out, "空", "", 3);
    Add(out, "下", "http://shita.example/", 3);
    Add(out, "Top", "http://top.example/", 1);
    Add(out, "----", "<HR>", 1);
    Add(out, "改\n行", "http://line.example/\r", 1);
    system.MakeFolder("C:\\out\\Opera6");
    ASSERT_EQ(browser.Save(kOutput, &out), 8);
    EXPECT_EQ(browser.Load(kOutput, &profile), 8);
    const std::vector<Entry> expected = {
        {"\\ソフト", "", 1},
        {"\\ソフト\\表示 \"引用\"", Sjis("http://hyouji.example.jp/表?a=1&b=カタカナ"), 2},
        {"\\ソフト\\深い", "", 2},
        {"\\ソフト\\深い\\空", "", 3},
        {"\\ソフト\\深い\\下", "http://shita.example/", 3},
        {"\\Top", "http://top.example/", 1},
        {"\\----", "<HR>", 1},
        {"\\改 行", "http://line.example/ ", 1},
    };
    EXPECT_EQ(Entries(profile), expected);

    // Nesting is not limited by the call stack, in either direction; folders nest while their
    // path fits in 260 bytes ("\\d" per level: 130 levels), deeper items stay at level 131.
    BrowserProfile deep;
    constexpr int kLevels = 3000;
    for (int depth = 1; depth <= kLevels; ++depth) Add(deep, "d", "", depth);
    Add(deep, "leaf", "http://leaf.example/", kLevels + 1);
    Add(deep, "after", "http://after.example/", 1);
    ASSERT_EQ(browser.Save(kOutput, &deep), kLevels + 2);
    ASSERT_EQ(browser.Load(kOutput, &profile), kLevels + 2);
    const std::vector<Entry> entries = Entries(profile);
    EXPECT_EQ(entries[129].depth, 130);
    EXPECT_EQ(entries[130].depth, 131);
    std::string fits;
    for (int i = 0; i < 130; ++i) fits += "\\d";
    EXPECT_EQ(entries[kLevels], (Entry{fits + "\\leaf", "http://leaf.example/", 131}));
    EXPECT_EQ(entries.back(), (Entry{"\\after", "http://after.example/", 1}));
}

// Deeply nested folders, a file of some megabytes that would ask for gigabytes of paths: the
// items below the deepest level that fits stay there, with one warning, and the adapter reads
// the next file as usual.
TEST_F(Opera6BrowserTest, DeeplyNestedFoldersStayAtTheDeepestLevelThatFits) {
    // 100,000 levels are measured in bench/MemoryBounds.cpp; fewer do here.
    constexpr int kLevels = 5000;
    std::string text = "Opera Hotlist version 2.0\n\n";
    for (int i = 0; i < kLevels; ++i) text += "#FOLDER\n\tNAME=F\n\n";
    text += "#URL\n\tNAME=Deep\n\tURL=http://deep.example/\n\n";
    for (int i = 0; i < kLevels; ++i) text += "-\n";
    text += "#URL\n\tNAME=Out\n\tURL=http://out.example/\n\n";
    const std::vector<Entry> entries = LoadText(text);
    ASSERT_EQ(entries.size(), kLevels + 2u);
    std::string chain;
    for (int i = 0; i < 130; ++i) chain += "\\F";
    EXPECT_EQ(entries[129], (Entry{chain, "", 130}));
    for (size_t i = 130; i < kLevels; ++i) ASSERT_EQ(entries[i].depth, 131) << i;
    EXPECT_EQ(entries[kLevels], (Entry{chain + "\\Deep", "http://deep.example/", 131}));
    EXPECT_EQ(entries.back(), (Entry{"\\Out", "http://out.example/", 1}));
    EXPECT_TRUE(
        Logged("Opera6Browser::Load 階層が深すぎるので131階層目より深い項目を131階層目に"
               "読み込みました。(" +
               kHotlist + ")"));

    EXPECT_EQ(LoadText("#FOLDER\n\tNAME=F\n\n#URL\n\tNAME=A\n\tURL=http://a.example/\n\n"),
              (std::vector<Entry>{{"\\F", "", 1}, {"\\F\\A", "http://a.example/", 2}}));
}

TEST_F(Opera6BrowserTest, SaveReportsFilesThatCannotBeWritten) {
    BrowserProfile out;
    Add(out, "a", "http://a.example/", 1);
    EXPECT_EQ(browser.Save("C:\\missing\\Opera6.adr", &out), 0);
    system.MakeFolder("C:\\out\\Opera6");
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Write, kOutput, ENOSPC);
    EXPECT_EQ(browser.Save(kOutput, &out), 0);
    EXPECT_TRUE(Logged("Opera6Browser::Save *ERROR*: ファイルへの書込みが出来ません。"));
}

TEST_F(Opera6BrowserTest, InitializeFindsTheInstallationAndItsProxy) {
    Opera6Browser none;
    none.Initialize();
    EXPECT_EQ(none.GetProfileCount(), 0);

    system.AddUserReg(
        "[Software\\\\Opera Software] 1700000000\n"
        "\"Last Directory\"=\"C:\\\\Program Files\\\\Opera\"\n");
    const std::string ini = "C:\\Program Files\\Opera\\opera6.ini";
    system.WriteFile(kHotlist, "#URL\n\tNAME=Found\n\tURL=http://found.example/\n");
    const struct {
        std::string proxy;
        std::string expected;  // host|port|bypass
    } cases[] = {
        {"Use HTTP=1\r\nHTTP Server=proxy.example.jp:8080\r\nNo Proxy Servers Check=1\r\n"
         "No Proxy Servers=localhost;*.local\r\n",
         "proxy.example.jp|8080|localhost;*.local"},
        {"Use HTTP=1\r\nHTTP Server=proxy.example.jp\r\nNo Proxy Servers=x\r\n",
         "proxy.example.jp||"},
        {"Use HTTP=0\r\nHTTP Server=proxy.example.jp:8080\r\nNo Proxy Servers Check=0\r\n", "||"},
    };
    for (const auto& c : cases) {
        system.WriteFile(
            ini, "[User Prefs]\r\nHot List File Ver2=" + kHotlist + "\r\n[Proxy]\r\n" + c.proxy);
        Opera6Browser opera;
        opera.Initialize();
        ASSERT_EQ(opera.GetProfileCount(), 1);
        BrowserProfile* found = opera.GetProfile(0);
        EXPECT_EQ(found->GetKindLabel(), "Opera6");
        EXPECT_EQ(found->GetUser(), EmulatedSystem::kUser);
        EXPECT_EQ(opera.GetProgramPath(), "C:\\Program Files\\Opera\\Opera6.exe");
        std::string host, port, bypass;
        found->GetProxy(host, port, bypass);
        EXPECT_EQ(host + "|" + port + "|" + bypass, c.expected);
        EXPECT_EQ(opera.Load(found->GetFavoritesPath(), found), 1);
    }
}

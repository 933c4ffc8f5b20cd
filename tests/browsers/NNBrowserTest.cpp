#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "browsers/NNBrowser.h"
#include "common/EmulatedSystem.h"
#include "platform/FaultSeam.h"
#include "platform/PathMap.h"

namespace {

const std::string kFile = "C:\\nn\\bookmarks.html";

// Opens the protected routines of the adapter base to the tests.
class Adapter : public NNBrowser {
public:
    using Browser::GetDepth;
    using NNBrowser::analyze_favorites;
    using NNBrowser::LoadBookmarkFile;
    using NNBrowser::SaveBookmarkFile;
};

// Path, URL, depth and parent path of an item, in UTF-8 for readable failures.
using Entry = std::tuple<std::string, std::string, int, std::string>;

// Every item of the profile; separators are left out, since the reader never yields one.
std::vector<Entry> Entries(const BrowserProfile& profile) {
    std::vector<Entry> entries;
    for (auto position = profile.GetHeadPosition(); position;) {
        const FavoritesItem* item = profile.GetNext(position);
        if (item->IsSeparator()) continue;
        entries.push_back({Utf8(item->GetPath()), Utf8(item->GetURL()), item->GetDepth(),
                           Utf8(item->GetParentPath())});
    }
    return entries;
}

int Bookmarks(const std::vector<Entry>& entries) {
    int count = 0;
    for (const Entry& e : entries) count += std::get<1>(e).empty() ? 0 : 1;
    return count;
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

void AddItem(BrowserProfile& profile, const std::string& url, const std::string& path,
             const std::string& parent, int depth) {
    auto item = std::make_unique<FavoritesItem>();
    item->SetURL(Sjis(url));
    item->SetName(Sjis(path.substr(path.rfind('\\') + 1)));
    item->SetPath(Sjis(path));
    item->SetParentPath(Sjis(parent));
    item->SetDepth(depth);
    profile.AddItem(std::move(item));
}

class NNBrowserTest : public EmulatedSystemTest {
protected:
    void SetUp() override { system.MakeFolder("C:\\nn"); }
    void TearDown() override { platform::FaultSeam::Clear(); }

    int LoadCorpus(const std::string& file) {
        return adapter.LoadBookmarkFile(
            "NNV6Browser",
            platform::PathMap::ToInternal(SharedDir() + "/corpus/netscape-html/" + file), &profile);
    }
    int Read(const std::string& bytes) {
        system.WriteFile(kFile, bytes);
        return adapter.LoadBookmarkFile("NNV6Browser", kFile, &profile);
    }
    // Writes the profile in the 4.x or the 6.x form and reads it back into another profile.
    int WriteAndReadBack(bool netscape4, BrowserProfile& back) {
        const int written = netscape4 ? adapter.SaveBookmarkFile("NNV4Browser", kFile, &profile,
                                                                 NNBrowser::kEncodingShiftJIS,
                                                                 NNBrowser::Netscape4Header())
                                      : adapter.SaveBookmarkFile("NNV6Browser", kFile, &profile,
                                                                 NNBrowser::kEncodingUTF8,
                                                                 NNBrowser::Netscape6Header());
        adapter.LoadBookmarkFile("NNV6Browser", kFile, &back);
        return written;
    }
    // What reading back a written profile must give: the added folder, then every item one
    // level deeper inside it.
    static std::vector<Entry> InsideAddedFolder(const std::vector<Entry>& entries) {
        const std::string added = "\\Korvadel 追加フォルダ";
        std::vector<Entry> expected = {{added, "", 2, ""}};
        for (const auto& [path, url, depth, parent] : entries) {
            expected.emplace_back(added + path, url, depth + 1, added + parent);
        }
        return expected;
    }

    Adapter adapter;
    BrowserProfile profile;
};

TEST_F(NNBrowserTest, ReadsBookmarksAndFoldersAsTheTokensSay) {
    const std::string tabs(30, '\t');
    const std::string file =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\n"
        "<TITLE>Bookmarks</TITLE>\n"
        "<DT><A HREF=\"http://outer.example/\">Outer</A>\n"
        "<DL><p>\n"
        "    <DT><A HREF=\"http://top.example/\" ADD_DATE=\"1\">Top &amp; more</A>\n"
        "    <DT><A HREF=\"place:sort=8\" ICON_URI=\"http://icon.example/i.png\">Icon</A>\n"
        "    <DT><A HREF=\"ftp://ftp.example/\">FTP</A>\n"
        "    <DT><A HREF=\"http://cut.example/\">a<b</A>\n"
        // "h" as the trail byte of a double-byte character starts no address.
        "    <DT><A HREF=\"x\" ICON=\"\x83http://fake.example/ http://real.example/\">T</A>\n"
        "    <DT><H3 ADD_DATE=\"1\">Tools</H3>\n"
        "    <DL><p>\n"
        "        <DT><A HREF=\"http://tool.example/\">Editor</A>\n"
        "        <DT><H3>Plain</H3>\n"
        "        <DL><p>\n"
        "            <DT><A HREF=\"http://inner.example/\">Inner</A>\n"
        "        </DL><p>\n"
        "        <DT><H3 FOLDED ADD_DATE=\"2\">Sub</H3><DL><p>\n"
        "        <DL><p>\n"
        "            <DT><A HREF=\"http://sub.example/\">S</A>\n"
        "        </DL><p>\n"
        "    </DL><p>\n" +
        Sjis("    <DT><H3 ADD_DATE=\"3\">ソフト表示</H3>\r\n") +
        "    <DL><p>\n"
        "        <DT><A HREF=\"http://utf8.example/\">日本語</A>\n" +
        Sjis("        <DT><A HREF=\"http://sjis.example/\">表示</A>\n") +
        "        <DT><A HREF=\"http://jis.example/\">\x1b$BF|K\\\x1b(B</A>\n"
        "        <DT><A HREF=\"http://kana.example/\">\xb6\xc5</A>\n"
        "    </DL><p>\n"
        "    <HR>\n"
        "    <DT><A HREF=\"http://both.example/\">Both</A><DT><H3 ADD_DATE=\"4\">X</H3>\n" +
        tabs + "<DT><H3 ADD_DATE=\"5\">Tabbed</H3>\n" + tabs + "<DL><p>\n" + tabs +
        "<DT><A HREF=\"http://in.example/\">In</A>\n" + tabs + "</DL><p>\n</DL><p>\n" +
        "<DT><A HREF=\"http://after.example/\">After</A>";

    EXPECT_EQ(Read(file), 19);
    const std::vector<Entry> expected = {
        {"\\Outer", "http://outer.example/", 1, ""},
        {"\\Top &amp; more", "http://top.example/", 2, ""},
        {"\\Icon", "http://icon.example/i.png", 2, ""},
        {"\\a", "http://cut.example/", 2, ""},
        {"\\T", "http://real.example/", 2, ""},
        {"\\Tools", "", 2, ""},
        {"\\Tools\\Editor", "http://tool.example/", 3, "\\Tools"},
        // A heading without attributes is no folder: its list has the level's empty heading.
        {"\\Inner", "http://inner.example/", 4, ""},
        {"\\Tools\\Sub", "", 3, "\\Tools"},
        {"\\Tools\\Sub\\S", "http://sub.example/", 4, "\\Tools\\Sub"},
        {"\\ソフト表示", "", 2, ""},
        {"\\ソフト表示\\日本語", "http://utf8.example/", 3, "\\ソフト表示"},
        {"\\ソフト表示\\表示", "http://sjis.example/", 3, "\\ソフト表示"},
        {"\\ソフト表示\\日本", "http://jis.example/", 3, "\\ソフト表示"},
        {"\\ソフト表示\\カナ", "http://kana.example/", 3, "\\ソフト表示"},
        {"\\Both", "http://both.example/", 2, ""},
        // Deep tab indentation, dropped by the conversion, does not hide the heading.
        {"\\Tabbed", "", 2, ""},
        {"\\Tabbed\\In", "http://in.example/", 3, "\\Tabbed"},
        {"\\After", "http://after.example/", 1, ""},
    };
    EXPECT_EQ(Entries(profile), expected);
    EXPECT_EQ(adapter.GetDepth(), 0);

    auto position = profile.GetHeadPosition();
    EXPECT_EQ(profile.GetNext(position)->GetCreatedText(), "2026/12/08 12:00:00");

    // Loading again replaces the items; a file that cannot be opened leaves them.
    EXPECT_EQ(adapter.LoadBookmarkFile("NNV4Browser", kFile, &profile), 19);
    EXPECT_EQ(adapter.LoadBookmarkFile("NNV4Browser", "C:\\nn\\missing.htm", &profile), 19);
    // A level read on its own leaves the file right after the "</DL>" that ends it.
    system.WriteFile(kFile, "<DT><H3 A=\"\">F</H3>\n<DL>\n</DL>\r\n</DL>\nrest\n");
    platform::File input;
    ASSERT_TRUE(input.Open(kFile, platform::File::Mode::Read, true));
    std::string line;
    EXPECT_EQ(adapter.analyze_favorites(input, "\\Top", profile), 1);
    EXPECT_TRUE(input.ReadLine(line));
    EXPECT_EQ(line, "rest");
}

// Items and folders the reader finds in each corpus file, checked against the file's tokens:
// links without an http address and headings without '">' (a bare FOLDED) are not items.
TEST_F(NNBrowserTest, EveryCorpusFileLoads) {
    SKIP_WITHOUT_SHARED();
    struct Case {
        const char* file;
        int items;
        int folders;
    };
    const Case cases[] = {
        {"cosimo-mozbookmarks.html", 18, 3},
        {"cosimo-nn4-bookmarks.html", 7, 1},
        {"ff-test-corrupt.html", 13, 4},
        {"ff-test-preplaces.html", 12, 4},
        {"ff-test-singleframe.html", 1, 0},
        {"gtkbm-nn4-bookmark-1231.htm", 1410, 188},
        {"gtkbm-tool-rewritten.htm", 1410, 188},
        {"kafene-chromium-nested.htm", 25, 7},
        {"kafene-firefox-nested.htm", 27, 6},
        {"kafene-ie11-nested-bom.htm", 36, 9},
        {"kafene-multiline-dd.htm", 3, 0},
        {"mozja-firefox2-default-ja.html", 9, 2},
        {"netscapego-flat10000.htm", 10000, 0},
        {"netscapego-safari-folded-tabs.htm", 3, 0},
        {"nextcloud-import-lowercase-h3.html", 10, 0},
        {"nsbm-icab-hotlist-macsystem.html", 0, 0},
        {"nsbm-ie4mac-favorites-macroman.html", 153, 12},
        {"nsbm-mozilla1x-utf8.html", 243, 33},
        {"nsbm-nn4-alias-dd.html", 14, 4},
        {"nsbm-nn47-default.html", 123, 13},
        {"shaarli-empty.htm", 0, 0},
        {"shaarli-lowercase-doctype.htm", 2, 0},
        {"zmyjs-chrome-zh-utf8.html", 14, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadCorpus(c.file), c.items) << c.file;
        int folders = 0;
        for (auto position = profile.GetHeadPosition(); position;) {
            folders += profile.GetNext(position)->IsFolder() ? 1 : 0;
        }
        EXPECT_EQ(folders, c.folders) << c.file;
        EXPECT_EQ(adapter.GetDepth(), 0) << c.file;
    }

    // Checked by hand: Japanese names in UTF-8, icons and feeds in the link lines.
    const std::string ja = "http://ja.www.mozilla.com/ja/firefox/";
    const std::string bar = "\\ブックマークツールバーフォルダ";
    const std::string fx = "\\Mozilla Firefox";
    const std::vector<Entry> mozja = {
        {"\\ブックマークのアドオンを入手", "https://ja.add-ons.mozilla.com/ja/firefox/bookmarks/",
         2, ""},
        {bar, "", 2, ""},
        {bar + "\\Firefox を使ってみよう", ja + "central/", 3, bar},
        {bar + "\\最新ニュース", "http://ja.fxfeeds.mozilla.com/ja/firefox/livebookmarks/", 3, bar},
        {fx, "", 2, ""},
        {fx + "\\ヘルプとチュートリアル", ja + "help/", 3, fx},
        {fx + "\\Firefox をカスタマイズしてみよう", ja + "customize/", 3, fx},
        {fx + "\\Mozilla のコミュニティにご参加ください", ja + "community/", 3, fx},
        {fx + "\\Mozilla について", ja + "about/", 3, fx},
    };
    LoadCorpus("mozja-firefox2-default-ja.html");
    EXPECT_EQ(Entries(profile), mozja);
}

TEST_F(NNBrowserTest, WritesTheFileByteForByteInBothForms) {
    AddItem(profile, "", "\\ツール", "", 1);
    AddItem(profile, "http://a.example/?q=表示", "\\ツール\\表示", "\\ツール", 2);
    AddItem(profile, "<HR>", "\\", "", 1);
    AddItem(profile, "http://b.example/", "\\B", "", 1);
    AddItem(profile, "", "\\空", "", 1);
    const std::string date = "ADD_DATE=\"1796698800\"";
    const std::string body =
        "<DL><p>\n\n    <DT><H3 " + date + ">Korvadel 追加フォルダ</H3>\n\n    <DL><p>\n\n" +
        "    <DT><H3 " + date + ">ツール</H3>\n\n    <DL><p>\n\n" +
        "        <DT><A HREF=\"http://a.example/?q=表示\" " + date +
        " LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">表示</A>\n\n" +
        "    </DL><p>\n\n    <HR><p>\n\n"
        "    <DT><A HREF=\"http://b.example/\" " +
        date + " LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">B</A>\n\n" + "    <DT><H3 " + date +
        ">空</H3>\n\n    <DL><p>\n\n    </DL><p>\n\n" + "    </DL><p>\n\n<HR>\n\n</DL>\n";
    const std::string header4 =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n\n<!-- これは自動生成されたファイルです。\n\n"
        "プログラムが読み書きを実行します。\n\n編集禁止! -->\n\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\n\n"
        "<TITLE>Korvadel生成 のブックマーク</TITLE>\n\n<H1>Korvadel生成 のブックマーク</H1>\n\n";
    const std::string header6 =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<!-- This is an automatically generated file.\n"
        "It will be read and overwritten.\nDo Not Edit! -->\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n";

    BrowserProfile back;
    EXPECT_EQ(WriteAndReadBack(true, back), 2);
    EXPECT_EQ(system.ReadFile(kFile), Crlf(Sjis(header4 + body)));
    EXPECT_EQ(WriteAndReadBack(false, back), 2);
    EXPECT_EQ(system.ReadFile(kFile), Crlf(header6 + body));
}

TEST_F(NNBrowserTest, CorpusFilesSurviveBothWrittenForms) {
    SKIP_WITHOUT_SHARED();
    for (const char* file : {"mozja-firefox2-default-ja.html", "nsbm-mozilla1x-utf8.html",
                             "gtkbm-nn4-bookmark-1231.htm", "zmyjs-chrome-zh-utf8.html"}) {
        LoadCorpus(file);
        const std::vector<Entry> expected = InsideAddedFolder(Entries(profile));
        for (bool netscape4 : {true, false}) {
            BrowserProfile back;
            EXPECT_EQ(WriteAndReadBack(netscape4, back), Bookmarks(expected)) << file;
            EXPECT_EQ(Entries(back), expected) << file << (netscape4 ? " 4.x" : " 6.x");
        }
    }
}

// A random tree of Japanese names (0x5C trail bytes, "&", ">" and quotes among them), as deep
// in places as a Windows folder path can hold: what is written is read back, in both forms.
TEST_F(NNBrowserTest, RandomProfilesSurviveBothWrittenForms) {
    const char* names[] = {"表示",    "ソフト", "能力", "予定表",  "十字",
                           "a&amp;b", "x > y",  "q\"t", "Plain 1", "データ"};
    std::mt19937 random(13);
    std::vector<std::string> folders = {""};
    std::vector<Entry> entries;
    for (int i = 0; i < 3000; ++i) {
        const int depth = static_cast<int>(folders.size()) + 1;
        const std::string path =
            folders.back() + "\\" + names[random() % std::size(names)] + std::to_string(i);
        const unsigned roll = random() % 100;
        if (roll < 15 && folders.size() > 1) {
            folders.pop_back();
        } else if (roll < 20) {
            AddItem(profile, "<HR>", "\\", "", depth);
        } else {
            const bool folder = roll < 40 && folders.size() < 18;
            const std::string url = folder ? "" : "http://ex.example/表示?" + std::to_string(i);
            entries.emplace_back(path, url, depth, folders.back());
            AddItem(profile, url, path, folders.back(), depth);
            if (folder) folders.push_back(path);
        }
    }
    for (bool netscape4 : {true, false}) {
        BrowserProfile back;
        EXPECT_EQ(WriteAndReadBack(netscape4, back), Bookmarks(entries));
        EXPECT_EQ(Entries(back), InsideAddedFolder(entries)) << (netscape4 ? "4.x" : "6.x");
    }
}

TEST_F(NNBrowserTest, BadInputGivesDefinedResults) {
    std::string binary(1 << 16, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 + i / 7);
    const std::string longUrl = "http://long.example/" + std::string(3 << 20, 'x');
    std::string deepLists;
    for (int i = 0; i < 100000; ++i) deepLists += "<DL><p>\n";
    deepLists += "<DT><A HREF=\"http://deep.example/\">Deep</A>\n";
    for (int i = 0; i < 100000; ++i) deepLists += "</DL><p>\n";
    deepLists += "<DT><A HREF=\"http://outside.example/\">Outside</A>\n";
    struct Case {
        const char* what;
        std::string file;
        std::vector<Entry> expected;
    };
    const Case cases[] = {
        {"binary", binary, {}},
        {"line of megabytes",
         "<DL>\n<DT><A HREF=\"" + longUrl + "\">Long</A>\n" + std::string(2 << 20, '<') +
             "\n<DT><A HREF=\"http://next.example/\">Next</A>",
         {{"\\Long", longUrl, 2, ""}, {"\\Next", "http://next.example/", 2, ""}}},
        // A line past 16 MiB is cut there; the next line is read as usual.
        {"line past the limit",
         "<DT><A HREF=\"http://big.example/\">" + std::string(17 << 20, 'x') +
             "</A>\n<DT><A HREF=\"http://next.example/\">Next</A>",
         {{"\\", "http://big.example/", 1, ""}, {"\\Next", "http://next.example/", 1, ""}}},
        // A "</DL>" that closes the outermost level ends the reading.
        {"unbalanced end of list",
         "<DT><A HREF=\"http://a.example/\">A</A>\n</DL><p>\n"
         "<DT><A HREF=\"http://b.example/\">B</A>\n",
         {{"\\A", "http://a.example/", 1, ""}}},
        {"lists left open",
         "<DL><p>\n<DT><H3 A=\"\">F</H3>\n<DL><p>\n<DL><p>\n<DT><A "
         "HREF=\"http://a.example/\">A</A>",
         {{"\\F", "", 2, ""}, {"\\A", "http://a.example/", 4, ""}}},
        {"invalid UTF-8",
         "<DT><A HREF=\"http://u.example/\">\xe6\x97\xa5\xe6</A>\n"
         "<DT><A HREF=\"http://v.example/\">\xc3(\xff\x80</A>\n",
         {{"\\譌・", "http://u.example/", 1, ""}, {"\\テ(", "http://v.example/", 1, ""}}},
        {"100000 nested lists",
         deepLists,
         {{"\\Deep", "http://deep.example/", 100001, ""},
          {"\\Outside", "http://outside.example/", 1, ""}}},
    };
    for (const Case& c : cases) {
        Read(c.file);
        EXPECT_EQ(Entries(profile), c.expected) << c.what;
        EXPECT_EQ(adapter.GetDepth(), 0) << c.what;
    }
}

// Each item keeps the path of all its folders; deeply nested headings would ask for tens of
// gigabytes, so lists nest only while their path fits in 260 bytes, and the headings below stay
// at that level, with one warning. The adapter reads the next file as usual.
TEST_F(NNBrowserTest, DeeplyNestedHeadingsStayAtTheDeepestLevelThatFits) {
    // 100,000 levels are measured in bench/MemoryBounds.cpp; fewer do here.
    constexpr int kLevels = 5000;
    std::string file;
    for (int i = 0; i < kLevels; ++i) file += "<DT><H3 A=\"\">F</H3>\n<DL>\n";
    file += "<DT><A HREF=\"http://deep.example/\">Deep</A>\n";
    for (int i = 0; i < kLevels; ++i) file += "</DL>\n";
    file += "<DT><A HREF=\"http://out.example/\">Out</A>\n";
    ASSERT_EQ(Read(file), kLevels + 2);
    EXPECT_EQ(adapter.GetDepth(), 0);
    // "\F" per level: 130 levels fit, the 131st holds the rest.
    const auto chain = [](int levels) {
        std::string path;
        for (int i = 0; i < levels; ++i) path += "\\F";
        return path;
    };
    const std::vector<Entry> entries = Entries(profile);
    EXPECT_EQ(entries[129], (Entry{chain(130), "", 130, chain(129)}));
    for (size_t i = 130; i < kLevels; ++i) ASSERT_EQ(std::get<2>(entries[i]), 131) << i;
    EXPECT_EQ(entries[kLevels],
              (Entry{chain(130) + "\\Deep", "http://deep.example/", 131, chain(130)}));
    EXPECT_EQ(entries.back(), (Entry{"\\Out", "http://out.example/", 1, ""}));
    const std::string log =
        system.ReadFile(std::string(EmulatedSystem::kWorkingFolder) + "LogTue.log");
    const std::string warning = Sjis(
                                    "NNV6Browser::Load 階層が深すぎるので131階層目より深い項目を131"
                                    "階層目に読み込みました。(") +
                                kFile + ")";
    EXPECT_NE(log.find(warning), std::string::npos);
    EXPECT_EQ(log.find(warning), log.rfind(warning));

    EXPECT_EQ(Read("<DT><H3 A=\"\">F</H3>\n<DL>\n<DT><A HREF=\"http://a.example/\">A</A>\n"), 2);
    EXPECT_EQ(Entries(profile),
              (std::vector<Entry>{{"\\F", "", 1, ""}, {"\\F\\A", "http://a.example/", 2, "\\F"}}));
}

TEST_F(NNBrowserTest, FailedSavesReturnMinusOneAndLeaveNoFile) {
    AddItem(profile, "http://a.example/", "\\A", "", 1);
    using Op = platform::FaultSeam::Operation;
    for (Op op : {Op::Open, Op::Write, Op::Close}) {
        platform::FaultSeam::FailNext(op, kFile, ENOSPC);
        EXPECT_EQ(
            adapter.SaveBookmarkFile("NNV4Browser", kFile, &profile, NNBrowser::kEncodingShiftJIS,
                                     NNBrowser::Netscape4Header()),
            -1);
        EXPECT_FALSE(system.Exists(kFile));
    }
    EXPECT_EQ(adapter.SaveBookmarkFile("NNV6Browser", kFile, &profile, NNBrowser::kEncodingUTF8,
                                       NNBrowser::Netscape6Header()),
              1);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/ConversionWorkflow.h"
#include "app/ConverterApp.h"
#include "app/WizardHost.h"
#include "browsers/BrowserProfile.h"
#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "platform/FaultSeam.h"
#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "support/Log.h"
#include "support/QuitRequest.h"

namespace fs = std::filesystem;
using Answer = UserPrompt::Answer;
using Buttons = UserPrompt::Buttons;

namespace {

const std::string kOut = "C:\\out";
const std::string kFavorites = "C:\\users\\tester\\Favorites";
const std::string kAppData = "C:\\users\\tester\\AppData\\Roaming";
const std::string kNetscape = "C:\\Program Files\\Netscape\\Users";
const std::string kMozilla = kAppData + "\\Mozilla\\Profiles\\";
const std::string kOpera = "C:\\Program Files\\Opera";
// A hotlist name ending in a 0x5C trail byte (ソ), which is no separator.
std::string Hotlist() {
    return Sjis("\\ソ.adr");
}
constexpr int kFormats = ConversionWorkflow::kFormatCount;
using Ticks = std::array<bool, kFormats>;
constexpr Ticks kAll = {true, true, true, true, true, true};

// One record of a full-form urldb.db.
std::string Record(const std::string& url, const std::string& title, int references) {
    return "0," + url + "\r\n1," + title + "\r\n2,\r\n3,OK\r\n5,0\r\n6," +
           std::to_string(references) +
           "\r\n7,0\r\n8,200\r\n9,1796000000\r\n10,0\r\n11,0\r\n12,0\r\n13,0\r\n14,0\r\n15,\r\n"
           "16,\r\n17,0\r\n18,0\r\n19,0\r\n";
}

std::string Shortcut(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

std::string NetscapeFile(const std::string& folder, const std::string& name,
                         const std::string& url) {
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<TITLE>Bookmarks</TITLE>\r\n<DL><p>\r\n"
           "    <DT><H3 ADD_DATE=\"0\">" +
           folder + "</H3>\r\n    <DL><p>\r\n        <DT><A HREF=\"" + url + "\" ADD_DATE=\"0\">" +
           name + "</A>\r\n    </DL><p>\r\n</DL><p>\r\n";
}

// The Netscape 4.x file of the full conversion: Shift-JIS, CR LF, four blanks per level; the
// profiles' top entries sit at depth 1, so at the level of the added folder.
std::string ExpectedNetscape4() {
    const std::string link =
        "<DT><A HREF=\"http://%s/\" ADD_DATE=\"1796698800\" LAST_VISIT=\"0\" "
        "LAST_MODIFIED=\"0\">";
    auto Link = [&](const std::string& indent, const std::string& host, const std::string& name) {
        std::string line = link;
        line.replace(line.find("%s"), 2, host);
        return indent + line + name + "</A>\r\n\r\n";
    };
    auto Folder = [](const std::string& name) {
        return "    <DT><H3 ADD_DATE=\"1796698800\">" + name + "</H3>\r\n\r\n    <DL><p>\r\n\r\n";
    };
    return Sjis(
               "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n\r\n"
               "<!-- これは自動生成されたファイルです。\r\n\r\n"
               "プログラムが読み書きを実行します。\r\n\r\n編集禁止! -->\r\n\r\n"
               "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n\r\n"
               "<TITLE>Korvadel生成 のブックマーク</TITLE>\r\n\r\n"
               "<H1>Korvadel生成 のブックマーク</H1>\r\n\r\n<DL><p>\r\n\r\n") +
           Folder(Sjis("Korvadel 追加フォルダ")) + Link("    ", "held.example.jp", "Held") +
           Folder(Sjis("ソフト")) + Link("        ", "hyouji.example.jp", Sjis("表示")) +
           "    </DL><p>\r\n\r\n" + Folder(Sjis("趣味")) +
           Link("        ", "alice.example.jp", Sjis("ネットalice")) +
           Link("        ", "bob.example.jp", Sjis("ネットbob")) +
           Link("        ", "mozilla.example.jp", Sjis("モジラ")) + "    </DL><p>\r\n\r\n" +
           Link("    ", "opera.example.jp", Sjis("オペラ")) +
           "    </DL><p>\r\n\r\n<HR>\r\n\r\n</DL>\r\n";
}

// What the opener command received, one folder per line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

// A machine with all five browsers, a Korvadel database and a scripted user. The workflow runs
// on a started application whose wizard is the test body.
class ConversionWorkflowTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        if (const char* saved = std::getenv("PENNAWICK_OPEN_FOLDER")) savedOpener_ = saved;
        opened_ = fs::path(system.Root()) / "opened";
        const fs::path script = fs::path(system.Root()) / "opener";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" << opened_.string()
                              << "\"\n";
        fs::permissions(script, fs::perms::owner_all);
        setenv("PENNAWICK_OPEN_FOLDER", script.c_str(), 1);
        system.MakeFolder(kOut);  // the folder chooser offers existing folders only
    }
    void TearDown() override {
        platform::FaultSeam::Clear();
        if (savedOpener_)
            setenv("PENNAWICK_OPEN_FOLDER", savedOpener_->c_str(), 1);
        else
            unsetenv("PENNAWICK_OPEN_FOLDER");
    }

    void InstallKorvadel() {
        system.WriteFile("C:\\Pennawick\\urldb.db",
                         "size=3\r\n" + Record("http://held.example.jp/", Sjis("保持"), 5) +
                             Record("http://rare.example.jp/", "Rare", 1) +
                             Record("http://solo.example.jp/", "", 9));
    }

    void InstallBrowsers() {
        system.AddUserReg(
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell "
            "Folders] 1700000000\n"
            "\"Favorites\"=str(2):\"%USERPROFILE%\\\\Favorites\"\n"
            "\"AppData\"=str(2):\"%USERPROFILE%\\\\AppData\\\\Roaming\"\n\n"
            "[Software\\\\Opera Software] 1700000000\n"
            "\"Last Directory\"=\"C:\\\\Program Files\\\\Opera\"\n");
        system.AddSystemReg(
            "[Software\\\\Netscape\\\\Netscape Navigator] 1700000000\n"
            "\"CurrentVersion\"=\"4.79 (ja)\"\n\n"
            "[Software\\\\Netscape\\\\Netscape Navigator\\\\4.79 (ja)\\\\Main] 1700000000\n"
            "\"Install Directory\"=\"C:\\\\Program Files\\\\Netscape\\\\Communicator\"\n\n"
            "[Software\\\\Netscape\\\\Netscape 6] 1700000000\n"
            "\"CurrentVersion\"=\"6.2 (ja)\"\n\n"
            "[Software\\\\Netscape\\\\Netscape 6\\\\6.2 (ja)\\\\Main] 1700000000\n"
            "\"PathToExe\"=\"C:\\\\Program Files\\\\Netscape 6\\\\Netscp6.exe\"\n\n"
            "[Software\\\\Netscape\\\\Netscape] 1700000000\n"
            "\"CurrentVersion\"=\"7.1 (ja)\"\n\n"
            "[Software\\\\Netscape\\\\Netscape\\\\7.1 (ja)\\\\Main] 1700000000\n"
            "\"PathToExe\"=\"C:\\\\Program Files\\\\Netscape\\\\Netscp.exe\"\n");

        system.WriteFile(kFavorites + "\\Held.url", Shortcut("http://held.example.jp/"));
        system.WriteFile(kFavorites + Sjis("\\ソフト\\表示.url"),
                         Shortcut("http://hyouji.example.jp/"));

        system.WriteFile("C:\\windows\\nsreg.dat", ProfileRegistry("nsreg.dat"));
        for (const char* user : {"alice", "bob"}) {
            const std::string folder = kNetscape + "\\" + user;
            system.WriteFile(folder + "\\bookmark.htm",
                             NetscapeFile(Sjis("趣味"), Sjis("ネット") + user,
                                          "http://" + std::string(user) + ".example.jp/"));
            system.WriteFile(folder + "\\prefs.js", "user_pref(\"browser.x\", 1);\r\n");
        }

        const std::string profile = kMozilla + "default\\k3x9q2ab.slt";
        system.WriteFile(kAppData + "\\Mozilla\\registry.dat", ProfileRegistry("registry.dat"));
        system.WriteFile(profile + "\\bookmarks.html",
                         NetscapeFile("趣味", "モジラ", "http://mozilla.example.jp/"));
        system.WriteFile(profile + "\\prefs.js", "user_pref(\"browser.x\", 1);\n");

        system.WriteFile(kOpera + "\\opera6.ini",
                         "[User Prefs]\r\nHot List File Ver2=" + kOpera + Hotlist() + "\r\n");
        system.WriteFile(kOpera + Hotlist(),
                         "Opera Hotlist version 2.0\r\nOptions: encoding = utf8, version=3\r\n\r\n"
                         "#URL\r\n\tNAME=オペラ\r\n\tURL=http://opera.example.jp/\r\n\r\n");
    }

    // Starts the application and runs body as its wizard.
    void Run(const std::function<void(ConverterApp&, ConversionWorkflow&)>& body) {
        ConverterApp app;
        Wizard wizard(body);
        app.InitInstance(wizard, "C:\\Pennawick\\pennawick.exe");
        ASSERT_EQ(wizard.runs, 1);
    }

    // Imports every profile of step 2.
    static void ImportAll(ConversionWorkflow& workflow) {
        const size_t rows = workflow.ListProfiles().size();
        for (size_t row = 0; row < rows; ++row) workflow.ImportProfile(static_cast<int>(row));
    }

    // Every message shown, as UTF-8: its text, preceded by "[caption] " unless the caption is
    // the application's title, and by "[caption|YesNo] " for a Yes/No question.
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const auto& message : prompt.messages) {
            std::string caption = Utf8(message.caption);
            if (message.buttons == Buttons::YesNo)
                caption += "|YesNo";
            else if (message.buttons != Buttons::Ok)
                caption += "|?";
            shown.push_back((caption.empty() ? "" : "[" + caption + "] ") + Utf8(message.text));
        }
        return shown;
    }

    // The folders the opener was started with, sorted (the openers run detached, in any
    // order), once count of them have arrived.
    std::vector<std::string> Opened(size_t count) const {
        std::vector<std::string> lines;
        for (int round = 0; round < 1500; ++round) {
            std::ifstream in(opened_);
            lines = Lines(std::string(std::istreambuf_iterator<char>(in), {}));
            if (lines.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    // The log files of the working folder, concatenated.
    std::string LogText() const {
        std::string text;
        for (const auto& file : fs::directory_iterator(system.Native("C:\\Pennawick"))) {
            if (file.path().extension() == ".log")
                text += system.ReadFile("C:\\Pennawick\\" + file.path().filename().string());
        }
        return text;
    }

    // A profile registry of tests/data/libreg: nsreg.dat lists alice, bob, carol and 表示 below
    // kNetscape, registry.dat the Mozilla profiles default (k3x9q2ab.slt), 山田 and work.
    static std::string ProfileRegistry(const std::string& name) {
        std::ifstream in(std::string(PENNAWICK_TEST_DATA) + "/libreg/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    class Wizard : public WizardHost {
    public:
        explicit Wizard(std::function<void(ConverterApp&, ConversionWorkflow&)> body)
            : body_(std::move(body)) {}
        int Run(ConverterApp& app) override {
            ++runs;
            ConversionWorkflow workflow(app);
            body_(app, workflow);
            return 0;
        }
        int runs = 0;

    private:
        std::function<void(ConverterApp&, ConversionWorkflow&)> body_;
    };

    ScriptedUserPrompt prompt;
    fs::path opened_;
    std::optional<std::string> savedOpener_;
};

TEST_F(ConversionWorkflowTest, ConvertsEveryBrowserAndTheDatabaseIntoAllSixFormats) {
    InstallKorvadel();
    InstallBrowsers();
    system.WriteFile("C:\\Pennawick\\pennawick.ini", "[CONFIG]\r\nDEBUG=4\r\n");
    prompt.folders.push_back(kOut);
    Run([&](ConverterApp& app, ConversionWorkflow& workflow) {
        EXPECT_TRUE(workflow.ImportKorvadelDatabase(true));

        std::vector<ConversionWorkflow::ProfileRow> rows = workflow.ListProfiles();
        std::vector<std::string> texts;
        for (const auto& row : rows)
            texts.push_back(row.count + "|" + row.kind + "|" + row.user + "|" + Utf8(row.path));
        EXPECT_EQ(texts,
                  (std::vector<std::string>{
                      "    0|I.E.|tester|" + kFavorites,
                      "    0|NNv4|alice|" + kNetscape + "\\alice\\bookmark.htm",
                      "    0|NNv4|bob|" + kNetscape + "\\bob\\bookmark.htm",
                      "    0|NNv6|default|" + kMozilla + "default\\k3x9q2ab.slt\\bookmarks.html",
                      "    0|NNv7|default|" + kMozilla + "default\\k3x9q2ab.slt\\bookmarks.html",
                      "    0|Opera6|tester|" + kOpera + Utf8(Hotlist())}));
        EXPECT_EQ(app.ProfileList().size(), rows.size());
        EXPECT_FALSE(workflow.ImportProfile(-1));
        EXPECT_FALSE(workflow.ImportProfile(6));
        for (int row = 0; row < 6; ++row) EXPECT_TRUE(workflow.ImportProfile(row)) << row;
        EXPECT_EQ(workflow.RowAt(0).count, "    3");
        EXPECT_EQ(workflow.RowAt(5).count, "    1");

        workflow.OpenCreationPage();
        EXPECT_TRUE(workflow.CreateFavorites(kAll));
        EXPECT_EQ(app.ChosenFolder(), kOut);
        for (int format = 0; format < kFormats; ++format)
            EXPECT_TRUE(workflow.OutputDone(static_cast<ConversionWorkflow::Format>(format)));
        EXPECT_EQ(app.LastOutputFolder(),
                  (std::array<std::string, 5>{kOut + "\\Microsoft", kOut + "\\Netscape4x",
                                              kOut + "\\Netscape6x", kOut + "\\Netscape7x",
                                              kOut + "\\Opera6"}));
        EXPECT_TRUE(workflow.ConfirmLeavingCreation());

        workflow.ListProfiles();
        for (int row = 0; row < 6; ++row) workflow.OpenSourceFolder(row);
        for (int row = 0; row < 6; ++row) workflow.OpenOutputFolder(row);
    });

    EXPECT_EQ(prompt.folderTitles, std::vector<std::string>{Sjis("フォルダを選択してください。")});
    const std::string sheetFormats = "形式でお気に入りを出力しました。\n";
    const std::string fileAdvice =
        "　出力されたファイル出力形式に合わせて置き換え、又は追加作業を\n行ってください。\n"
        "　但し自己責任の上でお願いします。";
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "[URLDB取込完了] Korvadelのお気に入り[3]件を取込ました。",
                           "Korvadelの簡易形式でお気に入りを出力しました。",
                           "　Microsoft形式でお気に入りを出力しました。\n"
                           "　出力されたフォルダをお気に入りのフォルダにコピー\nしてください。\n"
                           "　但し自己責任の上でお願いします。",
                           "　Netscape.4.x." + sheetFormats + fileAdvice,
                           "　Netscape.6.x." + sheetFormats + fileAdvice,
                           "　Netscape.7.x." + sheetFormats + fileAdvice,
                           "　Opera6" + sheetFormats + fileAdvice}));

    // The Mozilla profile is listed under 6.x and 7.x; its second copy adds no path.
    EXPECT_EQ(system.ReadFile(kOut + "\\Korvadel\\urldb_light.db"),
              Sjis("size=6\r\n"
                   "0,http://alice.example.jp/\r\n1,ネットalice\r\n2,\r\n14,0\r\n15,\r\n16,\r\n"
                   "0,http://bob.example.jp/\r\n1,ネットbob\r\n2,\r\n14,0\r\n15,\r\n16,\r\n"
                   "0,http://held.example.jp/\r\n1,Held\r\n2,\r\n14,0\r\n15,\r\n16,\r\n"
                   "0,http://hyouji.example.jp/\r\n1,表示\r\n2,\r\n14,0\r\n15,\r\n16,\r\n"
                   "0,http://mozilla.example.jp/\r\n1,モジラ\r\n2,\r\n14,0\r\n15,\r\n16,\r\n"
                   "0,http://opera.example.jp/\r\n1,オペラ\r\n2,\r\n14,0\r\n15,\r\n16,\r\n"));
    EXPECT_EQ(system.ReadFile(kOut + Sjis("\\Microsoft\\ソフト\\表示.url")),
              "[DEFAULT]\r\nBASEURL=http://hyouji.example.jp/\r\n[InternetShortcut]\r\n"
              "URL=http://hyouji.example.jp/\r\nModified=C01E14E0FE9EBF012E\r\n");
    for (const char* file : {"\\Held.url", "\\趣味\\ネットalice.url", "\\趣味\\ネットbob.url",
                             "\\趣味\\モジラ.url", "\\オペラ.url"})
        EXPECT_TRUE(system.Exists(kOut + "\\Microsoft" + Sjis(file))) << file;
    EXPECT_EQ(system.ReadFile(kOut + "\\Netscape4x\\bookmark.htm"), ExpectedNetscape4());
    const std::string mozilla = system.ReadFile(kOut + "\\Netscape6x\\bookmarks.html");
    EXPECT_EQ(mozilla, system.ReadFile(kOut + "\\Netscape7x\\bookmarks.html"));
    EXPECT_EQ(mozilla.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<!-- This is", 0), 0u);
    EXPECT_NE(mozilla.find("<DT><A HREF=\"http://hyouji.example.jp/\" ADD_DATE=\"1796698800\" "
                           "LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">表示</A>\r\n"),
              std::string::npos);
    const std::string opera = system.ReadFile(kOut + "\\Opera6\\Opera6.adr");
    EXPECT_EQ(opera.rfind("Opera Hotlist version 2.0\r\nOptions:encoding=utf8,version=3\r\n\r\n"
                          "#URL\r\n\tNAME=Held\r\n",
                          0),
              0u);
    EXPECT_NE(opera.find("-\r\n#URL\r\n\tNAME=オペラ\r\n\tURL=http://opera.example.jp/\r\n"),
              std::string::npos);

    const std::string favorites = system.Root() + "/drive_c/users/tester/Favorites";
    const std::string users = system.Root() + "/drive_c/Program Files/Netscape/Users/";
    const std::string mozillaFolder =
        system.Root() +
        "/drive_c/users/tester/AppData/Roaming/Mozilla/Profiles/default/"
        "k3x9q2ab.slt";
    const std::string out = system.Root() + "/drive_c/out/";
    std::vector<std::string> opened{
        favorites,          users + "alice",    users + "bob",
        mozillaFolder,      mozillaFolder,      system.Root() + "/drive_c/Program Files/Opera",
        out + "Microsoft",  out + "Netscape4x", out + "Netscape4x",
        out + "Netscape6x", out + "Netscape7x", out + "Opera6"};
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(Opened(12), opened);

    EXPECT_NE(LogText().find(Sjis("DlgWizard02::OnBtnload [\\ソフト\\表示][\\ソフト][表示]"
                                  "[http://hyouji.example.jp/]")),
              std::string::npos);
}

TEST_F(ConversionWorkflowTest, ReportsAMissingDatabaseAndSkipsAnUntickedImport) {
    Run([&](ConverterApp& app, ConversionWorkflow& workflow) {
        EXPECT_FALSE(workflow.ImportKorvadelDatabase(true));
        InstallKorvadel();
        EXPECT_FALSE(workflow.ImportKorvadelDatabase(false));
        EXPECT_EQ(app.GetURLDB()->GetCount(), 0);
    });
    EXPECT_EQ(Shown(), std::vector<std::string>{"[URLDB取込失敗] URLDB情報の取込に失敗しました。"
                                                "存在していないか壊れている可能性があります。"});
}

TEST_F(ConversionWorkflowTest, ConditionsDropBookmarksFromEveryFormat) {
    InstallKorvadel();
    InstallBrowsers();
    prompt.folders.push_back(kOut);
    Run([&](ConverterApp& app, ConversionWorkflow& workflow) {
        workflow.ImportKorvadelDatabase(true);
        ImportAll(workflow);
        ExtractionConditions::Values values;
        values.DeleteUnheld = 1;
        values.MinReferenceCount = 5;
        app.GetExtractionConditions()->SetValues(values);
        workflow.OpenCreationPage();
        workflow.CreateFavorites({true, false, true, false, false, true});
    });
    // Only the held bookmark with enough references is left, with the folders.
    EXPECT_EQ(system.ReadFile(kOut + "\\Korvadel\\urldb_light.db"),
              "size=1\r\n0,http://held.example.jp/\r\n1,\r\n2,\r\n14,0\r\n15,\r\n16,\r\n");
    const std::string netscape = system.ReadFile(kOut + "\\Netscape4x\\bookmark.htm");
    EXPECT_NE(netscape.find("http://held.example.jp/"), std::string::npos);
    EXPECT_EQ(netscape.find("http://alice.example.jp/"), std::string::npos);
    EXPECT_EQ(netscape.find("http://opera.example.jp/"), std::string::npos);
    EXPECT_FALSE(system.Exists(kOut + "\\Microsoft"));
}

TEST_F(ConversionWorkflowTest, WithoutBrowserItemsTheDatabaseRecordsBecomeTheBookmarks) {
    InstallKorvadel();
    prompt.folders.push_back(kOut);
    Run([&](ConverterApp&, ConversionWorkflow& workflow) {
        workflow.ImportKorvadelDatabase(true);
        workflow.OpenCreationPage();
        workflow.CreateFavorites(kAll);
    });
    EXPECT_EQ(system.ReadFile(kOut + "\\Korvadel\\urldb_light.db"), "size=0\r\n");
    for (const char* file : {"\\Netscape4x\\bookmark.htm", "\\Netscape6x\\bookmarks.html",
                             "\\Netscape7x\\bookmarks.html", "\\Opera6\\Opera6.adr"}) {
        const std::string text = system.ReadFile(kOut + file);
        for (const char* url :
             {"http://held.example.jp/", "http://rare.example.jp/", "http://solo.example.jp/"})
            EXPECT_NE(text.find(url), std::string::npos) << file << " " << url;
    }
    EXPECT_TRUE(system.Exists(kOut + "\\Microsoft\\Rare.url"));
    EXPECT_EQ(Shown().size(), 7u);  // the import and six successes
}

TEST_F(ConversionWorkflowTest, CreatingTwiceWritesAgainAsEachWriterDoes) {
    InstallKorvadel();
    InstallBrowsers();
    prompt.folders = {kOut, kOut};
    Run([&](ConverterApp&, ConversionWorkflow& workflow) {
        ImportAll(workflow);
        workflow.OpenCreationPage();
        workflow.CreateFavorites(kAll);
        system.WriteFile(kOut + "\\Netscape4x\\bookmark.htm", "old");
        prompt.messages.clear();
        workflow.CreateFavorites(kAll);
    });
    std::vector<std::string> texts = Shown();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "Korvadelの簡易形式でお気に入りを出力しました。");
    // The shortcut writer leaves the first run's files alone and counts none of them.
    EXPECT_EQ(texts[1], "お気に入りが出力出来ませんでした。");
    EXPECT_EQ(texts[2].rfind("　Netscape.4.x.", 0), 0u);
    EXPECT_TRUE(system.Exists(kOut + "\\Korvadel\\urldb_light.db.1"));
    EXPECT_NE(system.ReadFile(kOut + "\\Netscape4x\\bookmark.htm"), "old");
}

TEST_F(ConversionWorkflowTest, AnOutputFolderThatCannotBeMadeIsReportedAndStillRecorded) {
    InstallBrowsers();
    system.WriteFile(kOut + "\\Netscape4x", "a file in the way");
    system.MakeFolder(kOut + "\\Opera6");
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::CreateFolder, kOut + "\\Korvadel",
                                  EACCES);
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::CreateFolder,
                                  kOut + "\\Microsoft", EACCES);
    prompt.folders.push_back(kOut);
    Run([&](ConverterApp& app, ConversionWorkflow& workflow) {
        ImportAll(workflow);
        workflow.OpenCreationPage();
        workflow.CreateFavorites({true, true, true, false, false, true});
        EXPECT_EQ(app.LastOutputFolder()[0], kOut + "\\Microsoft");
        EXPECT_EQ(app.LastOutputFolder()[1], kOut + "\\Netscape4x");
        EXPECT_EQ(app.LastOutputFolder()[2], "");
        EXPECT_TRUE(workflow.OutputDone(ConversionWorkflow::kKorvadel));
        EXPECT_TRUE(workflow.OutputDone(ConversionWorkflow::kNetscape4));
        EXPECT_FALSE(workflow.OutputDone(ConversionWorkflow::kNetscape6));
    });
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "フォルダが作成できません。", "フォルダが作成できません。",
                           "フォルダが作成できません。",
                           "　Opera6形式でお気に入りを出力しました。\n"
                           "　出力されたファイル出力形式に合わせて置き換え、又は追加作業を\n"
                           "行ってください。\n　但し自己責任の上でお願いします。"}));
    EXPECT_EQ(system.ReadFile(kOut + "\\Netscape4x"), "a file in the way");
}

TEST_F(ConversionWorkflowTest, AFailedLightSaveIsReportedAsNotWritten) {
    InstallKorvadel();
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Write,
                                  kOut + "\\Korvadel\\urldb_light.db", ENOSPC);
    prompt.folders.push_back(kOut);
    Run([&](ConverterApp&, ConversionWorkflow& workflow) {
        workflow.ImportKorvadelDatabase(true);
        workflow.OpenCreationPage();
        workflow.CreateFavorites({true, false, false, false, false, false});
        EXPECT_TRUE(workflow.OutputDone(ConversionWorkflow::kKorvadel));
    });
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{"[URLDB取込完了] Korvadelのお気に入り[3]件を取込ました。",
                                        "お気に入りが出力出来ませんでした。"}));
}

TEST_F(ConversionWorkflowTest, AQuitRequestStopsWritingFurtherFormats) {
    InstallKorvadel();
    prompt.folders.push_back(kOut);
    Run([&](ConverterApp&, ConversionWorkflow& workflow) {
        workflow.ImportKorvadelDatabase(true);
        workflow.OpenCreationPage();
        QuitRequest::Raise();
        workflow.CreateFavorites(kAll);
        EXPECT_FALSE(workflow.OutputDone(ConversionWorkflow::kKorvadel));
    });
    EXPECT_TRUE(fs::is_empty(system.Native(kOut)));
}

TEST_F(ConversionWorkflowTest, ACancelledChoiceWritesNothingAndNextAsksFirst) {
    InstallBrowsers();
    prompt.answers = {Answer::No, Answer::Yes};
    Run([&](ConverterApp& app, ConversionWorkflow& workflow) {
        ImportAll(workflow);
        workflow.OpenCreationPage();
        EXPECT_FALSE(workflow.CreateFavorites(kAll));
        EXPECT_EQ(app.ChosenFolder(), "");
        EXPECT_FALSE(workflow.ConfirmLeavingCreation());
        EXPECT_TRUE(workflow.ConfirmLeavingCreation());

        // Step 5 without a selection, and output of a kind not written in this run.
        workflow.ListProfiles();
        workflow.OpenSourceFolder(-1);
        workflow.OpenOutputFolder(-1);
        workflow.OpenOutputFolder(1);
    });
    EXPECT_TRUE(fs::is_empty(system.Native(kOut)));
    const std::string question =
        "[確認|YesNo] お気に入りの出力が行われてません。\n無視して先に進みますか？";
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{
                  question, question, "[コピー元フォルダ] 選択されている項目がありません。",
                  "[コピー元フォルダ] 選択されている項目がありません。",
                  "[コピー元フォルダ] 対象のお気に入りが出力されていません。"}));
}

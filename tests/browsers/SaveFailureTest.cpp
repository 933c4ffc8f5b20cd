// Writers whose output fails part-way: each step (create, write, close) of each file they write
// is made to fail through the fault seam. The failure must be reported, logged (the Netscape
// writer logs nothing when it cannot create its file), leave no cut-off file behind and leave
// every file it did not mean to replace as it was.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "browsers/MSBrowser.h"
#include "browsers/NNV4Browser.h"
#include "browsers/Opera6Browser.h"
#include "common/EmulatedSystem.h"
#include "platform/FaultSeam.h"
#include "support/Log.h"

namespace {

using platform::FaultSeam;
using Op = platform::FaultSeam::Operation;

const std::string kFavorites = "C:\\users\\tester\\Favorites";
const std::string kOutput = "C:\\out";

class SaveFailureTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        SetLogLevel(LOG_I);
        system.MakeFolder(kOutput);
        system.WriteFile(kOutput + "\\earlier.url", "earlier");
    }
    void TearDown() override { FaultSeam::Clear(); }

    std::string LogText() const {
        std::string text;
        for (const auto& file :
             std::filesystem::directory_iterator(system.Native("C:\\Pennawick"))) {
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

    void AddBookmark(const std::string& path, const std::string& url, int depth) {
        auto item = std::make_unique<FavoritesItem>();
        item->SetPath(path);
        item->SetName(path.substr(path.rfind('\\') + 1));
        item->SetURL(url);
        item->SetDepth(depth);
        profile.AddItem(std::move(item));
    }

    BrowserProfile profile;
};

TEST_F(SaveFailureTest, InternetExplorerShortcuts) {
    // A shortcut is copied from the favorites folder when it is there, else written afresh.
    system.WriteFile(kFavorites + "\\copied.url",
                     "[InternetShortcut]\r\nURL=http://c.example/\r\n");
    AddBookmark("\\copied", "http://c.example/", 1);
    AddBookmark("\\written", "http://w.example/", 1);
    profile.SetFavoritesPath(kFavorites);
    struct Case {
        const char* name;
        Op operation;
        const char* logLine;
    };
    const std::vector<Case> cases = {
        {"copied", Op::Open, "MSBrowser::Save 指定ファイルのコピーが出来ません。"},
        {"copied", Op::Write, "MSBrowser::Save 指定ファイルのコピーが出来ません。"},
        {"copied", Op::Close, "MSBrowser::Save 指定ファイルのコピーが出来ません。"},
        {"written", Op::Open, "MSBrowser::Save 指定フォルダの生成が出来ません。"},
        {"written", Op::Write, "MSBrowser::Save 指定フォルダの生成が出来ません。"},
        {"written", Op::Close, "MSBrowser::Save 指定フォルダの生成が出来ません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(static_cast<int>(c.operation)));
        std::filesystem::remove(system.Native("C:\\Pennawick\\LogTue.log"));
        std::filesystem::remove(system.Native(kOutput + "\\copied.url"));
        std::filesystem::remove(system.Native(kOutput + "\\written.url"));
        const std::string failing = kOutput + "\\" + c.name + ".url";
        FaultSeam::FailNext(c.operation, failing, ENOSPC);

        MSBrowser browser;
        EXPECT_EQ(browser.Save(kOutput, &profile), 1);
        EXPECT_FALSE(system.Exists(failing));
        EXPECT_TRUE(Logged(std::string(c.logLine) + " SystemMessage=(No space left on device)"));
        EXPECT_EQ(system.ReadFile(kOutput + "\\earlier.url"), "earlier");
    }
}

// The bookmark file writers: Netscape 4.x and Opera 6 hotlist.
TEST_F(SaveFailureTest, BookmarkFiles) {
    AddBookmark("\\site", "http://a.example/", 1);
    NNV4Browser netscape;
    Opera6Browser opera;
    struct Writer {
        Browser* browser;
        int failed;               // result of a failed save
        const char* createError;  // log line when the file cannot be created
        const char* writeError;   // log line when a write or the close fails
    };
    const std::vector<Writer> writers = {
        {&netscape, -1, "NNV4Browser::Save ファイルが作成出来ません。",
         "NNV4Browser::Save 書き込みが出来ません。"},
        {&opera, 0, "Opera6Browser::Save *ERROR*: ファイルが作成出来ません。",
         "Opera6Browser::Save *ERROR*: ファイルへの書込みが出来ません。"},
    };
    const std::string path = kOutput + "\\bookmarks";
    for (const Writer& writer : writers) {
        for (Op operation : {Op::Open, Op::Write, Op::Close}) {
            SCOPED_TRACE(writer.writeError + std::to_string(static_cast<int>(operation)));
            std::filesystem::remove(system.Native("C:\\Pennawick\\LogTue.log"));
            std::filesystem::remove(system.Native(path));
            FaultSeam::FailNext(operation, path, ENOSPC);
            EXPECT_EQ(writer.browser->Save(path, &profile), writer.failed);
            EXPECT_FALSE(system.Exists(path));
            const char* line = operation == Op::Open ? writer.createError : writer.writeError;
            EXPECT_TRUE(Logged(std::string(line) + " SystemMessage=(No space left on device)"));
            EXPECT_EQ(system.ReadFile(kOutput + "\\earlier.url"), "earlier");
        }
        EXPECT_EQ(writer.browser->Save(path, &profile), 1);
    }
}

}  // namespace

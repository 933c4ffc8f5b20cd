#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "common/EmulatedSystem.h"
#include "support/Log.h"
#include "support/SystemCommand.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SystemCommandTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        SetLogLevel(LOG_D);
        if (const char* saved = std::getenv("PENNAWICK_OPEN_FOLDER")) saved_ = saved;
        opener_ = fs::path(system.Root()) / "opener";
        std::ofstream(opener_) << "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" "
                                  "\"$0.out\"\n";
        fs::permissions(opener_, fs::perms::owner_all);
        setenv("PENNAWICK_OPEN_FOLDER", opener_.c_str(), 1);
    }
    void TearDown() override {
        SetLogLevel(LOG_I);
        if (saved_.empty())
            unsetenv("PENNAWICK_OPEN_FOLDER");
        else
            setenv("PENNAWICK_OPEN_FOLDER", saved_.c_str(), 1);
    }

    // The folder the opener was started with, once it has run.
    std::string Opened() {
        const fs::path out = opener_.string() + ".out";
        for (int round = 0; round < 1500 && !fs::exists(out); ++round)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::string text = Contents(out);
        fs::remove(out);
        return text;
    }

    std::string LogText() const {
        std::string text;
        for (const auto& file : fs::directory_iterator(system.Native("C:\\Pennawick"))) {
            std::stringstream content;
            content << std::ifstream(file.path(), std::ios::binary).rdbuf();
            text += content.str();
        }
        return text;
    }

    fs::path opener_;
    std::string saved_;
};

}  // namespace

TEST_F(SystemCommandTest, QuotesTheFolderUnlessBothEndsAreQuoted) {
    struct Case {
        std::string folder;
        std::string quoted;
        std::string opened;  // native path below drive_c
    };
    const Case cases[] = {
        {"C:\\My Folder", "\"C:\\My Folder\"", "/drive_c/My Folder"},
        {"\"C:\\users\"", "\"C:\\users\"", "/drive_c/users"},
        // One quote only: quoted again; what the opener makes of it is its own business.
        {"\"C:\\a", "\"\"C:\\a\"", ""},
        {Sjis("C:\\表示"), Sjis("\"C:\\表示\""), "/drive_c/表示"},
        // A folder that does not exist still goes to the file manager, which reports it.
        {"C:\\missing", "\"C:\\missing\"", "/drive_c/missing"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemCommand::ExplorerExecution(c.folder), 0);
        const std::string opened = Opened();
        if (!c.opened.empty()) {
            EXPECT_EQ(opened, system.Root() + c.opened + "\n") << c.folder;
        }
        const std::string line = "SystemCommand::ExplorerExecution [explorer " + c.quoted +
                                 "][search = " + c.folder + "][work = " + c.quoted + "]";
        EXPECT_NE(LogText().find(line), std::string::npos) << line;
    }
}

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <utility>

#include "common/EmulatedSystem.h"
#include "platform/FolderOpener.h"
#include "platform/SystemError.h"

namespace fs = std::filesystem;
using platform::FolderOpener;

namespace {

// Records its process id in "pid" and its arguments in "opened", stays while "hold" exists
// (bounded), then writes "done".
constexpr const char* kScript =
    "#!/bin/sh\n"
    "dir=$(dirname \"$0\")\n"
    "echo $$ > \"$dir/pid\"\n"
    "printf '%s\\n' \"$#\" \"$1\" > \"$dir/opened.tmp\" && mv \"$dir/opened.tmp\" \"$dir/opened\"\n"
    "i=0\n"
    "while [ -e \"$dir/hold\" ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n"
    "touch \"$dir/done\"\n";

bool WaitFor(const fs::path& path) {
    for (int round = 0; round < 1500 && !fs::exists(path); ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return fs::exists(path);
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The state letter and parent of a process, from /proc/<pid>/stat ("pid (name) S ppid ...").
std::pair<char, pid_t> StateAndParent(pid_t pid) {
    const std::string stat = Contents("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 4 >= stat.size()) return {'?', 0};
    return {stat[close + 2], static_cast<pid_t>(std::atoi(stat.c_str() + close + 4))};
}

}  // namespace

class FolderOpenerTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        if (const char* saved = std::getenv("PENNAWICK_OPEN_FOLDER")) saved_ = saved;
        tools_ = fs::path(system.Root()) / "tools";
        fs::create_directories(tools_);
        WriteScript(tools_ / "opener", kScript);
        Use((tools_ / "opener").string());
    }
    void TearDown() override {
        if (saved_)
            setenv("PENNAWICK_OPEN_FOLDER", saved_->c_str(), 1);
        else
            unsetenv("PENNAWICK_OPEN_FOLDER");
    }

    void WriteScript(const fs::path& path, const char* text) {
        std::ofstream(path) << text;
        fs::permissions(path, fs::perms::owner_all);
    }
    void Use(const std::string& command) { setenv("PENNAWICK_OPEN_FOLDER", command.c_str(), 1); }

    fs::path tools_;
    std::optional<std::string> saved_;
};

TEST_F(FolderOpenerTest, StartsTheOpenerDetachedWithTheNativePath) {
    std::ofstream(tools_ / "hold") << "";
    ASSERT_TRUE(FolderOpener::Open("\"C:\\users\\tester\\My Folder\""));
    // The opener is still holding: Open did not wait for it to finish.
    EXPECT_FALSE(fs::exists(tools_ / "done"));
    ASSERT_TRUE(WaitFor(tools_ / "opened"));
    EXPECT_EQ(Contents(tools_ / "opened"),
              "1\n" + system.Root() + "/drive_c/users/tester/My Folder\n");
    // Started straight from this process, with no copy of it in between, in its own session.
    const pid_t opener = std::stoi(Contents(tools_ / "pid"));
    EXPECT_EQ(StateAndParent(opener).second, getpid());
    EXPECT_EQ(getsid(opener), opener);

    // Once it has ended, it is reaped without another call.
    fs::remove(tools_ / "hold");
    ASSERT_TRUE(WaitFor(tools_ / "done"));
    for (int round = 0; round < 1500 && StateAndParent(opener).first != '?'; ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(StateAndParent(opener).first, '?');
}

TEST_F(FolderOpenerTest, TenOpenersLeaveNoChildBehind) {
    WriteScript(tools_ / "quick", "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/opened\"\n");
    Use((tools_ / "quick").string());
    for (int click = 0; click < 10; ++click) ASSERT_TRUE(FolderOpener::Open("C:\\"));
    const auto children = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            if (StateAndParent(std::stoi(name)).second == getpid()) ++count;
        }
        return count;
    };
    for (int round = 0; round < 1500 && children() > 0; ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(children(), 0);
    const std::string opened = Contents(tools_ / "opened");
    EXPECT_EQ(std::count(opened.begin(), opened.end(), '\n'), 10);
}

TEST_F(FolderOpenerTest, PassesShiftJisFoldersAsUtf8AndKeepsAOneSidedQuote) {
    ASSERT_TRUE(FolderOpener::Open(Sjis("C:\\日本\\表")));
    ASSERT_TRUE(WaitFor(tools_ / "done"));
    EXPECT_EQ(Contents(tools_ / "opened"), "1\n" + system.Root() + "/drive_c/日本/表\n");

    fs::remove(tools_ / "done");
    ASSERT_TRUE(FolderOpener::Open("C:\\a\""));
    ASSERT_TRUE(WaitFor(tools_ / "done"));
    EXPECT_EQ(Contents(tools_ / "opened"), "1\n" + system.Root() + "/drive_c/a\"\n");
}

TEST_F(FolderOpenerTest, ReportsWhatCannotBeStarted) {
    const auto expectFailure = [](const char* folder, int error) {
        platform::SystemError::SetLast(0);
        EXPECT_FALSE(FolderOpener::Open(folder)) << folder;
        EXPECT_EQ(platform::SystemError::Last(), error) << folder;
    };
    expectFailure("Q:\\unmapped", ENOENT);
    Use((tools_ / "missing").string());
    expectFailure("C:\\", ENOENT);
    Use("pennawick-no-such-opener");
    expectFailure("C:\\", ENOENT);
    std::ofstream(tools_ / "plain") << "#!/bin/sh\n";
    Use((tools_ / "plain").string());
    expectFailure("C:\\", ENOENT);
    // Found and executable, but the system cannot run it: the child's exec error comes back.
    WriteScript(tools_ / "broken", "#!/no/such/interpreter\n");
    Use((tools_ / "broken").string());
    expectFailure("C:\\", ENOENT);
}

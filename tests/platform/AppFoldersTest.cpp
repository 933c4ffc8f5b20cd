#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "EmulatedSystem.h"
#include "platform/AppFolders.h"
#include "platform/PathMap.h"

namespace fs = std::filesystem;
using platform::AppFolders;
using platform::PathMap;

namespace {

constexpr const char* kProgramFolder = "C:\\Tools\\";

class AppFoldersTest : public EmulatedSystemTest {
protected:
    void TearDown() override { AppFolders::Decide(""); }

    std::string Home() const { return system.Root() + "/home"; }

    static unsigned Mode(const std::string& native) {
        struct stat info {};
        return stat(native.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
};

TEST_F(AppFoldersTest, EitherMarkerKeepsEveryFileBesideTheProgram) {
    for (const char* marker : {"portable", "pennawick.ini"}) {
        SCOPED_TRACE(marker);
        system.WriteFile(std::string(kProgramFolder) + marker, "");
        AppFolders::Decide(kProgramFolder);
        EXPECT_EQ(AppFolders::CurrentWay(), AppFolders::Way::Portable);
        EXPECT_EQ(AppFolders::SettingsFolder(), kProgramFolder);
        EXPECT_EQ(AppFolders::LogFolder(), kProgramFolder);
        EXPECT_EQ(AppFolders::DataFolder(), kProgramFolder);
        EXPECT_EQ(AppFolders::SettingsName("Conv"), "Conv");
        fs::remove(system.Native(std::string(kProgramFolder) + marker));
    }
    EXPECT_FALSE(fs::exists(system.Root() + "/linux")) << "no user folder was made";
}

TEST_F(AppFoldersTest, WithoutAMarkerTheUserFoldersAreMadePrivateWhenFirstAskedFor) {
    // A writable program folder is still the installed way.
    system.MakeFolder(kProgramFolder);
    setenv("HOME", Home().c_str(), 1);
    struct Case {
        std::optional<std::string> config, state, data;  // nullopt: unset
        std::string settings, logs, files;               // native folders expected
    };
    const std::string x = system.Root() + "/x";
    const std::vector<Case> cases = {
        {std::nullopt, std::nullopt, std::nullopt, Home() + "/.config/pennawick",
         Home() + "/.local/state/pennawick", Home() + "/.local/share/pennawick"},
        {"", "relative/state", "./data", Home() + "/.config/pennawick",
         Home() + "/.local/state/pennawick", Home() + "/.local/share/pennawick"},
        {x + "/c", x + "/s/", x + "/d", x + "/c/pennawick", x + "/s/pennawick", x + "/d/pennawick"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings + " " + c.logs + " " + c.files);
        fs::remove_all(Home());
        fs::remove_all(x);
        const char* variables[] = {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"};
        const std::optional<std::string>* values[] = {&c.config, &c.state, &c.data};
        for (int i = 0; i < 3; ++i) {
            if (*values[i])
                setenv(variables[i], (*values[i])->c_str(), 1);
            else
                unsetenv(variables[i]);
        }
        AppFolders::Decide(kProgramFolder);
        EXPECT_EQ(AppFolders::CurrentWay(), AppFolders::Way::Installed);
        EXPECT_EQ(AppFolders::SettingsName("Conv"), "pennawick");
        EXPECT_FALSE(fs::exists(c.logs)) << "nothing is made before it is asked for";
        EXPECT_EQ(AppFolders::SettingsFolder(), PathMap::ToInternal(c.settings) + "\\");
        EXPECT_EQ(AppFolders::LogFolder(), PathMap::ToInternal(c.logs) + "\\");
        EXPECT_EQ(AppFolders::DataFolder(), PathMap::ToInternal(c.files) + "\\");
        for (const std::string& folder : {c.settings, c.logs, c.files}) {
            EXPECT_EQ(Mode(folder), 0700u) << folder;
            EXPECT_EQ(Mode(fs::path(folder).parent_path().string()), 0700u) << folder;
        }
    }
}

TEST_F(AppFoldersTest, AnExistingUserFolderKeepsItsMode) {
    setenv("HOME", Home().c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    fs::create_directories(Home() + "/.local/state");
    fs::permissions(Home() + "/.local/state", fs::perms(0755));
    AppFolders::Decide(kProgramFolder);
    AppFolders::LogFolder();
    EXPECT_EQ(Mode(Home() + "/.local/state"), 0755u);
    EXPECT_EQ(Mode(Home() + "/.local/state/pennawick"), 0700u);
}

}  // namespace

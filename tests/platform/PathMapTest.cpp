#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "EmulatedSystem.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "platform/SjisText.h"
#include "platform/WriteBatch.h"

namespace fs = std::filesystem;
using platform::PathMap;

namespace {

std::string RealRoot(const EmulatedSystem& system) {
    return fs::canonical(system.Root()).string();
}

}  // namespace

TEST_F(EmulatedSystemTest, DriveLettersMapThroughDosDevices) {
    const std::string driveC = RealRoot(system) + "/drive_c";
    EXPECT_EQ(PathMap::ToNative("C:\\users\\tester"), driveC + "/users/tester");
    EXPECT_EQ(PathMap::ToNative("c:/users/tester/"), driveC + "/users/tester");
    EXPECT_EQ(PathMap::ToNative("Z:\\tmp"), "/tmp");
    EXPECT_EQ(PathMap::ToNative("Q:\\nothing"), "") << "an unmapped drive has no native path";
    EXPECT_EQ(PathMap::ToNative("\\\\server\\share\\x"), "");
}

TEST_F(EmulatedSystemTest, NativePathsTakeTheDriveWithTheLongestRoot) {
    const std::string driveC = RealRoot(system) + "/drive_c";
    EXPECT_EQ(PathMap::ToInternal(driveC + "/users/tester/Favorites"),
              "C:\\users\\tester\\Favorites");
    EXPECT_EQ(PathMap::ToInternal(driveC), "C:\\");
    EXPECT_EQ(PathMap::ToInternal("/usr/share"), "Z:\\usr\\share");
    EXPECT_EQ(PathMap::ToInternal("/"), "Z:\\");
    // The prefix path itself, reached through its link-free name, maps the same way.
    EXPECT_EQ(PathMap::ToInternal(driveC + "/a/../b/./c"), "C:\\b\\c");
}

TEST_F(EmulatedSystemTest, NamesEndingInByte5CStayWhole) {
    // 表 is 0x95 0x5C and ソ is 0x83 0x5C: the 0x5C is a trail byte, not a separator.
    const std::string folder = "C:\\" + Sjis("表示") + "\\" + Sjis("ソフト") + ".url";
    const std::string native = PathMap::ToNative(folder);
    EXPECT_EQ(native, RealRoot(system) + "/drive_c/表示/ソフト.url");
    EXPECT_EQ(PathMap::ToInternal(native), folder);
}

TEST_F(EmulatedSystemTest, DotNamesNeverClimbAboveTheDrive) {
    const std::string driveC = RealRoot(system) + "/drive_c";
    EXPECT_EQ(PathMap::ToNative("C:\\a\\..\\..\\..\\etc"), driveC + "/etc");
    EXPECT_EQ(PathMap::ToNative("C:\\a\\.\\b"), driveC + "/a/b");
}

TEST_F(EmulatedSystemTest, PathsWithoutDriveUseTheCurrentFolder) {
    const std::string driveC = RealRoot(system) + "/drive_c";
    const fs::path saved = fs::current_path();
    fs::current_path(driveC + "/users");
    EXPECT_EQ(PathMap::CurrentFolder(), "C:\\users");
    EXPECT_EQ(PathMap::ToNative("\\x\\y.url"), driveC + "/x/y.url");
    EXPECT_EQ(PathMap::ToNative("tester\\a"), driveC + "/users/tester/a");
    fs::current_path(saved);
}

TEST_F(EmulatedSystemTest, MissingNamesAreFoundWithoutRegardToCase) {
    system.MakeFolder("C:\\Program Files\\Opera");
    const std::string driveC = RealRoot(system) + "/drive_c";
    EXPECT_EQ(PathMap::ToNative("C:\\PROGRAM FILES\\opera\\opera6.ini"),
              driveC + "/Program Files/Opera/opera6.ini");
}

TEST_F(EmulatedSystemTest, NamesChangedByOtherProgramsAreFoundAfterALookup) {
    system.MakeFolder("C:\\p\\dir");
    const std::string driveC = RealRoot(system) + "/drive_c";
    const std::string folder = driveC + "/p/dir";
    EXPECT_EQ(PathMap::ToNative("C:\\P\\dir\\later.url"), folder + "/later.url");
    // Each step changes the folder behind the program's back, then looks up another case.
    std::ofstream(folder + "/Later.url") << "x";
    EXPECT_EQ(PathMap::ToNative("C:\\p\\dir\\LATER.URL"), folder + "/Later.url");
    fs::rename(folder + "/Later.url", folder + "/LATER.url");
    EXPECT_EQ(PathMap::ToNative("C:\\p\\dir\\later.url"), folder + "/LATER.url");
    fs::remove(folder + "/LATER.url");
    EXPECT_EQ(PathMap::ToNative("C:\\p\\dir\\later.url"), folder + "/later.url");
    // The same path naming another folder: its parent renamed and the folder made anew.
    fs::rename(driveC + "/p", driveC + "/q");
    fs::create_directories(folder);
    std::ofstream(folder + "/Other.url") << "x";
    EXPECT_EQ(PathMap::ToNative("C:\\p\\dir\\OTHER.url"), folder + "/Other.url");
}

TEST_F(EmulatedSystemTest, PrefixWithoutDosDevicesHasDriveCAndZ) {
    fs::remove_all(fs::path(system.Root()) / "dosdevices");
    platform::Prefix::Reset();
    EXPECT_EQ(PathMap::ToNative("C:\\x"), RealRoot(system) + "/drive_c/x");
    EXPECT_EQ(PathMap::ToNative("Z:\\x"), "/x");
    EXPECT_EQ(PathMap::ToNative("D:\\x"), "");
}

TEST(PathMapWithoutPrefix, OnlyZIsMapped) {
    EmulatedSystem system;
    setenv("WINEPREFIX", (system.Root() + "/does-not-exist").c_str(), 1);
    platform::Prefix::Reset();
    EXPECT_EQ(platform::Prefix::Root(), "");
    EXPECT_EQ(PathMap::ToNative("C:\\x"), "");
    EXPECT_EQ(PathMap::ToNative("Z:\\x"), "/x");
    EXPECT_EQ(PathMap::ToInternal("/x"), "Z:\\x");
}

TEST(SjisText, WalksByCharacters) {
    using platform::SjisText;
    const std::string software = Sjis("ソフト");  // ソ ends in 0x5C
    EXPECT_TRUE(SjisText::EqualNoCase("Software\\" + software, "SOFTWARE\\" + software));
    EXPECT_FALSE(SjisText::EqualNoCase(Sjis("ａ"), Sjis("Ａ"))) << "only ASCII letters fold";
    EXPECT_FALSE(SjisText::EqualNoCase("ab", "abc"));
    EXPECT_FALSE(SjisText::EndsWithSeparator("C:\\" + software));
    EXPECT_TRUE(SjisText::EndsWithSeparator("C:/" + software + "/"));
    EXPECT_EQ(SjisText::SplitNames("\\\\" + software + "//x\\"),
              (std::vector<std::string>{software, "x"}));
}

TEST_F(EmulatedSystemTest, InvalidShiftJisNamesAreReplacedNotDropped) {
    // A lead byte without its trail byte becomes "・", as the ANSI functions replace it; a lead
    // byte takes the byte after it, whatever it is, as Windows does.
    EXPECT_EQ(PathMap::ToNative("C:\\dir\\bad\x81"), RealRoot(system) + "/drive_c/dir/bad・");
    EXPECT_EQ(PathMap::ToNative("C:\\bad\x81.url"), RealRoot(system) + "/drive_c/bad・url");
    EXPECT_EQ(PathMap::ToInternal(RealRoot(system) + "/drive_c/bad・"), "C:\\bad" + Sjis("・"));
}

TEST_F(EmulatedSystemTest, NativeNamesHoldingABackslashHaveNoInternalPath) {
    const std::string driveC = RealRoot(system) + "/drive_c";
    // ¥ becomes the byte 0x5C in code page 932, a backslash as well.
    for (const char* name : {"a\\b", "\\", "yen\xC2\xA5"}) {
        fs::create_directories(driveC + "/" + name);
        EXPECT_EQ(PathMap::ToInternal(driveC + "/" + name + "/x"), "") << name;
    }
    const fs::path saved = fs::current_path();
    fs::current_path(driveC + "/a\\b");
    EXPECT_EQ(PathMap::CurrentFolder(), "");
    EXPECT_EQ(PathMap::ToNative("relative"), "");
    EXPECT_EQ(PathMap::ToNative("\\rooted"), "");
    fs::current_path(saved);
}

TEST_F(EmulatedSystemTest, AWriteBatchSeesItsOwnChangesAtOnceAndOthersAfterIt) {
    using platform::File;
    using platform::FileSystem;
    using Result = FileSystem::CreateResult;
    system.MakeFolder("C:\\p\\dir");
    const std::string driveC = RealRoot(system) + "/drive_c";
    const std::string folder = driveC + "/p/dir";
    {
        const platform::WriteBatch batch;
        File file;
        // Each step is checked against the one before it, so every note of the batch counts.
        EXPECT_EQ(file.CreateNew("C:\\p\\dir\\a.url", true), Result::Created);
        file.Close();
        EXPECT_EQ(file.CreateNew("C:\\p\\dir\\A.URL", true), Result::AlreadyExists);
        EXPECT_TRUE(FileSystem::DeleteFile("C:\\p\\dir\\a.url"));
        EXPECT_EQ(file.CreateNew("C:\\p\\dir\\A.URL", true), Result::Created);
        file.Close();
        EXPECT_EQ(FileSystem::CreateFolder("C:\\p\\dir\\Sub"), Result::Created);
        EXPECT_EQ(PathMap::ToNative("C:\\p\\dir\\SUB\\x.url"), folder + "/Sub/x.url");
        EXPECT_TRUE(FileSystem::MoveFile("C:\\p\\dir\\A.URL", "C:\\p\\dir\\b.url"));
        EXPECT_EQ(file.CreateNew("C:\\p\\dir\\B.url", true), Result::AlreadyExists);
        EXPECT_EQ(file.CreateNew("C:\\p\\dir\\a.url", true), Result::Created);
        file.Close();
        // Only ASCII letters fold, in names of any script.
        EXPECT_EQ(file.CreateNew(Sjis("C:\\p\\dir\\日本x.url"), true), Result::Created);
        file.Close();
        EXPECT_EQ(file.CreateNew(Sjis("C:\\p\\dir\\日本X.URL"), true), Result::AlreadyExists);
        EXPECT_EQ(file.CreateNew(Sjis("C:\\p\\dir\\ａ.url"), true), Result::Created);
        file.Close();
        EXPECT_EQ(file.CreateNew(Sjis("C:\\p\\dir\\Ａ.url"), true), Result::Created);
        file.Close();
    }
    // After the batch, a parent renamed behind the program's back and the folder made anew.
    fs::rename(driveC + "/p", driveC + "/q");
    fs::create_directories(folder);
    EXPECT_EQ(PathMap::ToNative("C:\\p\\dir\\A.url"), folder + "/A.url");
    std::ofstream(folder + "/Other.url") << "x";
    File file;
    EXPECT_EQ(file.CreateNew("C:\\p\\dir\\OTHER.url", true), Result::AlreadyExists);
}

#include <gtest/gtest.h>

#include "EmulatedSystem.h"
#include "platform/FileSystem.h"
#include "support/CommonTools.h"

using namespace CommonTools;

TEST_F(EmulatedSystemTest, WorkingFolderIsTheProgramFolder) {
    EXPECT_EQ(GetWorkingFolder(), "C:\\Pennawick\\");
    InitializeWorkingFolder("C:\\pennawick.exe");
    EXPECT_EQ(GetWorkingFolder(), "C:\\");
    InitializeWorkingFolder("C:\\" + Sjis("表") + "\\p.exe");
    EXPECT_EQ(GetWorkingFolder(), "C:\\" + Sjis("表") + "\\");
    InitializeWorkingFolder("pennawick.exe");
    EXPECT_EQ(GetWorkingFolder().substr(1, 2), ":\\") << "falls back to the current folder";
    EXPECT_EQ(MakeWorkingPath("LogMon.log"), MakePath(GetWorkingFolder(), "LogMon.log", ""));
}

TEST(CommonTools, MakePathJoinsLikeMakepath) {
    EXPECT_EQ(MakePath("C:\\dir\\", "name", "ini"), "C:\\dir\\name.ini");
    EXPECT_EQ(MakePath("C:\\dir", "name", ".ini"), "C:\\dir\\name.ini");
    EXPECT_EQ(MakePath("C:/dir/", "name", ""), "C:/dir/name");
    EXPECT_EQ(MakePath("", "name", "ini"), "name.ini");
    // 表 ends in the byte 0x5C, which is no separator here.
    const std::string table = Sjis("表");
    EXPECT_EQ(MakePath("C:\\" + table, "a", ""), "C:\\" + table + "\\a");
}

TEST(CommonTools, SplitPathListsDriveFoldersNameAndExtension) {
    std::vector<std::string> list{"kept"};
    EXPECT_EQ(SplitPath("C:\\outer\\inner\\file.txt", list), 6);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "C:", "outer", "inner", "file", ".txt"}));
    list.clear();
    SplitPath("\\a.b\\" + Sjis("ソフト") + "\\name", list);
    EXPECT_EQ(list, (std::vector<std::string>{"", "a", Sjis("ソフト"), "name", ""}));
    list.clear();
    EXPECT_EQ(SplitPath("", list), 3);
}

TEST(CommonTools, FieldsOfNumberedLines) {
    int position = 0;
    EXPECT_EQ(GetField("12,abc,def", position), "12");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(GetField("12,abc,def", position), "abc,def");
    position = 0;
    EXPECT_EQ(GetField("no comma", position), "");
    EXPECT_EQ(position, 0);
    EXPECT_EQ(GetFieldInt("no comma", position), -1);
    EXPECT_EQ(GetField(",x", position), "");
    EXPECT_EQ(position, 1);
    position = 0;
    EXPECT_EQ(GetFieldInt("7x,1", position), 7);
    position = 0;
    EXPECT_EQ(GetFieldInt("x7,1", position), 0);
    position = 0;
    EXPECT_EQ(GetFieldInt("-5,1", position), -5);
    position = 40;
    EXPECT_EQ(GetField("short", position), "") << "a position past the end reads nothing";
}

TEST(CommonTools, FindNoCase) {
    EXPECT_EQ(FindNoCase("xAB", "ab"), 3);
    EXPECT_EQ(FindNoCase("URL=http://a", "url="), 4);
    EXPECT_EQ(FindNoCase("abc", ""), -1);
    EXPECT_EQ(FindNoCase("", "a"), -1);
    EXPECT_EQ(FindNoCase("ab", "abc"), -1);
    EXPECT_EQ(FindNoCase("aab", "AB"), 3);
    EXPECT_EQ(FindNoCase("\xE0x", "\xC0X"), -1) << "only ASCII letters fold";
}

TEST(CommonTools, PathNamesSplitByCharacters) {
    const std::string noun = Sjis("能力");  // 能 ends in 0x5C
    EXPECT_EQ(SplitNames("\\" + noun + "\\b/c\\\\"), (std::vector<std::string>{noun, "b", "c"}));
    EXPECT_TRUE(EndsWithSeparator("a\\"));
    EXPECT_FALSE(EndsWithSeparator("a\\" + Sjis("十")));
    EXPECT_FALSE(EndsWithSeparator(""));
}

TEST_F(EmulatedSystemTest, FileExistsReportsAttributes) {
    uint32_t attributes = 0;
    EXPECT_TRUE(FileExists("C:\\Pennawick", attributes));
    EXPECT_TRUE(attributes & platform::FileSystem::kAttributeDirectory);
    EXPECT_FALSE(FileExists("C:\\Pennawick\\none", attributes));
    EXPECT_EQ(attributes, 0xFFFFFFFFu);
}

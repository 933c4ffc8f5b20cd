#include <gtest/gtest.h>

#include <string>

#include "common/EmulatedSystem.h"
#include "support/ProfileSection.h"

namespace {

const std::string kIni = "C:\\Pennawick\\pennawick.ini";

}  // namespace

TEST_F(EmulatedSystemTest, ProfileSectionReadsTypedValues) {
    system.WriteFile(kIni,
                     "[config]\r\nDEBUG=12abc\r\nWord=abc\r\nOn=1\r\nTrue=true\r\nZeroOne=01\r\n"
                     "Long=" +
                         std::string(300, 'x') + "\r\n");
    ProfileSection section("CONFIG", kIni);
    EXPECT_EQ(section.ReadInt("debug", 3), 12);
    EXPECT_EQ(section.ReadInt("Word", 3), 0);
    EXPECT_EQ(section.ReadInt("Missing", 3), 3);
    EXPECT_TRUE(section.ReadBool("On", false));
    EXPECT_FALSE(section.ReadBool("True", true));
    EXPECT_FALSE(section.ReadBool("ZeroOne", true));
    EXPECT_TRUE(section.ReadBool("Missing", true));
    EXPECT_FALSE(section.ReadBool("Missing", false));
    EXPECT_EQ(section.ReadString("Long", "").size(), 255u);
    EXPECT_EQ(section.ReadString("Missing", "fallback"), "fallback");
    EXPECT_EQ(section.GetLastString(), "fallback");
    EXPECT_EQ(ProfileSection("CONFIG", "C:\\Pennawick\\none.ini").ReadInt("DEBUG", 3), 3);
}

TEST_F(EmulatedSystemTest, ProfileSectionWritesCreateFileAndSection) {
    ProfileSection section("CONFIG", kIni);
    section.WriteString("WORKFOLDER", "C:\\Pennawick\\");
    section.WriteInt("Count", -4);
    section.WriteBool("Flag", true);
    EXPECT_EQ(system.ReadFile(kIni),
              "[CONFIG]\r\nWORKFOLDER=C:\\Pennawick\\\r\nCount=-4\r\nFlag=1\r\n");
    EXPECT_EQ(section.ReadInt("Count", 0), -4);
}

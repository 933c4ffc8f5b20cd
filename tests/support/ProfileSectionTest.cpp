#include <gtest/gtest.h>

#include <string>

#include "common/EmulatedSystem.h"
#include "support/ProfileSection.h"

TEST_F(EmulatedSystemTest, ProfileSectionReadsAndWritesTypedValues) {
    const std::string ini = "C:\\Pennawick\\pennawick.ini";
    system.WriteFile(ini, "[config]\r\nDEBUG=12abc\r\nTrue=true\r\nZeroOne=01\r\nLong=" +
                              std::string(300, 'x') + "\r\n");
    ProfileSection section("CONFIG", ini);
    EXPECT_EQ(section.ReadInt("debug", 3), 12);
    EXPECT_EQ(section.ReadInt("Missing", 3), 3);
    // Only the text "1" is true.
    EXPECT_FALSE(section.ReadBool("True", true));
    EXPECT_FALSE(section.ReadBool("ZeroOne", true));
    EXPECT_TRUE(section.ReadBool("Missing", true));
    EXPECT_EQ(section.ReadString("Long", "").size(), 255u);

    ProfileSection fresh("CONFIG", "C:\\Pennawick\\new.ini");
    fresh.WriteString("WORKFOLDER", "C:\\Pennawick\\");
    fresh.WriteInt("Count", -4);
    fresh.WriteBool("Flag", true);
    EXPECT_EQ(system.ReadFile("C:\\Pennawick\\new.ini"),
              "[CONFIG]\r\nWORKFOLDER=C:\\Pennawick\\\r\nCount=-4\r\nFlag=1\r\n");
    EXPECT_TRUE(fresh.ReadBool("Flag", false));
}

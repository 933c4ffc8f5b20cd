#include <gtest/gtest.h>

#include "cli/ProfileTable.h"

// Full-width characters take two columns, half-width katakana one; a row without a count
// leaves its cell blank; JSON escapes quotes, backslashes and control characters only.
TEST(ProfileTableTest, AlignsByDisplayWidthAndEscapesJson) {
    ProfileTable table;
    table.Add({1, "nn6", "NNv6", "仕事", "C:\\a", {}});
    table.Add({2, "nn6", "NNv6", "default", "C:\\b", 12});
    table.Add({10, "opera", "Opera6", "ｶﾅ\"\t", "C:\\仕事\\c", 3});
    EXPECT_EQ(table.Table(),
              "ROW  COUNT  BROWSER  USER     PATH\n"
              "1           NNv6     仕事     C:\\a\n"
              "2    12     NNv6     default  C:\\b\n"
              "10   3      Opera6   ｶﾅ\"\t     C:\\仕事\\c\n");
    EXPECT_EQ(table.JsonLines().substr(table.JsonLines().rfind("{\"row\":10")),
              "{\"row\":10,\"kind\":\"opera\",\"browser\":\"Opera6\",\"user\":\"ｶﾅ\\\"\\u0009\","
              "\"path\":\"C:\\\\仕事\\\\c\",\"count\":3}\n");
}

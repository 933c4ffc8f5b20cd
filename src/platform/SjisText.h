#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Character-wise helpers on internal (Shift-JIS) text and paths: they step over double-byte
// characters whole, so that a trail byte (0x5C is one) is never taken for a backslash or a letter.
class SjisText {
public:
    // Equal without regard to ASCII letter case; double-byte characters compare exactly.
    static bool EqualNoCase(std::string_view a, std::string_view b);

    static bool IsSeparator(char c) { return c == '\\' || c == '/'; }
    // Whether the last character (not a trail byte) is a backslash or a slash.
    static bool EndsWithSeparator(std::string_view path);
    // The names of a path, split at backslashes and slashes; empty names are dropped.
    static std::vector<std::string> SplitNames(std::string_view path);
};

}  // namespace platform

#pragma once

#include <string>

// ISO-2022-JP (JIS escapes) to Shift-JIS. Text before the first escape sequence is kept as it
// is; after "ESC $ @", "ESC $ B" or "ESC $ D" pairs of JIS X 0208 convert, after the four
// single-byte escapes bytes follow the normalisation's single-byte rules.
class Iso2022JpConverter {
public:
    static void ToSjis(std::string& out, const std::string& in, bool upper);
    // Whether any of the escape sequences occurs anywhere in the text.
    static bool HasEscape(const std::string& text);
};

#pragma once

#include <string>
#include <string_view>

namespace platform {

// Code page 932 (Shift-JIS as Windows has it): byte classes and conversions to and from UTF-16,
// generated from Windows' own measured conversions, so that no locale or system table is needed.
class Cp932 {
public:
    // Byte classes of the code page: lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E
    // and 0x80-0xFC.
    static bool IsLeadByte(unsigned char byte);
    static bool IsTrailByte(unsigned char byte);

    // Bytes taken by the character that starts at pos: 2 for a lead byte followed by a trail
    // byte, else 1 (0 at or past the end). Path and text walkers step with this, so that a 0x5C
    // trail byte is never taken for a backslash.
    static size_t CharLength(std::string_view text, size_t pos);

    // Shift-JIS to UTF-16 as MultiByteToWideChar(932, 0) converts: invalid pairs, 0x80, 0xA0 and
    // 0xFD-0xFF included. A lead byte takes whatever byte follows it: an invalid pair is one
    // U+30FB (a line feed after a stray lead byte is lost with it; a zero byte is kept), and a
    // lead byte at the end is U+30FB. The result never has more units than the input has bytes.
    static std::u16string ToUtf16(std::string_view sjis);
    static void AppendUtf16(std::string_view sjis, std::u16string& out);

    // UTF-16 to Shift-JIS as WideCharToMultiByte(932, 0) converts: best fit where Windows has
    // one, else the default character '?'.
    static std::string FromUtf16(std::u16string_view utf16);
    static void AppendSjis(std::u16string_view utf16, std::string& out);

    // The full-width Shift-JIS form (two bytes) of a half-width katakana byte 0xA1-0xDF, or an
    // empty text for any other byte. Sound marks are widened alone, never joined.
    static std::string WidenKatakana(unsigned char byte);

    // Literal helpers: UTF-8 source text to internal Shift-JIS and back, through the tables
    // alone; every character (tabs and line feeds included) is kept. Malformed UTF-8 and
    // characters beyond U+FFFF become '?'.
    static std::string FromUtf8(std::string_view utf8);
    static std::string ToUtf8(std::string_view sjis);
};

}  // namespace platform

#include "platform/Cp932.h"

#include <algorithm>
#include <cstdint>

namespace platform {

namespace {

#include "platform/Cp932Tables.inc"

constexpr char kDefaultChar = '?';

// The two units of a pair marked kTwoUnitMark in its row.
const TwoUnitPair& FindTwoUnitPair(unsigned char lead, unsigned char trail) {
    const auto* pair = std::lower_bound(
        std::begin(kTwoUnitPairs), std::end(kTwoUnitPairs), (lead << 8) | trail,
        [](const TwoUnitPair& entry, int key) { return ((entry.lead << 8) | entry.trail) < key; });
    return *pair;  // the generator marks only pairs it lists
}

// Decodes sjis into dest, which has room for one unit per byte (no pair yields more units than
// it has bytes); returns the end of the units written.
char16_t* DecodeInto(std::string_view sjis, char16_t* dest) {
    const auto* in = reinterpret_cast<const unsigned char*>(sjis.data());
    const auto* end = in + sjis.size();
    while (in != end) {
        const unsigned char byte = *in++;
        const uint8_t row = kPairRowOfLead[byte];
        if (row == kNoRow || in == end) {
            *dest++ = kSingleByte[byte];
            continue;
        }
        // A lead byte takes whatever byte follows it, as Windows does.
        const unsigned char trail = *in++;
        const char16_t unit = kPairRows[row][trail];
        if (unit != kTwoUnitMark) {
            *dest++ = unit;
            continue;
        }
        const TwoUnitPair& pair = FindTwoUnitPair(byte, trail);
        *dest++ = pair.first;
        *dest++ = pair.second;
    }
    return dest;
}

// Encodes utf16 into dest, which has room for two bytes per unit; returns the end.
char* EncodeInto(std::u16string_view utf16, char* dest) {
    for (const char16_t unit : utf16) {
        const uint16_t code = kEncodePages[kEncodePageOfHigh[unit >> 8]][unit & 0xFF];
        if (code >= 0x100) *dest++ = static_cast<char>(code >> 8);
        *dest++ = static_cast<char>(code & 0xFF);
    }
    return dest;
}

// The UTF-8 sequence at pos: its code point and length, or length 0 when it is malformed
// (overlong, surrogate, beyond U+10FFFF, truncated or with a bad continuation byte).
struct CodePoint {
    char32_t value;
    size_t length;
};

CodePoint DecodeUtf8(std::string_view utf8, size_t pos) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) return {lead, 1};
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (utf8.size() - pos < length) return {0, 0};
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(utf8[pos + i]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {0, 0};
    return {value, length};
}

// Writes one unit as UTF-8 at dest (room for three bytes); returns the end.
char* WriteUtf8(char16_t unit, char* dest) {
    if (unit < 0x80) {
        *dest++ = static_cast<char>(unit);
    } else if (unit < 0x800) {
        *dest++ = static_cast<char>(0xC0 | (unit >> 6));
        *dest++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
        *dest++ = kDefaultChar;  // never decoded from this code page; kept valid UTF-8 regardless
    } else {
        *dest++ = static_cast<char>(0xE0 | (unit >> 12));
        *dest++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        *dest++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
    return dest;
}

}  // namespace

bool Cp932::IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool Cp932::IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

size_t Cp932::CharLength(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

std::u16string Cp932::ToUtf16(std::string_view sjis) {
    std::u16string out;
    AppendUtf16(sjis, out);
    return out;
}

void Cp932::AppendUtf16(std::string_view sjis, std::u16string& out) {
    const size_t start = out.size();
    out.resize(start + sjis.size());
    char16_t* end = DecodeInto(sjis, out.data() + start);
    out.resize(static_cast<size_t>(end - out.data()));
}

std::string Cp932::FromUtf16(std::u16string_view utf16) {
    std::string out;
    AppendSjis(utf16, out);
    return out;
}

void Cp932::AppendSjis(std::u16string_view utf16, std::string& out) {
    const size_t start = out.size();
    out.resize(start + 2 * utf16.size());
    char* end = EncodeInto(utf16, out.data() + start);
    out.resize(static_cast<size_t>(end - out.data()));
}

std::string Cp932::WidenKatakana(unsigned char byte) {
    if (byte < 0xA1 || byte > 0xDF) return {};
    const uint16_t code = kWideKatakana[byte - 0xA1];
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

std::string Cp932::FromUtf8(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const CodePoint point = DecodeUtf8(utf8, pos);
        if (point.length == 0 || point.value > 0xFFFF) {
            // The default character stands for a malformed byte or a character beyond the BMP.
            units += static_cast<char16_t>(kDefaultChar);
            pos += std::max<size_t>(point.length, 1);
            continue;
        }
        units += static_cast<char16_t>(point.value);
        pos += point.length;
    }
    return FromUtf16(units);
}

std::string Cp932::ToUtf8(std::string_view sjis) {
    const std::u16string units = ToUtf16(sjis);
    std::string out(units.size() * 3, '\0');
    char* end = out.data();
    for (const char16_t unit : units) end = WriteUtf8(unit, end);
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

}  // namespace platform

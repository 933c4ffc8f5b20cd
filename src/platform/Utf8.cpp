#include "platform/Utf8.h"

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The code point of the sequence at pos and its length; a malformed byte is U+FFFD of length 1.
char32_t Decode(std::string_view utf8, size_t pos, size_t& length) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    length = 1;
    if (lead < 0x80) return lead;
    size_t need = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacement;
    }
    if (utf8.size() - pos < need) return kReplacement;
    for (size_t i = 1; i < need; ++i) {
        const auto next = static_cast<unsigned char>(utf8[pos + i]);
        if ((next & 0xC0) != 0x80) return kReplacement;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || IsSurrogate(value)) return kReplacement;
    length = need;
    return value;
}

void Append(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::u16string Utf8::ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        size_t length = 0;
        const char32_t c = Decode(utf8, pos, length);
        pos += length;
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf8::FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (size_t pos = 0; pos < utf16.size(); ++pos) {
        const char32_t unit = utf16[pos];
        if (unit >= 0xD800 && unit <= 0xDBFF && pos + 1 < utf16.size() &&
            utf16[pos + 1] >= 0xDC00 && utf16[pos + 1] <= 0xDFFF) {
            Append(0x10000 + ((unit - 0xD800) << 10) + (utf16[pos + 1] - 0xDC00), out);
            ++pos;
        } else {
            Append(IsSurrogate(unit) ? kReplacement : unit, out);
        }
    }
    return out;
}

}  // namespace platform

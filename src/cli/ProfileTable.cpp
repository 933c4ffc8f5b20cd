#include "cli/ProfileTable.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

// Whether a code point is shown double width: the East Asian wide and full-width blocks,
// without the half-width katakana and symbols.
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

void Pad(std::string& line, const std::string& text, size_t width) {
    line += text;
    line.append(width - ProfileTable::DisplayWidth(text), ' ');
    line += "  ";
}

}  // namespace

size_t ProfileTable::DisplayWidth(const std::string& utf8) {
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC0 ? 2
                                       : 1;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        width += IsWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

std::string ProfileTable::JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string ProfileTable::Table() const {
    const bool counted =
        std::any_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.count.has_value(); });
    auto cells = [counted](const Row& r) {
        std::vector<std::string> texts{std::to_string(r.row)};
        if (counted) texts.push_back(r.count ? std::to_string(*r.count) : std::string());
        texts.insert(texts.end(), {r.browser, r.user, r.path});
        return texts;
    };
    std::vector<std::string> heading{"ROW"};
    if (counted) heading.push_back("COUNT");
    heading.insert(heading.end(), {"BROWSER", "USER", "PATH"});
    std::vector<size_t> widths;
    for (const std::string& h : heading) widths.push_back(h.size());
    for (const Row& r : rows_) {
        const std::vector<std::string> texts = cells(r);
        for (size_t c = 0; c < texts.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(texts[c]));
    }
    std::string table;
    auto addLine = [&](const std::vector<std::string>& texts) {
        std::string line;
        for (size_t c = 0; c + 1 < texts.size(); ++c) Pad(line, texts[c], widths[c]);
        line += texts.back();
        table += line + "\n";
    };
    addLine(heading);
    for (const Row& r : rows_) addLine(cells(r));
    return table;
}

std::string ProfileTable::JsonLines() const {
    std::string lines;
    for (const Row& r : rows_) {
        lines += "{\"row\":" + std::to_string(r.row) + ",\"kind\":" + JsonString(r.kind) +
                 ",\"browser\":" + JsonString(r.browser) + ",\"user\":" + JsonString(r.user) +
                 ",\"path\":" + JsonString(r.path);
        if (r.count) lines += ",\"count\":" + std::to_string(*r.count);
        lines += "}\n";
    }
    return lines;
}

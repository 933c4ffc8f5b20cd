#include "platform/SjisText.h"

#include "platform/Cp932.h"

namespace platform {

namespace {

char FoldByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SjisText::EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t pos = 0; pos < a.size();) {
        const size_t length = Cp932::CharLength(a, pos);
        if (length == 2) {
            if (a.substr(pos, 2) != b.substr(pos, 2)) return false;
        } else if (FoldByte(a[pos]) != FoldByte(b[pos])) {
            return false;
        }
        pos += length;
    }
    return true;
}

bool SjisText::EndsWithSeparator(std::string_view path) {
    bool separator = false;
    for (size_t i = 0; i < path.size();) {
        const size_t length = Cp932::CharLength(path, i);
        separator = length == 1 && IsSeparator(path[i]);
        i += length;
    }
    return separator;
}

std::vector<std::string> SjisText::SplitNames(std::string_view path) {
    std::vector<std::string> names;
    std::string current;
    for (size_t i = 0; i < path.size();) {
        const size_t length = Cp932::CharLength(path, i);
        if (length == 1 && IsSeparator(path[i])) {
            if (!current.empty()) names.push_back(std::move(current));
            current.clear();
        } else {
            current.append(path.substr(i, length));
        }
        i += length;
    }
    if (!current.empty()) names.push_back(std::move(current));
    return names;
}

}  // namespace platform

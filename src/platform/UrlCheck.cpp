#include "platform/UrlCheck.h"

#include "platform/Cp932.h"

namespace platform {

namespace {

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

bool EndsAuthority(char c) {
    return c == '/' || c == '?' || c == '#';
}

// Bytes taken by the character at pos; a byte below 0x80 is never a lead byte.
size_t CharLength(std::string_view text, size_t pos) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) return 1;
    return Cp932::CharLength(text, pos);
}

// Position of the first single-byte character of `text` at or after `pos` for which `stop`
// holds, walking by characters; text.size() when there is none.
template <typename Stop>
size_t FindChar(std::string_view text, size_t pos, Stop stop) {
    while (pos < text.size()) {
        const size_t length = CharLength(text, pos);
        if (length == 1 && stop(text[pos])) return pos;
        pos += length;
    }
    return text.size();
}

bool IsPort(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// host [":" port], the host non-empty; "[...]" is one host.
bool IsHostAndPort(std::string_view text) {
    size_t hostEnd = 0;
    if (!text.empty() && text[0] == '[') {
        hostEnd = FindChar(text, 1, [](char c) { return c == ']'; });
        if (hostEnd == text.size() || hostEnd == 1) return false;
        ++hostEnd;
    } else {
        hostEnd = FindChar(text, 0, [](char c) { return c == ':'; });
        if (hostEnd == 0) return false;
    }
    if (hostEnd == text.size()) return true;
    return text[hostEnd] == ':' && IsPort(text.substr(hostEnd + 1));
}

}  // namespace

bool UrlCheck::IsValid(std::string_view url) {
    size_t pos = 0;
    while (pos < url.size() && IsSchemeChar(url[pos])) ++pos;
    if (pos == 0 || url.substr(pos, 3) != "://") return false;
    pos += 3;
    const size_t end = FindChar(url, pos, EndsAuthority);
    std::string_view authority = url.substr(pos, end - pos);
    // User information ends at the last "@" of the authority.
    size_t at = std::string_view::npos;
    for (size_t i = 0; i < authority.size(); i += CharLength(authority, i)) {
        if (authority[i] == '@') at = i;
    }
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    return IsHostAndPort(authority);
}

}  // namespace platform

#pragma once

#include <string_view>

namespace platform {

// The check every bookmark address goes through: a scheme (letters, digits, "+", "-", "."),
// ":", "//" and a non-empty host, followed by anything. The host may carry user information
// before an "@" and a port of digits after a ":"; a bracketed host ("[::1]") is one host.
// Text is Shift-JIS and is walked by characters, so a trail byte is never taken for a delimiter.
class UrlCheck {
public:
    static bool IsValid(std::string_view url);
};

}  // namespace platform

#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 to and from UTF-16 as MultiByteToWideChar and WideCharToMultiByte convert with the UTF-8
// code page: characters beyond U+FFFF as surrogate pairs, a malformed byte and a lone surrogate
// as U+FFFD.
class Utf8 {
public:
    static std::u16string ToUtf16(std::string_view utf8);
    static std::string FromUtf16(std::u16string_view utf16);
};

}  // namespace platform

#pragma once

#include <string>

// Base64 with the standard alphabet and "=" padding, no line breaks.
class Base64Codec {
public:
    static std::string Encode(const std::string& in);
    // Decodes until the first group that is not well-formed (four alphabet characters, or as
    // the last group two plus "==" or three plus "="); the result ends at a zero byte.
    static std::string Decode(const std::string& in);
};

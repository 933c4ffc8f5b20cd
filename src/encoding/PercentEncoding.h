#pragma once

#include <string>

// Percent-encoding of the bytes that URLs cannot hold as they are.
class PercentEncoding {
public:
    // Every byte of 0x80 or above written as "%XX" (upper-case hex); the others are kept.
    static std::string EncodeHighBytes(const std::string& in);
};

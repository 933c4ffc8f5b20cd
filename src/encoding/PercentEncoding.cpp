#include "encoding/PercentEncoding.h"

std::string PercentEncoding::EncodeHighBytes(const std::string& in) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(in.size() * 3);
    for (const char c : in) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[b >> 4];
            encoded += kHex[b & 0x0F];
        }
    }
    return encoded;
}

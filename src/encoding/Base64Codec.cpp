#include "encoding/Base64Codec.h"

#include <array>
#include <cstdint>

namespace {

using Byte = unsigned char;

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each base64 character, -1 for any other byte.
constexpr std::array<int8_t, 256> MakeBase64Values() {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 64; ++i)
        values[static_cast<Byte>(kBase64Alphabet[i])] = static_cast<int8_t>(i);
    return values;
}
constexpr std::array<int8_t, 256> kBase64Values = MakeBase64Values();

// How many bytes a group of four decodes to: 3, or 2 or 1 for a padded last group; 0 when the
// group is not well-formed.
int GroupBytes(const Byte* s, const int (&v)[4], bool last) {
    if (v[0] < 0 || v[1] < 0) return 0;
    if (v[2] >= 0 && v[3] >= 0) return 3;
    if (last && v[2] >= 0 && s[3] == '=') return 2;
    if (last && s[2] == '=' && s[3] == '=') return 1;
    return 0;
}

}  // namespace

std::string Base64Codec::Encode(const std::string& in) {
    std::string encoded;
    encoded.reserve((in.size() + 2) / 3 * 4);
    const auto* s = reinterpret_cast<const Byte*>(in.data());
    size_t left = in.size();
    for (; left >= 3; left -= 3, s += 3) {
        const uint32_t group = (s[0] << 16) | (s[1] << 8) | s[2];
        encoded += kBase64Alphabet[group >> 18];
        encoded += kBase64Alphabet[(group >> 12) & 0x3F];
        encoded += kBase64Alphabet[(group >> 6) & 0x3F];
        encoded += kBase64Alphabet[group & 0x3F];
    }
    if (left > 0) {
        const uint32_t group = (s[0] << 16) | (left == 2 ? s[1] << 8 : 0);
        encoded += kBase64Alphabet[group >> 18];
        encoded += kBase64Alphabet[(group >> 12) & 0x3F];
        encoded += left == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
        encoded += '=';
    }
    return encoded;
}

std::string Base64Codec::Decode(const std::string& in) {
    std::string decoded;
    decoded.reserve(in.size() / 4 * 3);
    const auto* s = reinterpret_cast<const Byte*>(in.data());
    for (size_t pos = 0; pos + 4 <= in.size(); pos += 4, s += 4) {
        const int v[4] = {kBase64Values[s[0]], kBase64Values[s[1]], kBase64Values[s[2]],
                          kBase64Values[s[3]]};
        const int bytes = GroupBytes(s, v, pos + 4 == in.size());
        if (bytes == 0) break;  // not well-formed: keep what came before
        const uint32_t group =
            (v[0] << 18) | (v[1] << 12) | ((v[2] < 0 ? 0 : v[2]) << 6) | (v[3] < 0 ? 0 : v[3]);
        decoded += static_cast<char>(group >> 16);
        if (bytes >= 2) decoded += static_cast<char>((group >> 8) & 0xFF);
        if (bytes == 3) decoded += static_cast<char>(group & 0xFF);
    }
    // The result is text: it ends at a zero byte.
    const size_t zero = decoded.find('\0');
    if (zero != std::string::npos) decoded.resize(zero);
    return decoded;
}

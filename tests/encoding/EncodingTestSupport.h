#pragma once

#include <iconv.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Helpers shared by the encoding tests: glibc iconv as an independent oracle for EUC-JP and
// ISO-2022-JP, and the lines of a corpus file.

// The text converted by iconv, or "<iconv failed>" when iconv refuses it.
inline std::string Iconv(const char* from, const char* to, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<iconv failed>";
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* dest = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &dest, &outLeft);
    if (rc != static_cast<size_t>(-1)) rc = iconv(cd, nullptr, nullptr, &dest, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return "<iconv failed>";
    out.resize(out.size() - outLeft);
    return out;
}

// The lines of a file without their line ends; empty when it cannot be read.
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

inline bool HasHighByte(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

// Hex dump for readable failure messages.
inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!hex.empty()) hex += ' ';
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

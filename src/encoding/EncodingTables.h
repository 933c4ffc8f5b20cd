#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Lookup tables for the encoding conversions, derived once from the platform's code page 932
// conversions so that the conversions run on bytes without calling the platform per character
// and still give exactly what the platform gives.
class EncodingTables {
public:
    // The UTF-8 form of one Shift-JIS byte or pair: up to three bytes, or a mark for the rare
    // inputs that need the platform itself.
    struct Utf8Entry {
        char bytes[3];
        uint8_t length;  // 0..3, or one of the marks below
    };
    static constexpr uint8_t kComplex = 0xFF;  // more than three bytes: ask the platform
    static constexpr uint8_t kFailed = 0xFE;   // the platform gave nothing

    // Normalised Shift-JIS of one UTF-16 unit: a pair as (lead << 8) | trail, a single byte as
    // its value, 0 when the character is dropped, or one of the marks below.
    static constexpr uint16_t kUnitComplex = 0xFFFE;  // not one pair or byte: ask the platform
    static constexpr uint16_t kUnitFailed = 0xFFFF;   // the platform gave nothing

    // The tables, built on first use.
    static const EncodingTables& Get();

    // Full-width Shift-JIS pair of a half-width katakana byte, 0 for any other byte.
    std::array<uint16_t, 256> wideKana{};
    // Shift-JIS to UTF-8: single bytes, and pairs by lead row (leadRow[lead] - 1; 0 when the
    // byte leads no pair).
    std::array<Utf8Entry, 256> single{};
    std::array<uint8_t, 256> leadRow{};
    std::vector<std::array<Utf8Entry, 256>> pairs;
    // UTF-16 unit to normalised Shift-JIS.
    std::vector<uint16_t> unitToSjis;

private:
    EncodingTables();
};

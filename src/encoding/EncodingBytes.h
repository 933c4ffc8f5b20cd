#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Byte classes and small byte-level steps shared by the conversions. Everything works on
// unsigned bytes; the hot helpers are inline because they run once per byte or per word.
class EncodingBytes {
public:
    using Byte = unsigned char;

    static const Byte* Of(const std::string& text) {
        return reinterpret_cast<const Byte*>(text.data());
    }

    static bool IsSjisLead(Byte b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
    static bool IsSjisPair(Byte x, Byte y) { return IsSjisLead(x) && y >= 0x40 && y <= 0xFC; }
    static bool IsHankaku(Byte b) { return b >= 0xA1 && b <= 0xDF; }
    static bool IsEucPair(Byte x, Byte y) {
        return x >= 0xA1 && x <= 0xFE && y >= 0xA1 && y <= 0xFE;
    }
    static bool IsEucKana(Byte x, Byte y) { return x == 0x8E && IsHankaku(y); }
    static bool IsPrintable(Byte b) { return b >= 0x20 && b <= 0x7E; }

    // A single byte by the normalisation's rules: an ASCII letter upper-cased with the flag, a
    // printable byte copied, anything else dropped.
    static char* PutSingle(char* out, Byte b, bool upper) {
        if (upper && b >= 'a' && b <= 'z') {
            *out++ = static_cast<char>(b - 0x20);
        } else if (IsPrintable(b)) {
            *out++ = static_cast<char>(b);
        }
        return out;
    }

    static char* PutPair(char* out, uint16_t pair) {
        *out++ = static_cast<char>(pair >> 8);
        *out++ = static_cast<char>(pair & 0xFF);
        return out;
    }

    // Eight bytes at once: bookmark lines are mostly ASCII URLs.
    static uint64_t Load8(const Byte* in) {
        uint64_t word;
        std::memcpy(&word, in, sizeof word);
        return word;
    }
    static bool AllBelow80(uint64_t w) { return (w & kHighs) == 0; }
    // True when every byte is printable (0x20..0x7E).
    static bool AllPrintable(uint64_t w) {
        const uint64_t belowSpace = (w - kOnes * 0x20) & ~w & kHighs;
        const uint64_t del = w ^ (kOnes * 0x7F);
        const uint64_t isDel = (del - kOnes) & ~del & kHighs;
        return ((w & kHighs) | belowSpace | isDel) == 0;
    }

    // Converts the bytes below 0x80 at in by the single-byte rules, until a byte of 0x80 or
    // above: printable stretches eight bytes at a time, the rest byte by byte.
    static void CopyAsciiRun(const Byte*& in, const Byte* end, char*& out, bool upper) {
        while (in < end && *in < 0x80) {
            while (!upper && end - in >= 8) {
                const uint64_t word = Load8(in);
                if (!AllPrintable(word)) break;
                std::memcpy(out, &word, sizeof word);
                in += 8;
                out += 8;
            }
            const Byte* stop = end - in > 8 ? in + 8 : end;
            while (in < stop && *in < 0x80) out = PutSingle(out, *in++, upper);
        }
    }

    // JIS X 0208 to Shift-JIS for a pair of 0x21..0x7E, else 0.
    static uint16_t JisToSjis(Byte j1, Byte j2);
    // Writes the Shift-JIS pair of a JIS X 0208 pair; nothing for a pair outside JIS X 0208.
    static char* PutJisAsSjis(char* out, Byte j1, Byte j2) {
        const uint16_t sjis = JisToSjis(j1, j2);
        if (IsSjisPair(static_cast<Byte>(sjis >> 8), static_cast<Byte>(sjis & 0xFF))) {
            out = PutPair(out, sjis);
        }
        return out;
    }
    // Shift-JIS pair to JIS X 0208, or 0 when the pair has no JIS X 0208 form.
    static uint16_t SjisToJis(Byte s1, Byte s2);

    // Appends the UTF-8 form of UTF-16 units, one unit at a time (code page 932 yields no
    // surrogates); out needs room for three bytes a unit.
    static char* PutUtf8(const std::u16string& units, char* out);

private:
    static constexpr uint64_t kOnes = 0x0101010101010101ULL;
    static constexpr uint64_t kHighs = 0x8080808080808080ULL;
};

inline uint16_t EncodingBytes::JisToSjis(Byte j1, Byte j2) {
    if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E) return 0;
    int s1 = ((j1 - 0x21) >> 1) + 0x81;
    if (j1 >= 0x5F) s1 += 0x40;
    int s2;
    if (j1 & 1) {
        s2 = j2 + 0x1F + (j2 >= 0x60 ? 1 : 0);
    } else {
        s2 = j2 + 0x7E;
    }
    return static_cast<uint16_t>((s1 << 8) | s2);
}

inline uint16_t EncodingBytes::SjisToJis(Byte s1, Byte s2) {
    const int a = s1 < 0xA0 ? s1 - 0x81 : s1 - 0xC1;
    int j1, j2;
    if (s2 < 0x9F) {
        j1 = 2 * a + 0x21;
        j2 = s2 - 0x1F - (s2 > 0x7E ? 1 : 0);
    } else {
        j1 = 2 * a + 0x22;
        j2 = s2 - 0x7E;
    }
    const int code = (j1 << 8) | j2;
    if (code < 0x2121 || code > 0x7E7E || j2 < 0x21 || j2 > 0x7E) return 0;
    return static_cast<uint16_t>(code);
}

#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Byte classes and small byte-level steps shared by the conversions. Everything works on
// unsigned bytes; the hot helpers are inline because they run once per byte or per word.
class EncodingBytes {
public:
    using Byte = unsigned char;

    static const Byte* Of(const std::string& text) {
        return reinterpret_cast<const Byte*>(text.data());
    }

    static constexpr bool IsSjisLead(Byte b) {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    static constexpr bool IsSjisPair(Byte x, Byte y) {
        return IsSjisLead(x) && y >= 0x40 && y <= 0xFC;
    }
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

    // The bytes of a word that are not printable, each marked by its high bit; the lowest
    // marked byte is exact (marks above it may be false).
    static uint64_t NotPrintable(uint64_t w) {
        const uint64_t belowSpace = (w - kOnes * 0x20) & ~w & kHighs;
        const uint64_t del = w ^ (kOnes * 0x7F);
        const uint64_t isDel = (del - kOnes) & ~del & kHighs;
        return (w & kHighs) | belowSpace | isDel;
    }

    // Copies printable bytes from in until a byte that is not printable or the end. Where 16 or
    // eight bytes remain they are stored at once, also past the last printable one: out needs room
    // for at least as many bytes as remain from in.
    [[gnu::always_inline]] static void CopyPrintable(const Byte*& in, const Byte* end, char*& out) {
#if defined(__SSE2__)
        while (end - in >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
            // Signed compares: the bytes of 0x80 and above are negative.
            const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x1F)),
                                                    _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7F)));
            const unsigned marks = ~static_cast<unsigned>(_mm_movemask_epi8(printable)) & 0xFFFF;
            if (marks != 0) {
                const int taken = std::countr_zero(marks);
                in += taken;
                out += taken;
                return;
            }
            in += 16;
            out += 16;
        }
#endif
        while (end - in >= 8) {
            const uint64_t word = Load8(in);
            std::memcpy(out, &word, sizeof word);
            const uint64_t marks = NotPrintable(word);
            if (marks != 0) {
                const int taken = FirstMarkedByte(marks);
                in += taken;
                out += taken;
                return;
            }
            in += 8;
            out += 8;
        }
        while (in < end && IsPrintable(*in)) *out++ = static_cast<char>(*in++);
    }

    // Copies the bytes below 0x80 from in until a byte of 0x80 or above or the end, storing
    // 16 or eight at once as CopyPrintable does; out needs the same room.
    [[gnu::always_inline]] static void CopyBelow80(const Byte*& in, const Byte* end, char*& out) {
#if defined(__SSE2__)
        while (end - in >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
            const unsigned marks = static_cast<unsigned>(_mm_movemask_epi8(bytes));
            if (marks != 0) {
                const int taken = std::countr_zero(marks);
                in += taken;
                out += taken;
                return;
            }
            in += 16;
            out += 16;
        }
#endif
        while (end - in >= 8 && AllBelow80(Load8(in))) {
            std::memcpy(out, in, 8);
            in += 8;
            out += 8;
        }
        while (in < end && *in < 0x80) *out++ = static_cast<char>(*in++);
    }

    // Converts the bytes below 0x80 at in by the single-byte rules, until a byte of 0x80 or
    // above or the end; out needs room as for CopyPrintable.
    [[gnu::always_inline]] static void CopyAsciiRun(const Byte*& in, const Byte* end, char*& out,
                                                    bool upper) {
        if (upper) {
            while (in < end && *in < 0x80) out = PutSingle(out, *in++, true);
            return;
        }
        while (in < end) {
            CopyPrintable(in, end, out);
            if (in == end || *in >= 0x80) return;
            ++in;  // a control byte or DEL is dropped
        }
    }

    // Shift-JIS of every JIS X 0208 pair by row and cell (0..93 each), laid out in memory as
    // the two bytes to write.
    using JisTable = std::array<uint16_t, 94 * 94>;
    static const JisTable& SjisOfJis();
    static void PutRaw(char*& out, uint16_t bytes) {
        std::memcpy(out, &bytes, sizeof bytes);
        out += 2;
    }

    // JIS X 0208 to Shift-JIS for a pair of 0x21..0x7E, else 0.
    static constexpr uint16_t JisToSjis(Byte j1, Byte j2);
    // Shift-JIS pair to JIS X 0208, or 0 when the pair has no JIS X 0208 form.
    static uint16_t SjisToJis(Byte s1, Byte s2);

    // Appends the UTF-8 form of UTF-16 units, one unit at a time (code page 932 yields no
    // surrogates); out needs room for three bytes a unit.
    static char* PutUtf8(const std::u16string& units, char* out);

private:
    static int FirstMarkedByte(uint64_t marks) {
        if constexpr (std::endian::native == std::endian::little) {
            return std::countr_zero(marks) / 8;
        } else {
            return std::countl_zero(marks) / 8;
        }
    }
    static constexpr JisTable MakeSjisOfJis();
    static constexpr bool EveryJisCodeHasAPair();

    static constexpr uint64_t kOnes = 0x0101010101010101ULL;
    static constexpr uint64_t kHighs = 0x8080808080808080ULL;
};

constexpr uint16_t EncodingBytes::JisToSjis(Byte j1, Byte j2) {
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

constexpr EncodingBytes::JisTable EncodingBytes::MakeSjisOfJis() {
    JisTable table{};
    for (int row = 0; row < 94; ++row) {
        for (int cell = 0; cell < 94; ++cell) {
            const uint16_t sjis =
                JisToSjis(static_cast<Byte>(row + 0x21), static_cast<Byte>(cell + 0x21));
            const uint16_t lead = sjis >> 8;
            const uint16_t trail = sjis & 0xFF;
            table[row * 94 + cell] = std::endian::native == std::endian::little
                                         ? static_cast<uint16_t>((trail << 8) | lead)
                                         : sjis;
        }
    }
    return table;
}

constexpr bool EncodingBytes::EveryJisCodeHasAPair() {
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const uint16_t sjis = JisToSjis(static_cast<Byte>(j1), static_cast<Byte>(j2));
            if (!IsSjisPair(static_cast<Byte>(sjis >> 8), static_cast<Byte>(sjis & 0xFF))) {
                return false;
            }
        }
    }
    return true;
}

inline const EncodingBytes::JisTable& EncodingBytes::SjisOfJis() {
    // The conversions write table entries without checking them.
    static_assert(EveryJisCodeHasAPair());
    static constexpr JisTable table = MakeSjisOfJis();
    return table;
}

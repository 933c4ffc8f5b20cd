#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/EmulatedSystem.h"
#include "encoding/EncodingString.h"
#include "encoding/EncodingTestSupport.h"

// The word-at-a-time and table-driven conversions against a byte-by-byte reading of the same
// rules, over random texts made of the bytes where those rules change: controls, ESC and the
// escape characters, the edges of the ASCII, katakana, EUC-JP and Shift-JIS ranges, and long
// printable runs that cross word boundaries. Single pairs and single katakana come from the
// conversions themselves (the per-code tests check those against iconv); what is compared here
// is how the conversions walk through a text.

namespace {

using Byte = unsigned char;

// The JIS escape sequences after their ESC; the first three switch to double-byte mode.
const std::array<std::string, 7> kEscapes = {"$@", "$B", "$D", "(J", "(B", "(H", "(I"};

class ConversionOracleTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        EmulatedSystemTest::SetUp();
        for (int b = 0xA1; b <= 0xDF; ++b)
            encoding.ConvertSJISToUpper(wide[b], std::string(1, b), 0);
        for (int j1 = 0; j1 < 94; ++j1) {
            for (int j2 = 0; j2 < 94; ++j2) {
                const std::string euc{static_cast<char>(j1 + 0xA1), static_cast<char>(j2 + 0xA1)};
                encoding.ConvertEUC2SJIS(pairs[j1 * 94 + j2], euc, 0);
            }
        }
    }

    static std::string Single(Byte b, bool upper) {
        if (upper && b >= 'a' && b <= 'z') return std::string(1, static_cast<char>(b - 0x20));
        return b >= 0x20 && b <= 0x7E ? std::string(1, static_cast<char>(b)) : "";
    }
    std::string Jis(Byte j1, Byte j2) const {
        const bool inRange = j1 >= 0x21 && j1 <= 0x7E && j2 >= 0x21 && j2 <= 0x7E;
        return inRange ? pairs[(j1 - 0x21) * 94 + (j2 - 0x21)] : "";
    }
    static bool Hankaku(Byte b) { return b >= 0xA1 && b <= 0xDF; }

    // Bytes below 0x80 by the single-byte rules, the others by step(byte, next byte or 0,
    // out), which returns how many bytes it took.
    template <typename Step>
    static std::string Walk(const std::string& in, bool upper, Step step) {
        std::string out;
        for (size_t i = 0; i < in.size();) {
            const Byte x = in[i];
            const Byte y = i + 1 < in.size() ? in[i + 1] : 0;
            if (x < 0x80) {
                out += Single(x, upper);
                i += 1;
            } else {
                i += step(x, y, out);
            }
        }
        return out;
    }

    std::string Euc(const std::string& in, bool upper) const {
        return Walk(in, upper, [this](Byte x, Byte y, std::string& out) -> size_t {
            if (x >= 0xA1 && x <= 0xFE && y >= 0xA1 && y <= 0xFE) {
                out += Jis(x & 0x7F, y & 0x7F);
            } else if (x == 0x8E && Hankaku(y)) {
                out += wide[y];
            } else {
                return 1;
            }
            return 2;
        });
    }

    // A stretch of JIS text in double-byte mode.
    std::string JisPairs(const std::string& in) const {
        std::string out;
        for (size_t i = 0; i < in.size();) {
            const Byte b = in[i];
            if (b == '\r' || b == '\n' || Hankaku(b) || i + 1 == in.size()) {
                if (Hankaku(b)) out += wide[b];
                i += 1;
            } else {
                out += Jis(b, in[i + 1]);
                i += 2;
            }
        }
        return out;
    }

    std::string Iso2022(const std::string& in, bool upper) const {
        // Where the escape sequences are: after an ESC the search resumes two bytes on.
        std::vector<std::pair<size_t, bool>> escapes;  // position, double-byte
        for (size_t pos = in.find('\x1B'); pos != std::string::npos;
             pos = in.find('\x1B', pos + 2)) {
            for (size_t e = 0; e < kEscapes.size() && pos + 2 < in.size(); ++e) {
                if (in.compare(pos + 1, 2, kEscapes[e]) == 0) escapes.emplace_back(pos, e < 3);
            }
        }
        std::string out = in.substr(0, escapes.empty() ? in.size() : escapes[0].first);
        for (size_t k = 0; k < escapes.size(); ++k) {
            const size_t from = escapes[k].first + 3;
            const size_t to = k + 1 < escapes.size() ? escapes[k + 1].first : in.size();
            const std::string stretch = in.substr(from, to - from);
            if (escapes[k].second) {
                out += JisPairs(stretch);
            } else {
                for (const char c : stretch) out += Single(c, upper);
            }
        }
        return out;
    }

    std::string Normalised(const std::string& in, bool upper) const {
        return Walk(in, upper, [this](Byte x, Byte y, std::string& out) -> size_t {
            if (((x >= 0x81 && x <= 0x9F) || (x >= 0xE0 && x <= 0xFC)) && y >= 0x40 && y <= 0xFC) {
                out += static_cast<char>(x);
                out += static_cast<char>(y);
                return 2;
            }
            if (Hankaku(x)) out += wide[x];
            return 1;
        });
    }

    std::string RandomText(std::mt19937& random) {
        static const std::string kEdges = {
            '\0',   '\t',   '\r',   '\n',   0x1B,   '$',    '(',    '@',    'B',    'D',    'J',
            'H',    'I',    ' ',    '!',    'a',    'z',    '~',    0x7F,   '\x80', '\x81', '\x8E',
            '\x8F', '\x9F', '\xA0', '\xA1', '\xB0', '\xDF', '\xE0', '\xFC', '\xFE', '\xFF'};
        std::string text;
        const int parts = static_cast<int>(random() % 12);
        for (int p = 0; p < parts; ++p) {
            const unsigned kind = random() % 5;
            if (kind == 4) {
                text += "\x1B" + kEscapes[random() % kEscapes.size()];
                continue;
            }
            const int length = static_cast<int>(random() % (kind == 0 ? 24 : 4)) + 1;
            for (int i = 0; i < length; ++i) {
                if (kind == 0) {
                    text += static_cast<char>(0x20 + random() % 0x5F);  // printable runs
                } else if (kind == 1) {
                    text += static_cast<char>(random() % 256);
                } else {
                    text += kEdges[random() % kEdges.size()];
                }
            }
        }
        return text;
    }

    EncodingString encoding;
    std::array<std::string, 256> wide;
    std::array<std::string, 94 * 94> pairs;
};

TEST_F(ConversionOracleTest, ConversionsToShiftJisWalkTextsLikeTheByteByByteRules) {
    std::mt19937 random(20260101);
    std::string out;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomText(random);
        const int flag = round % 2;
        encoding.ConvertEUC2SJIS(out, text, flag);
        ASSERT_EQ(Hex(out), Hex(Euc(text, flag))) << Hex(text) << " flag " << flag;
        encoding.ConvertJIS2SJIS(out, text, flag);
        ASSERT_EQ(Hex(out), Hex(Iso2022(text, flag))) << Hex(text) << " flag " << flag;
        encoding.ConvertSJISToUpper(out, text, flag);
        ASSERT_EQ(Hex(out), Hex(Normalised(text, flag))) << Hex(text) << " flag " << flag;
    }
}

}  // namespace

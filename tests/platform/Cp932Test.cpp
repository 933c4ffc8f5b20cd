#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/EmulatedSystem.h"
#include "platform/Cp932.h"

using platform::Cp932;

namespace {

std::string Hex(std::string_view bytes) {
    std::string out;
    char buffer[4];
    for (const unsigned char byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X", byte);
        out += buffer;
    }
    return out;
}

std::string Hex(std::u16string_view units) {
    std::string out;
    char buffer[8];
    for (const char16_t unit : units) {
        std::snprintf(buffer, sizeof buffer, "%sU+%04X", out.empty() ? "" : ".",
                      static_cast<unsigned>(unit));
        out += buffer;
    }
    return out;
}

std::string Byte(int byte) {
    return std::string(1, static_cast<char>(byte));
}
std::string Pair(int lead, int trail) {
    return Byte(lead) + Byte(trail);
}

// glibc's CP932 converter, as a second opinion on every code.
class GlibcCp932 {
public:
    GlibcCp932()
        : decoder_(iconv_open("UTF-16LE", "CP932")), encoder_(iconv_open("CP932", "UTF-16LE")) {}
    ~GlibcCp932() {
        if (Ready()) iconv_close(decoder_), iconv_close(encoder_);
    }
    bool Ready() const { return decoder_ != kFailed && encoder_ != kFailed; }

    // The units of bytes, or nothing when glibc refuses them (invalid or incomplete).
    std::optional<std::u16string> Decode(const std::string& bytes) {
        const std::optional<std::string> raw = Run(decoder_, bytes);
        if (!raw) return std::nullopt;
        std::u16string units;
        for (size_t i = 0; i + 1 < raw->size(); i += 2) {
            units += static_cast<char16_t>(static_cast<unsigned char>((*raw)[i]) |
                                           static_cast<unsigned char>((*raw)[i + 1]) << 8);
        }
        return units;
    }

    // The bytes of one unit, or nothing when glibc has no code for it.
    std::optional<std::string> Encode(char16_t unit) {
        const char raw[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        return Run(encoder_, std::string(raw, 2));
    }

private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);

    static std::optional<std::string> Run(iconv_t converter, const std::string& in) {
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* input = const_cast<char*>(in.data());
        size_t inputLeft = in.size();
        char* output = buffer;
        size_t outputLeft = sizeof buffer;
        if (iconv(converter, &input, &inputLeft, &output, &outputLeft) == static_cast<size_t>(-1) ||
            iconv(converter, nullptr, nullptr, &output, &outputLeft) == static_cast<size_t>(-1)) {
            return std::nullopt;
        }
        return std::string(buffer, output);
    }

    iconv_t decoder_;
    iconv_t encoder_;
};

// --- byte classes and character steps ---------------------------------------------------------

TEST(Cp932Test, ByteClassesAgreeWithGlibc) {
    GlibcCp932 glibc;
    ASSERT_TRUE(glibc.Ready());
    // A lead byte is one that glibc finds incomplete alone; a trail byte completes some pair.
    std::vector<bool> trail(256, false);
    for (int lead = 0; lead < 256; ++lead) {
        const bool incomplete = !glibc.Decode(Byte(lead)) && Cp932::ToUtf16(Byte(lead)) == u"・";
        EXPECT_EQ(Cp932::IsLeadByte(lead), incomplete) << Hex(Byte(lead));
        if (!Cp932::IsLeadByte(lead)) continue;
        for (int byte = 0; byte < 256; ++byte) {
            if (glibc.Decode(Pair(lead, byte))) trail[byte] = true;
        }
    }
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(Cp932::IsTrailByte(byte), trail[byte]) << Hex(Byte(byte));
    }
}

TEST(Cp932Test, CharLengthStepsOverPairsOnly) {
    const std::string table = Cp932::FromUtf8("表");  // 0x95 0x5C: its trail is a backslash
    ASSERT_EQ(table, "\x95\x5C");
    const std::string text = "a" + table + "\\";
    EXPECT_EQ(Cp932::CharLength(text, 0), 1u);
    EXPECT_EQ(Cp932::CharLength(text, 1), 2u);
    EXPECT_EQ(Cp932::CharLength(text, 3), 1u);
    EXPECT_EQ(Cp932::CharLength(text, 4), 0u);
    EXPECT_EQ(Cp932::CharLength(text, 99), 0u);
    // A lead byte at the end of the text, or before a byte that cannot trail, stands alone.
    EXPECT_EQ(Cp932::CharLength("a\x95", 1), 1u);
    EXPECT_EQ(Cp932::CharLength("\x95\n", 0), 1u);
    EXPECT_EQ(Cp932::CharLength("\x95\x7F", 0), 1u);
    EXPECT_EQ(Cp932::CharLength("\xA1\x40", 0), 1u);  // half-width katakana is one byte
    EXPECT_EQ(Cp932::CharLength("", 0), 0u);
}

// --- decoding and encoding of whole texts -------------------------------------------------------

TEST(Cp932Test, DecodesTextsAsWindowsDoes) {
    EXPECT_EQ(Cp932::ToUtf16(""), u"");
    EXPECT_EQ(Cp932::ToUtf16(Cp932::FromUtf8("A表ｱ\tソ\n")), u"A表ｱ\tソ\n");
    // A lead byte takes whatever follows it: an invalid pair is one "・", a line feed included.
    EXPECT_EQ(Cp932::ToUtf16("\x81\nx"), u"・x");
    EXPECT_EQ(Cp932::ToUtf16(std::string("\x81\0x", 3)), std::u16string(u"・\0x", 3));
    // A lead byte at the end is "・" on its own, after anything.
    EXPECT_EQ(Cp932::ToUtf16("ab\x88"), u"ab・");
    EXPECT_EQ(Cp932::ToUtf16("\x88\x9F\x88"), u"亜・");
    EXPECT_EQ(Cp932::ToUtf16("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");

    std::u16string out = u"kept";
    Cp932::AppendUtf16("\x82\xA0", out);
    EXPECT_EQ(out, u"keptあ");
}

TEST(Cp932Test, EncodesTextsAsWindowsDoes) {
    EXPECT_EQ(Cp932::FromUtf16(u""), "");
    EXPECT_EQ(Cp932::FromUtf16(u"A亜ｱ\t\n"), "A\x88\x9F\xB1\t\n");
    // Best fit where Windows has one, the default character where it has none.
    EXPECT_EQ(Cp932::FromUtf16(u"é¥\u2014\u4E02"), "e\\??");
    // Surrogates (paired or alone) have no code: one default character per unit.
    EXPECT_EQ(Cp932::FromUtf16(u"a\U0001F600b\xD800"), "a??b?");
    EXPECT_EQ(Cp932::FromUtf16(std::u16string(1, u'\0')), std::string(1, '\0'));

    std::string out = "kept";
    Cp932::AppendSjis(u"あ", out);
    EXPECT_EQ(out, "kept\x82\xA0");
}

// --- the measured reference ---------------------------------------------------------------------

std::u16string ParseUnits(const std::string& field) {
    std::u16string units;
    std::istringstream parts(field);
    std::string unit;
    while (std::getline(parts, unit, '.')) {
        units += static_cast<char16_t>(std::stoul(unit.substr(2), nullptr, 16));
    }
    return units;
}

std::string ParseBytes(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

TEST(Cp932Test, MatchesEveryMeasuredConversion) {
    SKIP_WITHOUT_SHARED();
    const std::string path = SharedDir() + "/reference/cp932-windows.txt.gz";
    std::unique_ptr<FILE, PipeCloser> pipe(popen(("gzip -dc '" + path + "'").c_str(), "r"));
    ASSERT_TRUE(pipe);
    size_t decodeLines = 0;
    size_t encodeLines = 0;
    char line[128];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::istringstream fields(line);
        std::string kind, input, strict, lenient;
        fields >> kind >> input >> strict >> lenient;
        if (kind == "D") {
            ++decodeLines;
            const std::string bytes = ParseBytes(input);
            EXPECT_EQ(Hex(Cp932::ToUtf16(bytes)), Hex(ParseUnits(lenient))) << line;
        } else if (kind == "E") {
            ++encodeLines;
            const auto unit = static_cast<char16_t>(std::stoul(input.substr(2), nullptr, 16));
            const std::string expected = lenient == "3F*" ? "?" : ParseBytes(lenient);
            EXPECT_EQ(Hex(Cp932::FromUtf16(std::u16string(1, unit))), Hex(expected)) << line;
            // A code that Windows gives without best fit must decode back to the character.
            if (strict != "ERR") {
                EXPECT_EQ(Cp932::ToUtf16(ParseBytes(strict)), std::u16string(1, unit)) << line;
            }
        } else {
            ADD_FAILURE() << "unexpected line " << line;
        }
    }
    EXPECT_EQ(decodeLines, 256u + 60u * 256u);
    EXPECT_EQ(encodeLines, 0x10000u - 0x800u);  // every BMP unit but the surrogates
}

// --- comparison with glibc's CP932 --------------------------------------------------------------

// Where glibc's CP932 decodes a byte otherwise. Windows' conversion is the authority.
struct DecodeDifference {
    int byte;
    char16_t windows;
    const char* reason;
};
const DecodeDifference kDecodeDifferences[] = {
    {0x80, 0x0080, "Windows maps 0x80 to U+0080 both ways; glibc has no code for it"},
    {0xA0, 0xF8F0, "Windows decodes unassigned 0xA0 to private use U+F8F0; glibc refuses it"},
    {0xFD, 0xF8F1, "Windows decodes unassigned 0xFD to private use U+F8F1; glibc refuses it"},
    {0xFE, 0xF8F2, "Windows decodes unassigned 0xFE to private use U+F8F2; glibc refuses it"},
    {0xFF, 0xF8F3, "Windows decodes unassigned 0xFF to private use U+F8F3; glibc refuses it"},
};

TEST(Cp932Test, DecodesEveryByteAndPairAsGlibcSaveListedDifferences) {
    GlibcCp932 glibc;
    ASSERT_TRUE(glibc.Ready());
    std::map<int, const DecodeDifference*> listed;
    for (const DecodeDifference& difference : kDecodeDifferences) {
        listed[difference.byte] = &difference;
    }
    for (int byte = 0; byte < 256; ++byte) {
        const std::u16string ours = Cp932::ToUtf16(Byte(byte));
        const std::optional<std::u16string> theirs = glibc.Decode(Byte(byte));
        if (listed.count(byte)) {
            EXPECT_EQ(ours, std::u16string(1, listed[byte]->windows)) << listed[byte]->reason;
            EXPECT_FALSE(theirs) << listed[byte]->reason;
        } else if (Cp932::IsLeadByte(byte)) {
            // glibc waits for the trail byte; Windows gives "・" for a lead byte at the end.
            EXPECT_FALSE(theirs) << Hex(Byte(byte));
            EXPECT_EQ(ours, u"・") << Hex(Byte(byte));
        } else {
            EXPECT_EQ(theirs, ours) << Hex(Byte(byte));
        }
    }
    size_t validPairs = 0;
    for (int lead = 0; lead < 256; ++lead) {
        if (!Cp932::IsLeadByte(lead)) continue;
        for (int trail = 0; trail < 256; ++trail) {
            const std::string pair = Pair(lead, trail);
            const std::u16string ours = Cp932::ToUtf16(pair);
            const std::optional<std::u16string> theirs = glibc.Decode(pair);
            if (theirs) {
                ++validPairs;
                EXPECT_EQ(Hex(ours), Hex(*theirs)) << Hex(pair);
                continue;
            }
            // glibc refuses an invalid pair; Windows makes it one "・", and keeps a zero byte.
            const std::u16string windows = trail == 0 ? std::u16string(u"・\0", 2) : u"・";
            EXPECT_EQ(Hex(ours), Hex(windows)) << Hex(pair);
        }
    }
    EXPECT_EQ(validPairs, 9604u);
}

// Where glibc's CP932 encodes a character otherwise than Windows does without best fit.
struct EncodeDifference {
    char16_t unit;
    const char* windows;  // bytes with best fit ("?" for the default character)
    const char* glibc;    // nullptr: glibc has no code
    const char* reason;
};
const EncodeDifference kEncodeDifferences[] = {
    {0x0080, "\x80", nullptr, "Windows maps U+0080 to 0x80 both ways; glibc has no code"},
    {0xF8F0, "\xA0", nullptr, "Windows maps private use U+F8F0 back to 0xA0; glibc has no code"},
    {0xF8F1, "\xFD", nullptr, "Windows maps private use U+F8F1 back to 0xFD; glibc has no code"},
    {0xF8F2, "\xFE", nullptr, "Windows maps private use U+F8F2 back to 0xFE; glibc has no code"},
    {0xF8F3, "\xFF", nullptr, "Windows maps private use U+F8F3 back to 0xFF; glibc has no code"},
    {0x00A2, "\x81\x91", "\x81\x91", "cent sign: only a best fit in Windows (0x8191 is U+FFE0)"},
    {0x00A3, "\x81\x92", "\x81\x92", "pound sign: only a best fit in Windows (0x8192 is U+FFE1)"},
    {0x00A5, "\x5C", "\x5C", "yen sign: only a best fit in Windows (0x5C is the backslash)"},
    {0x00AC, "\x81\xCA", "\x81\xCA", "not sign: only a best fit in Windows (0x81CA is U+FFE2)"},
    {0x2014, "?", "\x81\x5C", "em dash: Windows has 0x815C as U+2015 and no code for U+2014"},
    {0x2016, "?", "\x81\x61", "double vertical line: Windows has 0x8161 as U+2225 only"},
    {0x203E, "?", "\x7E", "overline: Windows has 0x7E as the tilde only"},
    {0x2212, "?", "\x81\x7C", "minus sign: Windows has 0x817C as U+FF0D only"},
    {0x301C, "?", "\x81\x60", "wave dash: Windows has 0x8160 as U+FF5E only"},
};

TEST(Cp932Test, EncodesEveryCharacterAsGlibcSaveListedDifferences) {
    GlibcCp932 glibc;
    ASSERT_TRUE(glibc.Ready());
    std::map<char16_t, const EncodeDifference*> listed;
    for (const EncodeDifference& difference : kEncodeDifferences) {
        listed[difference.unit] = &difference;
    }
    size_t bestFits = 0;
    for (char32_t code = 0; code < 0x10000; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;  // glibc refuses a surrogate alone
        const auto unit = static_cast<char16_t>(code);
        const std::string ours = Cp932::FromUtf16(std::u16string(1, unit));
        const std::optional<std::string> theirs = glibc.Encode(unit);
        if (listed.count(unit)) {
            const EncodeDifference& difference = *listed[unit];
            EXPECT_EQ(Hex(ours), Hex(difference.windows)) << difference.reason;
            EXPECT_EQ(theirs, difference.glibc ? std::optional<std::string>(difference.glibc)
                                               : std::nullopt)
                << difference.reason;
        } else if (theirs) {
            EXPECT_EQ(Hex(ours), Hex(*theirs)) << Hex(std::u16string(1, unit));
        } else if (ours != "?") {
            // A best fit, which glibc lacks: a code of another character, never a round trip.
            ++bestFits;
            EXPECT_NE(Cp932::ToUtf16(ours), std::u16string(1, unit))
                << Hex(std::u16string(1, unit));
        }
    }
    EXPECT_EQ(bestFits, 79u);
}

// --- katakana and literal helpers ---------------------------------------------------------------

TEST(Cp932Test, WidensEachHalfWidthKatakanaAlone) {
    const std::u16string full =
        u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
        u"ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
    ASSERT_EQ(full.size(), 63u);
    for (int byte = 0xA1; byte <= 0xDF; ++byte) {
        const std::string wide = Cp932::WidenKatakana(byte);
        ASSERT_EQ(wide.size(), 2u) << Hex(Byte(byte));
        EXPECT_EQ(Cp932::ToUtf16(wide), full.substr(byte - 0xA1, 1)) << Hex(Byte(byte));
    }
    EXPECT_EQ(Cp932::WidenKatakana(0xDE), "\x81\x4A");
    EXPECT_EQ(Cp932::WidenKatakana(0xDF), "\x81\x4B");
    for (const int byte : {0x00, 0x41, 0x80, 0xA0, 0xE0, 0xFF}) {
        EXPECT_EQ(Cp932::WidenKatakana(byte), "") << Hex(Byte(byte));
    }
}

TEST(Cp932Test, LiteralHelpersKeepEveryCharacter) {
    const std::string text = "表\tソ 能\n予十\\ｶﾞ漢字かな、ABC\r\n";
    const std::string sjis = Cp932::FromUtf8(text);
    EXPECT_EQ(Hex(sjis.substr(0, 6)), "955C09835C20");  // 表, tab, ソ, space
    EXPECT_EQ(Cp932::ToUtf8(sjis), text);
    EXPECT_EQ(Cp932::FromUtf8("plain ASCII\x7F"), "plain ASCII\x7F");
    EXPECT_EQ(Cp932::ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp932Test, LiteralHelpersReplaceWhatHasNoCode) {
    // Malformed UTF-8: stray continuation, truncated, overlong, encoded surrogate, bad lead.
    EXPECT_EQ(Cp932::FromUtf8("a\x80z"), "a?z");
    EXPECT_EQ(Cp932::FromUtf8("a\xE3\x81"), "a??");
    EXPECT_EQ(Cp932::FromUtf8("\xC0\xAF"), "??");
    EXPECT_EQ(Cp932::FromUtf8("\xED\xA0\x80"), "???");
    EXPECT_EQ(Cp932::FromUtf8("\xFF\xF8"), "??");
    EXPECT_EQ(Cp932::FromUtf8("\xE3\x81x"), "??x");
    // Beyond U+FFFF: one default character for the whole sequence.
    EXPECT_EQ(Cp932::FromUtf8("a😀b"), "a?b");
    // Shift-JIS that decodes to "・" or private use stays valid UTF-8.
    EXPECT_EQ(Cp932::ToUtf8("\x81\x0A\xFF"), "・\uF8F3");
}

}  // namespace

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "encoding/EncodingString.h"
#include "encoding/EncodingTestSupport.h"
#include "platform/Cp932.h"
#include "support/Log.h"
#include "support/QuitRequest.h"

namespace {

using platform::Cp932;

// A bookmark title touching every kind of character: kanji (three ending in the byte 0x5C),
// hiragana, katakana, full-width symbols, ASCII with backslash and tilde, an NEC extension
// character and two IBM extension characters.
const char* const kTitle =
    "表示・ソフト予約の十能力「ブックマーク」です ~\\ (①ⅰ髙) tools/index.html";

// The UTF-8 form of UTF-16 units, unit by unit, as the conversion to UTF-8 writes it.
std::string UnitsToUtf8(const std::u16string& units) {
    std::string utf8;
    for (const char16_t unit : units) {
        if (unit < 0x80) {
            utf8 += static_cast<char>(unit);
        } else if (unit < 0x800) {
            utf8 += static_cast<char>(0xC0 | (unit >> 6));
            utf8 += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (unit >> 12));
            utf8 += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return utf8;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values) bytes += static_cast<char>(v);
    return bytes;
}

class EncodingStringTest : public EmulatedSystemTest {
protected:
    std::string Upper(const std::string& in, int flag = 0) {
        std::string out = "stale";
        encoding.ConvertSJISToUpper(out, in, flag);
        return out;
    }
    std::string ToUtf8(const std::string& in) {
        std::string out = "stale";
        encoding.ConvertSJIS2UTF8(out, in, 0);
        return out;
    }
    std::string FromUtf8(const std::string& in) {
        std::string out = "stale";
        encoding.ConvertUTF82SJIS(out, in, 0);
        return out;
    }
    std::string FromEuc(const std::string& in, int flag = 0) {
        std::string out = "stale";
        encoding.ConvertEUC2SJIS(out, in, flag);
        return out;
    }
    std::string FromJis(const std::string& in, int flag = 0) {
        std::string out = "stale";
        encoding.ConvertJIS2SJIS(out, in, flag);
        return out;
    }
    std::string ToEuc(const std::string& in, int flag = 0) {
        std::string out = "stale";
        encoding.ConvertSJIS2EUC(out, in, flag);
        return out;
    }
    std::string Log() { return system.ReadFile("C:\\Pennawick\\LogTue.log"); }

    EncodingString encoding;
};

TEST_F(EncodingStringTest, NormalisationKeepsPairsWidensKanaAndDropsControls) {
    const std::string title = Sjis(kTitle);
    EXPECT_EQ(Upper(title), title);
    // Half-width katakana become full-width one by one; sound marks stay separate characters.
    EXPECT_EQ(Utf8(Upper(Sjis("ｶﾞｲﾄﾞﾌﾞｯｸ ｰ ｡｢｣"))), "カ゛イト゛フ゛ック ー 。「」");
    EXPECT_EQ(Upper(Sjis("a\tb\r\nc\x7F") + "\x01"), "abc");
    // Stray bytes (0x80, 0xA0, 0xFD-0xFF, a lead byte with no trail) are dropped.
    EXPECT_EQ(Upper(Bytes({'a', 0x80, 0xA0, 0xFD, 0xFF, 'b', 0x88})), "ab");
    EXPECT_EQ(Upper(Bytes({0x88, 0x1F, 'x'})), "x");
    // A lead byte takes 0x7F as its trail.
    EXPECT_EQ(Upper(Bytes({0x88, 0x7F})), Bytes({0x88, 0x7F}));
    EXPECT_EQ(Upper(""), "");
}

TEST_F(EncodingStringTest, NormalisationUpperCasesOnlyAsciiLettersWithTheFlag) {
    EXPECT_EQ(Utf8(Upper(Sjis("http://ａｂ.example/表a"), 1)), "HTTP://ａｂ.EXAMPLE/表A");
    EXPECT_EQ(Utf8(Upper(Sjis("http://ａｂ.example/表a"), 0)), "http://ａｂ.example/表a");
    // A long ASCII run with a control byte in the middle is not copied blindly.
    EXPECT_EQ(Upper("abcdefgh\tijklmnopqrstuvwxyz"), "abcdefghijklmnopqrstuvwxyz");
}

TEST_F(EncodingStringTest, ConversionsAcceptTheSameStringAsInputAndOutput) {
    std::string text = Sjis("ｶﾀｶﾅ\tです");
    encoding.ConvertSJISToUpper(text, text, 0);
    EXPECT_EQ(Utf8(text), "カタカナです");
    encoding.ConvertSJIS2UTF8(text, text, 0);
    EXPECT_EQ(text, "カタカナです");
    encoding.ConvertUTF82SJIS(text, text, 0);
    EXPECT_EQ(Utf8(text), "カタカナです");
}

TEST_F(EncodingStringTest, ShiftJisToUtf8MatchesThePlatformOnEveryKindOfByte) {
    EXPECT_EQ(ToUtf8(Sjis(kTitle)), kTitle);
    EXPECT_EQ(ToUtf8("http://example.com/a\\b~c\t\r\n"), "http://example.com/a\\b~c\t\r\n");
    EXPECT_EQ(ToUtf8(Sjis("ｱ")), "ｱ");
    EXPECT_EQ(ToUtf8(""), "");
    EXPECT_EQ(ToUtf8(Sjis("日本")).size(), 6u);

    // Random bytes, biased to lead bytes so that odd pairs and lone leads are common: the
    // table-driven conversion must give exactly the platform's units.
    std::mt19937 random(4242);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 64);
        for (int i = 0; i < length; ++i) {
            const unsigned pick = random() % 4;
            text += static_cast<char>(pick == 0 ? 0x81 + random() % 0x1F : random() % 256);
        }
        ASSERT_EQ(ToUtf8(text), UnitsToUtf8(Cp932::ToUtf16(text))) << Hex(text);
    }
}

TEST_F(EncodingStringTest, Utf8ToShiftJisConvertsAndNormalises) {
    EXPECT_EQ(FromUtf8(kTitle), Sjis(kTitle));
    EXPECT_EQ(Utf8(FromUtf8("ｶﾞｲﾄﾞ\tBook\r\n")), "カ゛イト゛Book");
    EXPECT_EQ(FromUtf8(""), "");
    // A character beyond U+FFFF becomes '?' and the rest still converts; 0xFE and 0xFF,
    // which are no UTF-8 at all, are dropped.
    EXPECT_EQ(Utf8(FromUtf8("絵\xF0\x9F\x93\x96文字\xFE!")), "絵?文字!");
}

TEST_F(EncodingStringTest, Utf8ToShiftJisStopsAtTheFirstMalformedByte) {
    EXPECT_EQ(Utf8(FromUtf8("日本\x80語")), "日本");
    EXPECT_EQ(Utf8(FromUtf8("日本\xE8\xAA")), "日本");  // cut short at the end
    EXPECT_EQ(Utf8(FromUtf8("日本\xE8"
                            "A語")),
              "日本");  // bad continuation byte
    EXPECT_EQ(Utf8(FromUtf8("abc\xC3")), "abc");
}

TEST_F(EncodingStringTest, Utf8ToShiftJisMatchesThePlatformForEveryBmpCharacter) {
    std::string utf8;
    std::string expected;
    for (int unit = 0x80; unit < 0x10000; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        utf8 += UnitsToUtf8(one);
        expected += Upper(Cp932::FromUtf16(one));
    }
    EXPECT_EQ(FromUtf8(utf8), expected);
}

TEST_F(EncodingStringTest, EucJpToShiftJis) {
    const std::string title = Sjis("表示・ソフト予約の十能力「ブックマーク」です ~\\ index.html");
    const std::string euc = Iconv("CP932", "EUC-JP", title);
    EXPECT_EQ(FromEuc(euc), title) << Hex(euc);
    // EUC-JP katakana (0x8E lead) widens; the three-byte form loses its 0x8F lead and the two
    // bytes after it are read as an ordinary pair.
    EXPECT_EQ(Utf8(FromEuc(Bytes({0x8E, 0xB1, 0x8E, 0xDE, 'a'}))), "ア゛a");
    EXPECT_EQ(FromEuc(Bytes({0x8F, 0xB0, 0xA1})), Sjis("亜"));
    EXPECT_EQ(FromEuc(Bytes({'a', '\t', 0xB0, 'b', 0xFF}), 1), "AB");
}

TEST_F(EncodingStringTest, EveryJisX0208CodeMapsLikeIconvAndBack) {
    int checked = 0;
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::string euc = Bytes({j1 | 0x80, j2 | 0x80});
            const std::string sjis = FromEuc(euc);
            ASSERT_EQ(sjis.size(), 2u) << Hex(euc);
            ASSERT_EQ(ToEuc(sjis), euc) << Hex(sjis);
            const std::string oracle = Iconv("EUC-JP", "CP932", euc);
            if (oracle.size() != 2) continue;  // a code iconv leaves undefined
            ASSERT_EQ(Hex(sjis), Hex(oracle)) << Hex(euc);
            ++checked;
        }
    }
    EXPECT_GT(checked, 6800);
}

TEST_F(EncodingStringTest, JisToShiftJis) {
    const std::string title = Sjis("表示・ソフト予約の十能力「ブックマーク」です ~\\ index.html");
    const std::string jis = Iconv("CP932", "ISO-2022-JP", title);
    EXPECT_EQ(FromJis(jis), title) << Hex(jis);

    EXPECT_EQ(FromJis("\x1B$BF|K\\\x1B(B.html"), Sjis("日本.html"));
    // Text without escapes passes unchanged, tabs included; text before the first escape too.
    EXPECT_EQ(FromJis("plain\ttext"), "plain\ttext");
    EXPECT_EQ(FromJis("a\tb\x1B$BF|\x1B(Bc\td"), Sjis("a\tb日cd"));
    // Double-byte mode skips line ends, widens 8-bit katakana and drops half a pair.
    EXPECT_EQ(FromJis("\x1B$BF|\r\nK\\\xB1"
                      "F\x1B(B!"),
              Sjis("日本ア!"));
    // After ESC (I the bytes are read as ASCII; upper-casing applies in single-byte mode.
    EXPECT_EQ(FromJis("\x1B(I12\x1B(Jab", 1), "12AB");
    // After an ESC that opens no sequence the search resumes two bytes on.
    EXPECT_EQ(FromJis("\x1B\x1B$BF|"), "\x1B\x1B$BF|");
}

TEST_F(EncodingStringTest, ShiftJisToEucJpAndItsPercentEncoding) {
    const std::string title = Sjis("表示・ソフト予約の十能力「ブックマーク」です ~\\ index.html");
    EXPECT_EQ(ToEuc(title), Iconv("CP932", "EUC-JP", title));
    EXPECT_EQ(ToEuc(Sjis("ｱ①ⅰ漢")), Bytes({0x8E, 0xB1, 0xAD, 0xA1, 0xB4, 0xC1}));
    EXPECT_EQ(ToEuc("a\tb", 1), "AB");
    EXPECT_EQ(encoding.EncodeURLEUC(Sjis("日本 a/ｱ")), "%C6%FC%CB%DC a/%8E%B1");
}

TEST_F(EncodingStringTest, HalfWidthKanaTestSkipsTrailBytes) {
    EXPECT_TRUE(encoding.HasHankakuKana(Sjis("漢字ｶﾅ")));
    EXPECT_FALSE(encoding.HasHankakuKana(Sjis("漢検")));  // trail bytes 0xBF and 0x9F
    EXPECT_FALSE(encoding.HasHankakuKana("abc"));
}

TEST_F(EncodingStringTest, ConvertDispatchesByCode) {
    std::string out;
    EXPECT_EQ(encoding.Convert(103, out, Sjis("日本 abc"), 0), 1);
    EXPECT_EQ(out, "日本 abc");
    encoding.Convert(102, out, "日本\tabc", 1);
    EXPECT_EQ(Utf8(out), "日本abc");
    encoding.Convert(100, out, "\x1B$BF|\x1B(B\tx", 1);
    EXPECT_EQ(Utf8(out), "日x");
    encoding.Convert(101, out, Bytes({0xC6, 0xFC, 'a'}), 1);
    EXPECT_EQ(Utf8(out), "日A");
    encoding.Convert(105, out, Bytes({0xC6, 0xFC, 'a'}), 1);
    EXPECT_EQ(Utf8(out), "日A");
    // Any other code normalises without upper-casing.
    EXPECT_EQ(encoding.Convert(7, out, Sjis("ｱ\ta"), 1), 1);
    EXPECT_EQ(Utf8(out), "アa");
}

TEST_F(EncodingStringTest, Base64Encode) {
    EXPECT_EQ(encoding.EncodeBase64(""), "");
    EXPECT_EQ(encoding.EncodeBase64("f"), "Zg==");
    EXPECT_EQ(encoding.EncodeBase64("fo"), "Zm8=");
    EXPECT_EQ(encoding.EncodeBase64("foo"), "Zm9v");
    EXPECT_EQ(encoding.EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(encoding.EncodeBase64("user:pass"), "dXNlcjpwYXNz");
    // High bytes in each position of a group.
    EXPECT_EQ(encoding.EncodeBase64(Bytes({0xFF, 0xFE, 0xFD})), "//79");
    EXPECT_EQ(encoding.EncodeBase64(Bytes({'a', 0x80, 'b', 0xFB, 0xFF})), "YYBi+/8=");
    EXPECT_EQ(encoding.EncodeBase64(Sjis("日本")), "k/qWew==");
}

TEST_F(EncodingStringTest, Base64DecodeRoundTripsText) {
    for (const std::string& text :
         {std::string(), std::string("f"), std::string("fo"), std::string("foo"), Sjis(kTitle),
          Bytes({0xFF, 0x80, 0x01}), std::string("pass word:~\\")}) {
        EXPECT_EQ(encoding.DecodeBase64(encoding.EncodeBase64(text)), text) << Hex(text);
    }
}

TEST_F(EncodingStringTest, Base64DecodeStopsAtTheFirstGroupThatIsNotWellFormed) {
    EXPECT_EQ(encoding.DecodeBase64("YWJjYQ=="), "abca");
    EXPECT_EQ(encoding.DecodeBase64("YWJjYWI="), "abcab");
    EXPECT_EQ(encoding.DecodeBase64("YQ==YWJj"), "");
    EXPECT_EQ(encoding.DecodeBase64("YWJjYQ"), "abc");
    EXPECT_EQ(encoding.DecodeBase64("YWJjA==="), "abc");
    EXPECT_EQ(encoding.DecodeBase64("YWJjAB=C"), "abc");
    EXPECT_EQ(encoding.DecodeBase64("YWJj YWJj"), "abc");
    EXPECT_EQ(encoding.DecodeBase64("YWJj\r\nYWJj"), "abc");
    EXPECT_EQ(encoding.DecodeBase64("===="), "");
    EXPECT_EQ(encoding.DecodeBase64("Y"), "");
    // The result is text: a zero byte ends it.
    EXPECT_EQ(encoding.DecodeBase64("YQBi"), "a");
}

TEST_F(EncodingStringTest, ThresholdFollowsTheAutoConversionLevel) {
    const int saved = EncodingString::GetEUCThreshold();
    const int expected[] = {1, 3, 8, 20, 0};
    for (int level = 0; level < 5; ++level) {
        EncodingString::SetAutoConvertLevel(level);
        EXPECT_EQ(EncodingString::GetEUCThreshold(), expected[level]);
    }
    EncodingString::SetAutoConvertLevel(5);
    EncodingString::SetAutoConvertLevel(-1);
    EXPECT_EQ(EncodingString::GetEUCThreshold(), 0);
    EncodingString::SetEUCThreshold(saved);
}

TEST_F(EncodingStringTest, FailedAllocationToUtf8IsFatal) {
    SetLogLevel(LOG_E);
    ScriptedUserPrompt prompt;
    std::string out = "stale";
    EncodingString::FailNextReservation();
    encoding.ConvertSJIS2UTF8(out, Sjis("日本"), 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "EncodingString::ConvertSJIS2UTF8");
    EXPECT_TRUE(QuitRequest::IsRaised());
    EXPECT_NE(Log().find("EncodingString::ConvertSJIS2UTF8 heap get error[16]"), std::string::npos);

    QuitRequest::Clear();
    EncodingString::FailNextReservation();
    encoding.ConvertUTF82SJIS(out, "日本", 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[1].text, "EncodingString::ConvertUTF8ToSJIS");
    EXPECT_TRUE(QuitRequest::IsRaised());

    // The seam fires once: the next conversion works.
    encoding.ConvertSJIS2UTF8(out, Sjis("日本"), 0);
    EXPECT_EQ(out, "日本");
}

TEST_F(EncodingStringTest, FailedAllocationElsewhereIsLoggedAndLeavesTheOutputEmpty) {
    SetLogLevel(LOG_E);
    ScriptedUserPrompt prompt;
    std::string out;
    EncodingString::FailNextReservation();
    encoding.ConvertSJISToUpper(out, "abc", 0);
    EXPECT_EQ(out, "");
    EncodingString::FailNextReservation();
    encoding.ConvertEUC2SJIS(out, "abc", 0);
    EncodingString::FailNextReservation();
    encoding.ConvertJIS2SJIS(out, "\x1B$B", 0);
    EncodingString::FailNextReservation();
    encoding.ConvertSJIS2EUC(out, "abcd", 0);
    EXPECT_EQ(out, "");
    const std::string log = Log();
    EXPECT_NE(log.find("EncodingString::ConvertSJISToUpper heap get error[6]"), std::string::npos);
    EXPECT_NE(log.find("EncodingString::ConvertEUC2SJIS heap get error[3]"), std::string::npos);
    EXPECT_NE(log.find("EncodingString::ConvertJIS2SJIS heap get error[6]"), std::string::npos);
    EXPECT_NE(log.find("EncodingString::ConvertSJIS2EUC heap get error[8]"), std::string::npos);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_FALSE(QuitRequest::IsRaised());
}

}  // namespace

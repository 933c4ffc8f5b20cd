#include <gtest/gtest.h>

#include <string>

#include "common/EmulatedSystem.h"
#include "encoding/EncodingString.h"
#include "encoding/EncodingTestSupport.h"
#include "support/Log.h"

namespace {

const std::string kUrlLine =
    "<DT><A HREF=\"http://www.example.co.jp/search/index.cgi?q=bookmark&lang=ja\" "
    "ADD_DATE=\"1034567890\" LAST_VISIT=\"1034567890\">";

class EncodingDetectionTest : public EmulatedSystemTest {
protected:
    ~EncodingDetectionTest() override { EncodingString::SetEUCThreshold(savedThreshold); }

    int Detect(const std::string& text) { return encoding.CheckEncodingType(text); }
    std::string Euc(const std::string& utf8) { return Iconv("UTF-8", "EUC-JP", utf8); }
    std::string Jis(const std::string& utf8) { return Iconv("UTF-8", "ISO-2022-JP", utf8); }

    // A corpus line after automatic conversion, back in UTF-8.
    std::string AutoToUtf8(const std::string& line, int* type = nullptr) {
        std::string sjis;
        std::string utf8;
        const int detected = encoding.CheckEncodingType(line);
        if (type != nullptr) *type = detected;
        encoding.ConvertAuto(0, sjis, line, 0);
        encoding.ConvertSJIS2UTF8(utf8, sjis, 0);
        return utf8;
    }

    EncodingString encoding;
    int savedThreshold = EncodingString::GetEUCThreshold();
};

// Every byte of 0x80 or above is part of a Shift-JIS pair.
bool IsNormalisedSjis(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) continue;
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (!lead || i + 1 >= text.size()) return false;
        const auto t = static_cast<unsigned char>(text[++i]);
        if (t < 0x40 || t > 0xFC) return false;
    }
    return true;
}

TEST_F(EncodingDetectionTest, SevenBitTextIsPlainUnlessItHoldsJisEscapes) {
    EXPECT_EQ(Detect(""), 1);
    EXPECT_EQ(Detect(kUrlLine + "Example</A>"), 1);
    EXPECT_EQ(Detect(kUrlLine + Jis("日本語のページ") + "</A>"), 5);
    EXPECT_EQ(Detect("ESC\x1B(I"), 5);
    EXPECT_EQ(Detect("half \x1B$"), 1);  // cut short
    EXPECT_EQ(Detect("\x1B\x1B$B"), 5);
}

TEST_F(EncodingDetectionTest, ShiftJisTitlesAreDecidedByTheirFirstShiftJisOnlyPair) {
    EXPECT_EQ(Detect(Sjis("日本")), 2);
    EXPECT_EQ(Detect(kUrlLine + Sjis("検索エンジン</A>")), 2);
    EXPECT_EQ(Detect(Sjis("表示・ソフト")), 2);
    // Half-width katakana look like EUC-JP pairs; a kanji after them decides.
    EXPECT_EQ(Detect(Sjis("ｶﾅ漢字")), 2);
    // A short half-width title cannot be decided and stays plain.
    EXPECT_EQ(Detect(Sjis("ｶﾅ")), 1);
}

TEST_F(EncodingDetectionTest, Utf8WinsWhenEveryHighByteHasItsShape) {
    EXPECT_EQ(Detect("日本"), 4);
    EXPECT_EQ(Detect(kUrlLine + "Firefox ヘルプ</A>"), 4);
    EXPECT_EQ(Detect("ｶﾅ"), 4);
    EXPECT_EQ(Detect("日本\xE8\xAA"), 2);     // cut short: read as Shift-JIS
    EXPECT_EQ(Detect("caf\xE9 au lait"), 1);  // Latin-1: no decision
}

TEST_F(EncodingDetectionTest, EucJpNeedsMorePairsThanTheThreshold) {
    EncodingString::SetEUCThreshold(3);
    EXPECT_EQ(Detect(Euc("日本語")), 1);
    EXPECT_EQ(Detect(kUrlLine + Euc("日本語です")), 3);
    EXPECT_EQ(Detect(Euc("日本語") + "\x1B$B"), 5);

    // EUC-JP half-width katakana (0x8E lead) decide nothing: the kanji after them still count.
    EXPECT_EQ(Detect(Euc("ｶﾅの日本語です")), 3);

    EncodingString::SetEUCThreshold(1);
    EXPECT_EQ(Detect(Euc("日本")), 3);

    EncodingString::SetEUCThreshold(0);
    EXPECT_EQ(Detect(Euc("日本語のブックマーク")), 1);

    // With the level-3 threshold a long half-width title is no longer taken for EUC-JP.
    EncodingString::SetAutoConvertLevel(3);
    EXPECT_EQ(Detect(Sjis("ﾌﾞｯｸﾏｰｸﾒﾆｭｰ")), 1);
}

TEST_F(EncodingDetectionTest, AsciiRunsOfAnyLengthBetweenPairsChangeNothing) {
    // EUC pairs and a last Shift-JIS-only pair apart by ASCII runs of every length around a
    // word, the line ending in a run: the pairs are counted as if they stood side by side.
    EncodingString::SetEUCThreshold(3);
    for (size_t run = 0; run <= 17; ++run) {
        const std::string ascii(run, 'a');
        std::string euc = ascii;
        for (int pair = 0; pair < 4; ++pair) euc += "\xA4\xA2" + ascii;
        EXPECT_EQ(Detect(euc), 3) << run;
        EXPECT_EQ(Detect(euc.substr(0, euc.size() - 2 - run)), 1) << run;  // three pairs
        std::string sjis = ascii + "\xA4\xA2" + ascii + "\x82\xA0" + ascii;
        EXPECT_EQ(Detect(sjis), 2) << run;
    }
}

TEST_F(EncodingDetectionTest, DetectionIsLoggedOnlyAtTheDetailLevel) {
    const std::string logPath = "C:\\Pennawick\\LogTue.log";
    SetLogLevel(LOG_D);
    Detect("日本");
    EXPECT_EQ(system.ReadFile(logPath).find("CheckEncodingType"), std::string::npos);

    SetLogLevel(LOG_V);
    Detect("日本");
    Detect(Euc("日本語です"));
    Detect(Sjis("ｶﾅ"));
    std::string out;
    encoding.ConvertAuto(0, out, Sjis("日本"), 0);
    encoding.Convert(103, out, "abc", 0);
    const std::string log = system.ReadFile(logPath);
    for (const char* line : {"EncodingString::CheckEncodingType 自動判別の開始",
                             "EncodingString::CheckEncodingType Unicodeと認識されました。",
                             "EncodingString::CheckEncodingType 自動判別終了(4) ",
                             "EncodingString::CheckEncodingType EUCと認識されました。",
                             "EncodingString::Convert(Auto) 自動検出開始",
                             "EncodingString::CheckEncodingType SJISと認識されました。",
                             "EncodingString::Convert(Auto) 自動検出(2) 終了",
                             "EncodingString::CheckEncodingType JISで半角カナが混じっている?",
                             "EncodingString::CheckEncodingType 自動判別終了(1) ",
                             "EncodingString::Convert 手動で変換　開始",
                             "EncodingString::Convert 手動で変換(103)　終了"}) {
        EXPECT_NE(log.find(Sjis(line)), std::string::npos) << line;
    }
}

TEST_F(EncodingDetectionTest, ConvertAutoTurnsEachEncodingIntoNormalisedShiftJis) {
    std::string out = "stale";
    EXPECT_EQ(encoding.ConvertAuto(0, out, "日本\tabc", 1), 1);
    EXPECT_EQ(Utf8(out), "日本abc");
    EXPECT_EQ(encoding.ConvertAuto(0, out, Euc("日本語です") + "a", 1), 1);
    EXPECT_EQ(Utf8(out), "日本語ですA");
    EXPECT_EQ(encoding.ConvertAuto(0, out, Sjis("日本\tｶﾅa"), 1), 0);
    EXPECT_EQ(Utf8(out), "日本カナA");
    EXPECT_EQ(encoding.ConvertAuto(0, out, Jis("日本") + "\ta", 1), 0);
    EXPECT_EQ(Utf8(out), "日本a");
    EXPECT_EQ(encoding.ConvertAuto(0, out, Sjis("ｶﾅ\ta"), 1), 0);
    EXPECT_EQ(Utf8(out), "カナa");
    EXPECT_EQ(encoding.ConvertAuto(0, out, "", 0), 0);
    EXPECT_EQ(out, "");
    // A given type is trusted.
    EXPECT_EQ(encoding.ConvertAuto(4, out, "abc\xE6\x97\xA5", 0), 1);
    EXPECT_EQ(Utf8(out), "abc日");
}

TEST_F(EncodingDetectionTest, JapaneseCorpusLinesSurviveEveryEncoding) {
    SKIP_WITHOUT_SHARED();
    const auto lines =
        ReadLines(SharedDir() + "/corpus/netscape-html/mozja-firefox2-default-ja.html");
    ASSERT_FALSE(lines.empty());
    int japanese = 0;
    for (const std::string& line : lines) {
        if (!HasHighByte(line)) continue;
        ++japanese;
        int type = 0;
        EXPECT_EQ(AutoToUtf8(line, &type), line);
        EXPECT_EQ(type, 4) << line;

        std::string sjis;
        encoding.Convert(102, sjis, line, 0);
        EXPECT_EQ(AutoToUtf8(sjis, &type), line);
        EXPECT_EQ(type, 2) << line;

        EXPECT_EQ(AutoToUtf8(Jis(line), &type), line);
        EXPECT_EQ(type, 5) << line;

        const std::string euc = Euc(line);
        if (Detect(euc) == 3) {
            EXPECT_EQ(AutoToUtf8(euc), line);
        } else {
            EXPECT_EQ(Detect(euc), 1) << line;  // too few pairs to decide
        }
    }
    EXPECT_GE(japanese, 5);
}

TEST_F(EncodingDetectionTest, OtherCorpusLinesConvertToNormalisedShiftJis) {
    SKIP_WITHOUT_SHARED();
    for (const char* name : {"gtkbm-nn4-bookmark-1231.htm", "nsbm-icab-hotlist-macsystem.html",
                             "zmyjs-chrome-zh-utf8.html", "kafene-ie11-nested-bom.htm"}) {
        const auto lines = ReadLines(SharedDir() + "/corpus/netscape-html/" + name);
        ASSERT_FALSE(lines.empty()) << name;
        const bool utf8 = std::string(name).find("zh-utf8") != std::string::npos ||
                          std::string(name).find("bom") != std::string::npos;
        for (const std::string& line : lines) {
            std::string sjis;
            encoding.ConvertAuto(0, sjis, line, 0);
            EXPECT_TRUE(IsNormalisedSjis(sjis)) << name << ": " << line;
            if (HasHighByte(line)) {
                EXPECT_EQ(Detect(line) == 4, utf8) << name << ": " << line;
            }
        }
    }
}

}  // namespace

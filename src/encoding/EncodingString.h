#pragma once

#include <string>

// Conversions between the internal Shift-JIS text and the other Japanese encodings met in
// bookmark files (EUC-JP, JIS escapes, UTF-8), detection of a line's encoding, Shift-JIS
// normalisation and Base64. The class holds no data: create one where it is needed. Every
// conversion empties its output first and leaves its input unchanged. The flag asks for ASCII
// letters to be upper-cased where a conversion honours it: the Shift-JIS normalisation and the
// EUC-JP and JIS conversions do, the UTF-8 conversions ignore it. Convert passes it on to the
// EUC-JP conversion only, ConvertAuto to the EUC-JP conversion and the Shift-JIS normalisation.
class EncodingString {
public:
    // Detection results.
    enum Type { kPlain = 1, kSJIS = 2, kEUC = 3, kUTF8 = 4, kJIS = 5 };

    // Conversion codes of Convert; any other code normalises Shift-JIS.
    enum Code {
        kJISToSJIS = 100,
        kEUCToSJIS = 101,
        kUTF8ToSJIS = 102,
        kSJISToUTF8 = 103,
        kEUCToSJIS2 = 105,
    };

    // Guesses the encoding of a text: UTF-8 first, then Shift-JIS against EUC-JP, then JIS
    // escapes. Plain 7-bit text, and text that cannot be decided, gives kPlain.
    int CheckEncodingType(const std::string& text);

    // Converts in to Shift-JIS; type 0 detects the encoding first, any other type is taken as
    // a detection result. Returns 1 when it went through Convert (UTF-8, EUC-JP), else 0.
    int ConvertAuto(int type, std::string& out, const std::string& in, int flag);
    // The conversion selected by code; always returns 1.
    int Convert(int code, std::string& out, const std::string& in, int flag);

    // Shift-JIS normalisation: pairs are kept, half-width katakana widened, printable ASCII
    // kept (upper-cased with the flag), control and stray bytes dropped.
    void ConvertSJISToUpper(std::string& out, const std::string& in, int flag);
    void ConvertJIS2SJIS(std::string& out, const std::string& in, int flag);
    void ConvertEUC2SJIS(std::string& out, const std::string& in, int flag);
    void ConvertUTF82SJIS(std::string& out, const std::string& in, int flag);
    void ConvertSJIS2UTF8(std::string& out, const std::string& in, int flag);
    void ConvertSJIS2EUC(std::string& out, const std::string& in, int flag);

    // Percent-encoding of a Shift-JIS text for URLs that expect EUC-JP: the text is converted
    // to EUC-JP and every byte of 0x80 or above is written as "%XX".
    std::string EncodeURLEUC(const std::string& in);
    // Whether a Shift-JIS text holds any half-width katakana.
    bool HasHankakuKana(const std::string& in);

    // Base64 with the standard alphabet and "=" padding, no line breaks.
    std::string EncodeBase64(const std::string& in);
    // Decodes until the first group that is not well-formed (four alphabet characters, or as
    // the last group two plus "==" or three plus "="); the result ends at a zero byte.
    std::string DecodeBase64(const std::string& in);

    // The process-wide EUC decision threshold: EUC-JP is chosen once more EUC-shaped pairs
    // than this occur before any Shift-JIS-only pair; 0 never chooses EUC-JP. Initially 3.
    static void SetEUCThreshold(int threshold);
    static int GetEUCThreshold();
    // Sets the threshold from an automatic-conversion level: 0..4 give 1, 3, 8, 20 and 0;
    // any other level leaves it unchanged.
    static void SetAutoConvertLevel(int level);

    // Test seam: the next output reservation of a conversion fails as if memory ran out.
    static void FailNextReservation();
};

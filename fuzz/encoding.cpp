// Encoding detection and every conversion: the first byte picks the upper-casing flag, the rest
// is the text, as the bookmark readers hand their lines over.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/FuzzSystem.h"
#include "encoding/EncodingString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int flag = data[0] & 1;
    const std::string text(fuzz::Bytes(data + 1, size - 1));
    EncodingString encoding;
    std::string out;

    const int type = encoding.CheckEncodingType(text);
    encoding.ConvertAuto(0, out, text, flag);
    encoding.ConvertAuto(type, out, text, flag);
    // The five conversions, and a code of none of them (normalisation).
    const int codes[] = {EncodingString::kJISToSJIS,  EncodingString::kEUCToSJIS,
                         EncodingString::kUTF8ToSJIS, EncodingString::kSJISToUTF8,
                         EncodingString::kEUCToSJIS2, 0};
    for (int code : codes) encoding.Convert(code, out, text, flag);
    encoding.ConvertSJISToUpper(out, text, flag);
    encoding.ConvertJIS2SJIS(out, text, flag);
    encoding.ConvertEUC2SJIS(out, text, flag);
    encoding.ConvertUTF82SJIS(out, text, flag);
    encoding.ConvertSJIS2EUC(out, text, flag);
    encoding.EncodeURLEUC(text);
    encoding.HasHankakuKana(text);

    // Shift-JIS sent out as UTF-8 and read back is stable after one trip (unassigned codes and
    // the duplicate codes of the code page settle on one form).
    std::string normal;
    encoding.ConvertSJISToUpper(normal, text, 0);
    std::string utf8;
    encoding.ConvertSJIS2UTF8(utf8, normal, 0);
    std::string back;
    encoding.ConvertUTF82SJIS(back, utf8, 0);
    std::string again;
    encoding.ConvertSJIS2UTF8(again, back, 0);
    if (again != utf8) __builtin_trap();
    return 0;
}

#include "encoding/SjisNormaliser.h"

#include "encoding/ConversionBuffer.h"
#include "encoding/EncodingTables.h"

using Byte = EncodingBytes::Byte;

void SjisNormaliser::Convert(std::string& out, const std::string& in, bool upper) {
    char* dest = ConversionBuffer::ReserveOrLog(out, ConversionBuffer::Bound(in.size(), 2),
                                                "EncodingString::ConvertSJISToUpper");
    if (dest == nullptr) return;
    const Byte* s = EncodingBytes::Of(in);
    ConversionBuffer::Finish(out, Normalise(s, s + in.size(), dest, upper));
}

char* SjisNormaliser::Normalise(const Byte* in, const Byte* end, char* out, bool upper) {
    const auto& wide = EncodingTables::Get().wideKana;
    while (in < end) {
        if (*in < 0x80) {
            EncodingBytes::CopyAsciiRun(in, end, out, upper);
            continue;
        }
        const Byte b = *in;
        if (end - in >= 2 && EncodingBytes::IsSjisPair(b, in[1])) {
            *out++ = static_cast<char>(b);
            *out++ = static_cast<char>(in[1]);
            in += 2;
            continue;
        }
        if (wide[b] != 0) out = EncodingBytes::PutPair(out, wide[b]);
        ++in;  // other bytes of 0x80 and above are stray
    }
    return out;
}

bool SjisNormaliser::HasHankakuKana(const std::string& in) {
    const Byte* s = EncodingBytes::Of(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (end - s >= 2 && EncodingBytes::IsSjisPair(s[0], s[1])) {
            s += 2;  // a trail byte may look like a half-width katakana
        } else if (EncodingBytes::IsHankaku(*s++)) {
            return true;
        }
    }
    return false;
}

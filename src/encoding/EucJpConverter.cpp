#include "encoding/EucJpConverter.h"

#include "encoding/ConversionBuffer.h"
#include "encoding/EncodingBytes.h"
#include "encoding/EncodingTables.h"

using Byte = EncodingBytes::Byte;

void EucJpConverter::ToSjis(std::string& out, const std::string& in, bool upper) {
    char* dest = ConversionBuffer::ReserveOrLog(out, ConversionBuffer::Bound(in.size(), 1),
                                                "EncodingString::ConvertEUC2SJIS");
    if (dest == nullptr) return;
    const auto& wide = EncodingTables::Get().wideKana;
    const Byte* s = EncodingBytes::Of(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (*s < 0x80) {
            EncodingBytes::CopyAsciiRun(s, end, dest, upper);
            continue;
        }
        if (end - s >= 2 && EncodingBytes::IsEucPair(s[0], s[1])) {
            dest = EncodingBytes::PutJisAsSjis(dest, s[0] & 0x7F, s[1] & 0x7F);
            s += 2;
        } else if (end - s >= 2 && EncodingBytes::IsEucKana(s[0], s[1])) {
            if (wide[s[1]] != 0) dest = EncodingBytes::PutPair(dest, wide[s[1]]);
            s += 2;
        } else {
            ++s;  // not printable; the lead 0x8F of the three-byte form goes here too
        }
    }
    ConversionBuffer::Finish(out, dest);
}

void EucJpConverter::FromSjis(std::string& out, const std::string& in, bool upper) {
    char* dest = ConversionBuffer::ReserveOrLog(out, ConversionBuffer::Bound(in.size(), 2),
                                                "EncodingString::ConvertSJIS2EUC");
    if (dest == nullptr) return;
    const Byte* s = EncodingBytes::Of(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (*s < 0x80) {
            EncodingBytes::CopyAsciiRun(s, end, dest, upper);
        } else if (end - s >= 2 && EncodingBytes::IsSjisPair(s[0], s[1])) {
            const uint16_t jis = EncodingBytes::SjisToJis(s[0], s[1]);
            if (jis != 0) dest = EncodingBytes::PutPair(dest, jis | 0x8080);
            s += 2;
        } else if (EncodingBytes::IsHankaku(*s)) {
            *dest++ = static_cast<char>(0x8E);
            *dest++ = static_cast<char>(*s++);
        } else {
            ++s;
        }
    }
    ConversionBuffer::Finish(out, dest);
}

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
    const auto& pairs = EncodingBytes::SjisOfJis();
    const Byte* s = EncodingBytes::Of(in);
    const Byte* end = s + in.size();
    // Output never outruns input here (two bytes give at most two), as the ASCII copy needs.
    while (s < end) {
        if (*s < 0x80) {
            EncodingBytes::CopyAsciiRun(s, end, dest, upper);
            continue;
        }
        // A run of JIS X 0208 pairs, each one table entry.
        while (end - s >= 2) {
            const unsigned row = s[0] - 0xA1u;
            const unsigned cell = s[1] - 0xA1u;
            if (row >= 94 || cell >= 94) break;
            EncodingBytes::PutRaw(dest, pairs[row * 94 + cell]);
            s += 2;
        }
        if (s == end || *s < 0x80) continue;
        if (end - s >= 2 && EncodingBytes::IsEucKana(s[0], s[1])) {
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

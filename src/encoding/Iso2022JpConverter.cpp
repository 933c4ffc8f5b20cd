#include "encoding/Iso2022JpConverter.h"

#include <cstring>
#include <string_view>

#include "encoding/ConversionBuffer.h"
#include "encoding/EncodingBytes.h"
#include "encoding/EncodingTables.h"

namespace {

using Byte = EncodingBytes::Byte;

constexpr Byte kEsc = 0x1B;

// The seven JIS escape sequences (after ESC); the first three switch to double-byte mode.
constexpr char kJisEscapes[7][3] = {"$@", "$B", "$D", "(J", "(B", "(H", "(I"};
constexpr int kFirstSingleByteEscape = 3;

// The next JIS escape sequence at or after from: its position (npos when none) and index.
// After an ESC that opens no sequence the search resumes two bytes on, as JIS readers do.
size_t FindJisEscape(std::string_view text, size_t from, int& index) {
    while (from < text.size()) {
        const size_t pos = text.find(static_cast<char>(kEsc), from);
        if (pos == std::string_view::npos) return pos;
        if (pos + 2 < text.size()) {
            for (int i = 0; i < 7; ++i) {
                if (text[pos + 1] == kJisEscapes[i][0] && text[pos + 2] == kJisEscapes[i][1]) {
                    index = i;
                    return pos;
                }
            }
        }
        from = pos + 2;
    }
    return std::string_view::npos;
}

// A stretch after a single-byte escape: bytes of 0x80 and above are dropped, the others follow
// the single-byte rules.
char* ConvertSingleByteStretch(const Byte* in, const Byte* end, char* out, bool upper) {
    while (in < end) {
        if (*in < 0x80) {
            EncodingBytes::CopyAsciiRun(in, end, out, upper);
        } else {
            ++in;
        }
    }
    return out;
}

// A stretch after a double-byte escape: JIS X 0208 pairs by table, line ends skipped, 8-bit
// katakana widened, and any other two bytes taken as a pair that has no Shift-JIS form.
char* ConvertDoubleByteStretch(const Byte* in, const Byte* end, char* out) {
    const auto& wide = EncodingTables::Get().wideKana;
    const auto& pairs = EncodingBytes::SjisOfJis();
    while (in < end) {
        const Byte b = *in;
        const unsigned row = b - 0x21u;
        if (end - in >= 2 && row < 94 && in[1] - 0x21u < 94) {
            EncodingBytes::PutRaw(out, pairs[row * 94 + (in[1] - 0x21u)]);
            in += 2;
        } else if (b == '\r' || b == '\n') {
            ++in;
        } else if (EncodingBytes::IsHankaku(b)) {
            if (wide[b] != 0) out = EncodingBytes::PutPair(out, wide[b]);
            ++in;
        } else if (end - in < 2) {
            ++in;  // half a pair before the next escape or the end: nothing to convert
        } else {
            in += 2;
        }
    }
    return out;
}

}  // namespace

void Iso2022JpConverter::ToSjis(std::string& out, const std::string& in, bool upper) {
    int index = 0;
    size_t pos = FindJisEscape(in, 0, index);
    // Without escapes the text is kept as it is; with them, 8-bit katakana may double.
    const size_t size = ConversionBuffer::Bound(in.size(), pos == std::string::npos ? 1 : 2);
    char* dest = ConversionBuffer::ReserveOrLog(out, size, "EncodingString::ConvertJIS2SJIS");
    if (dest == nullptr) return;
    const Byte* s = EncodingBytes::Of(in);
    const size_t before = pos == std::string::npos ? in.size() : pos;
    std::memcpy(dest, s, before);
    dest += before;
    while (pos != std::string::npos) {
        int nextIndex = 0;
        const size_t next = FindJisEscape(in, pos + 2, nextIndex);
        const size_t stop = next == std::string::npos ? in.size() : next;
        if (index < kFirstSingleByteEscape) {
            dest = ConvertDoubleByteStretch(s + pos + 3, s + stop, dest);
        } else {
            dest = ConvertSingleByteStretch(s + pos + 3, s + stop, dest, upper);
        }
        pos = next;
        index = nextIndex;
    }
    ConversionBuffer::Finish(out, dest);
}

bool Iso2022JpConverter::HasEscape(const std::string& text) {
    for (size_t pos = text.find(static_cast<char>(kEsc)); pos != std::string::npos;
         pos = text.find(static_cast<char>(kEsc), pos + 1)) {
        if (pos + 2 >= text.size()) return false;
        for (const auto& escape : kJisEscapes) {
            if (text[pos + 1] == escape[0] && text[pos + 2] == escape[1]) return true;
        }
    }
    return false;
}

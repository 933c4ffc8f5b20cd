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

// Finds the escape sequences while the stretches are converted, exactly where FindJisEscape
// would: every ESC at or after from is looked at once, in order, and moves from two bytes on.
class EscapeScanner {
public:
    EscapeScanner(const Byte* from, const Byte* end) : from_(from), end_(end) {}

    const Byte* End() const { return end_; }

    // Whether the ESC at esc opens a sequence; its index then.
    bool Opens(const Byte* esc, int& index) {
        if (esc < from_) return false;
        from_ = esc + 2;
        if (end_ - esc < 3) return false;
        for (int i = 0; i < 7; ++i) {
            if (esc[1] == static_cast<Byte>(kJisEscapes[i][0]) &&
                esc[2] == static_cast<Byte>(kJisEscapes[i][1])) {
                index = i;
                return true;
            }
        }
        return false;
    }

private:
    const Byte* from_;
    const Byte* end_;
};

// Converts the stretch after a single-byte escape up to the next sequence: bytes of 0x80 and
// above are dropped, the others follow the single-byte rules. Returns where the stretch after
// that sequence begins (its escape in index), or null at the end of the text.
const Byte* SingleByteStretch(const Byte* in, EscapeScanner& escapes, char*& out, bool upper,
                              int& index) {
    const Byte* end = escapes.End();
    while (in < end) {
        if (!upper) {
            EncodingBytes::CopyPrintable(in, end, out);
            if (in == end) break;
        }
        const Byte b = *in;
        if (b == kEsc && escapes.Opens(in, index)) return in + 3;
        if (b < 0x80) out = EncodingBytes::PutSingle(out, b, upper);
        ++in;
    }
    return nullptr;
}

// As SingleByteStretch after a double-byte escape: JIS X 0208 pairs by table, line ends
// skipped, 8-bit katakana widened, half a pair before a sequence or the end dropped, and any
// other two bytes taken as a pair that has no Shift-JIS form.
const Byte* DoubleByteStretch(const Byte* in, EscapeScanner& escapes, char*& out, int& index) {
    const auto& wide = EncodingTables::Get().wideKana;
    const auto& pairs = EncodingBytes::SjisOfJis();
    const Byte* end = escapes.End();
    while (in < end) {
        const Byte b = *in;
        const unsigned row = b - 0x21u;
        if (end - in >= 2 && row < 94 && in[1] - 0x21u < 94) {
            EncodingBytes::PutRaw(out, pairs[row * 94 + (in[1] - 0x21u)]);
            in += 2;
        } else if (b == kEsc && escapes.Opens(in, index)) {
            return in + 3;
        } else if (EncodingBytes::IsHankaku(b)) {
            if (wide[b] != 0) out = EncodingBytes::PutPair(out, wide[b]);
            ++in;
        } else if (b == '\r' || b == '\n' || end - in < 2) {
            ++in;
        } else if (in[1] == kEsc && escapes.Opens(in + 1, index)) {
            return in + 4;
        } else {
            in += 2;
        }
    }
    return nullptr;
}

}  // namespace

void Iso2022JpConverter::ToSjis(std::string& out, const std::string& in, bool upper) {
    int index = 0;
    const size_t pos = FindJisEscape(in, 0, index);
    // Without escapes the text is kept as it is; with them, 8-bit katakana may double.
    const size_t size = ConversionBuffer::Bound(in.size(), pos == std::string::npos ? 1 : 2);
    char* dest = ConversionBuffer::ReserveOrLog(out, size, "EncodingString::ConvertJIS2SJIS");
    if (dest == nullptr) return;
    const Byte* s = EncodingBytes::Of(in);
    const size_t before = pos == std::string::npos ? in.size() : pos;
    std::memcpy(dest, s, before);
    dest += before;
    if (pos != std::string::npos) {
        EscapeScanner escapes(s + pos + 2, s + in.size());
        for (const Byte* stretch = s + pos + 3; stretch != nullptr;) {
            stretch = index < kFirstSingleByteEscape
                          ? DoubleByteStretch(stretch, escapes, dest, index)
                          : SingleByteStretch(stretch, escapes, dest, upper, index);
        }
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

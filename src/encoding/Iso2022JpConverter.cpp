#include "encoding/Iso2022JpConverter.h"

#include <cstring>

#include "encoding/ConversionBuffer.h"
#include "encoding/EncodingBytes.h"
#include "encoding/EncodingTables.h"

namespace {

using Byte = EncodingBytes::Byte;

constexpr Byte kEsc = 0x1B;

// The seven JIS escape sequences (after ESC); the first three switch to double-byte mode.
constexpr char kJisEscapes[7][3] = {"$@", "$B", "$D", "(J", "(B", "(H", "(I"};
constexpr int kFirstSingleByteEscape = 3;

// The index of the sequence the ESC at esc opens, or -1; end is the end of the text.
int SequenceAt(const Byte* esc, const Byte* end) {
    if (end - esc < 3) return -1;
    for (int i = 0; i < 7; ++i) {
        if (esc[1] == static_cast<Byte>(kJisEscapes[i][0]) &&
            esc[2] == static_cast<Byte>(kJisEscapes[i][1])) {
            return i;
        }
    }
    return -1;
}

// Finds the escape sequences as JIS readers do: every ESC at or after from is looked at once,
// in order, and moves from two bytes on, so that after an ESC that opens no sequence the
// search resumes two bytes on. The conversion looks at the ESC bytes its stretches stop at.
class EscapeScanner {
public:
    EscapeScanner(const Byte* text, const Byte* end) : from_(text), end_(end) {}

    const Byte* End() const { return end_; }

    // Whether the ESC at esc opens a sequence; its index then.
    bool Opens(const Byte* esc, int& index) {
        if (esc < from_) return false;
        from_ = esc + 2;
        const int found = SequenceAt(esc, end_);
        if (found < 0) return false;
        index = found;
        return true;
    }

    // The next sequence with its index, or null when there is none.
    const Byte* Find(int& index) {
        while (from_ < end_) {
            const void* esc = std::memchr(from_, kEsc, static_cast<size_t>(end_ - from_));
            if (esc == nullptr) return nullptr;
            if (Opens(static_cast<const Byte*>(esc), index)) return static_cast<const Byte*>(esc);
        }
        return nullptr;
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
    const Byte* s = EncodingBytes::Of(in);
    EscapeScanner escapes(s, s + in.size());
    int index = 0;
    const Byte* first = escapes.Find(index);
    // Without escapes the text is kept as it is; with them, 8-bit katakana may double.
    const size_t size = ConversionBuffer::Bound(in.size(), first == nullptr ? 1 : 2);
    char* dest = ConversionBuffer::ReserveOrLog(out, size, "EncodingString::ConvertJIS2SJIS");
    if (dest == nullptr) return;
    const size_t before = first == nullptr ? in.size() : static_cast<size_t>(first - s);
    std::memcpy(dest, s, before);
    dest += before;
    for (const Byte* stretch = first == nullptr ? nullptr : first + 3; stretch != nullptr;) {
        stretch = index < kFirstSingleByteEscape
                      ? DoubleByteStretch(stretch, escapes, dest, index)
                      : SingleByteStretch(stretch, escapes, dest, upper, index);
    }
    ConversionBuffer::Finish(out, dest);
}

bool Iso2022JpConverter::HasEscape(const std::string& text) {
    const Byte* s = EncodingBytes::Of(text);
    for (size_t pos = text.find(static_cast<char>(kEsc)); pos != std::string::npos;
         pos = text.find(static_cast<char>(kEsc), pos + 1)) {
        if (SequenceAt(s + pos, s + text.size()) >= 0) return true;
    }
    return false;
}

#include "encoding/EncodingString.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "encoding/EncodingTables.h"
#include "platform/Cp932.h"
#include "platform/SystemError.h"
#include "support/Log.h"
#include "support/QuitRequest.h"
#include "support/UserPrompt.h"

namespace {

using Byte = unsigned char;

int gEucThreshold = 3;
bool gFailNextReservation = false;

constexpr Byte kEsc = 0x1B;

// The seven JIS escape sequences (after ESC); the first three switch to double-byte mode.
constexpr char kJisEscapes[7][3] = {"$@", "$B", "$D", "(J", "(B", "(H", "(I"};
constexpr int kFirstSingleByteEscape = 3;

// Byte classes; all on unsigned bytes.
bool IsSjisLead(Byte b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsSjisPair(Byte x, Byte y) {
    return IsSjisLead(x) && y >= 0x40 && y <= 0xFC;
}
bool IsHankaku(Byte b) {
    return b >= 0xA1 && b <= 0xDF;
}
bool IsEucPair(Byte x, Byte y) {
    return x >= 0xA1 && x <= 0xFE && y >= 0xA1 && y <= 0xFE;
}
bool IsEucKana(Byte x, Byte y) {
    return x == 0x8E && IsHankaku(y);
}
bool IsPrintable(Byte b) {
    return b >= 0x20 && b <= 0x7E;
}

const Byte* Bytes(const std::string& text) {
    return reinterpret_cast<const Byte*>(text.data());
}

// A single byte by the normalisation's rules: an ASCII letter upper-cased with the flag, a
// printable byte copied, anything else dropped.
char* PutSingle(char* out, Byte b, bool upper) {
    if (upper && b >= 'a' && b <= 'z') {
        *out++ = static_cast<char>(b - 0x20);
    } else if (IsPrintable(b)) {
        *out++ = static_cast<char>(b);
    }
    return out;
}

char* PutPair(char* out, uint16_t pair) {
    *out++ = static_cast<char>(pair >> 8);
    *out++ = static_cast<char>(pair & 0xFF);
    return out;
}

// Eight bytes at once: bookmark lines are mostly ASCII URLs.
uint64_t Load8(const Byte* in) {
    uint64_t word;
    std::memcpy(&word, in, sizeof word);
    return word;
}
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighs = 0x8080808080808080ULL;
bool AllBelow80(uint64_t w) {
    return (w & kHighs) == 0;
}
// True when every byte is printable (0x20..0x7E).
bool AllPrintable(uint64_t w) {
    const uint64_t belowSpace = (w - kOnes * 0x20) & ~w & kHighs;
    const uint64_t del = w ^ (kOnes * 0x7F);
    const uint64_t isDel = (del - kOnes) & ~del & kHighs;
    return ((w & kHighs) | belowSpace | isDel) == 0;
}

// Converts the bytes below 0x80 at in by the single-byte rules, until a byte of 0x80 or above:
// printable stretches eight bytes at a time, the rest byte by byte.
void CopyAsciiRun(const Byte*& in, const Byte* end, char*& out, bool upper) {
    while (in < end && *in < 0x80) {
        while (!upper && end - in >= 8) {
            const uint64_t word = Load8(in);
            if (!AllPrintable(word)) break;
            std::memcpy(out, &word, sizeof word);
            in += 8;
            out += 8;
        }
        const Byte* stop = end - in > 8 ? in + 8 : end;
        while (in < stop && *in < 0x80) out = PutSingle(out, *in++, upper);
    }
}

// JIS X 0208 to Shift-JIS for a pair of 0x21..0x7E, else 0.
uint16_t JisToSjis(Byte j1, Byte j2) {
    if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E) return 0;
    int s1 = ((j1 - 0x21) >> 1) + 0x81;
    if (j1 >= 0x5F) s1 += 0x40;
    int s2;
    if (j1 & 1) {
        s2 = j2 + 0x1F + (j2 >= 0x60 ? 1 : 0);
    } else {
        s2 = j2 + 0x7E;
    }
    return static_cast<uint16_t>((s1 << 8) | s2);
}

// Shift-JIS pair to JIS X 0208, or 0 when the pair has no JIS X 0208 form.
uint16_t SjisToJis(Byte s1, Byte s2) {
    const int a = s1 < 0xA0 ? s1 - 0x81 : s1 - 0xC1;
    int j1, j2;
    if (s2 < 0x9F) {
        j1 = 2 * a + 0x21;
        j2 = s2 - 0x1F - (s2 > 0x7E ? 1 : 0);
    } else {
        j1 = 2 * a + 0x22;
        j2 = s2 - 0x7E;
    }
    const int code = (j1 << 8) | j2;
    if (code < 0x2121 || code > 0x7E7E || j2 < 0x21 || j2 > 0x7E) return 0;
    return static_cast<uint16_t>(code);
}

// Empties out and gives it room for size bytes; null when memory runs out.
char* Reserve(std::string& out, size_t size) {
    out.clear();
    if (gFailNextReservation) {
        gFailNextReservation = false;
        return nullptr;
    }
    if (size > out.max_size()) return nullptr;
    try {
        out.resize(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return out.data();
}

void Finish(std::string& out, const char* end) {
    out.resize(static_cast<size_t>(end - out.data()));
}

// Room for factor bytes per input byte and some slack; SIZE_MAX when that overflows.
size_t Bound(size_t inputSize, size_t factor, size_t slack = 0) {
    if (inputSize > (SIZE_MAX - slack) / factor) return SIZE_MAX;
    return inputSize * factor + slack;
}

int LoggedSize(size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

void LogPlatformFailure(const char* text, int error) {
    platform::SystemError::SetLast(error);
    LogSystemError(text);
}

// Shift-JIS normalisation into out, which has room for two bytes per input byte.
char* Normalise(const Byte* in, const Byte* end, char* out, bool upper) {
    const auto& wide = EncodingTables::Get().wideKana;
    while (in < end) {
        if (*in < 0x80) {
            CopyAsciiRun(in, end, out, upper);
            continue;
        }
        const Byte b = *in;
        if (end - in >= 2 && IsSjisPair(b, in[1])) {
            *out++ = static_cast<char>(b);
            *out++ = static_cast<char>(in[1]);
            in += 2;
            continue;
        }
        if (wide[b] != 0) out = PutPair(out, wide[b]);
        ++in;  // other bytes of 0x80 and above are stray
    }
    return out;
}

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

// Whether any of the JIS escape sequences occurs anywhere in the text.
bool HasJisEscape(const std::string& text) {
    for (size_t pos = text.find(static_cast<char>(kEsc)); pos != std::string::npos;
         pos = text.find(static_cast<char>(kEsc), pos + 1)) {
        if (pos + 2 >= text.size()) return false;
        for (const auto& escape : kJisEscapes) {
            if (text[pos + 1] == escape[0] && text[pos + 2] == escape[1]) return true;
        }
    }
    return false;
}

bool HasHighByte(const std::string& text) {
    const Byte* in = Bytes(text);
    const Byte* end = in + text.size();
    while (end - in >= 8) {
        if (!AllBelow80(Load8(in))) return true;
        in += 8;
    }
    for (; in < end; ++in) {
        if (*in >= 0x80) return true;
    }
    return false;
}

// The shape of UTF-8: every lead byte followed by the continuation bytes it announces, and at
// least one lead byte. Values are not checked.
bool LooksLikeUtf8(const std::string& text) {
    const Byte* in = Bytes(text);
    const Byte* end = in + text.size();
    bool sawLead = false;
    while (in < end) {
        const Byte b = *in++;
        if (b < 0x80) continue;
        if (b < 0xC0) return false;
        sawLead = true;
        const int follow = b < 0xE0   ? 1
                           : b < 0xF0 ? 2
                           : b < 0xF8 ? 3
                           : b < 0xFC ? 4
                           : b < 0xFE ? 5
                                      : 0;
        if (end - in < follow) return false;
        for (int i = 0; i < follow; ++i) {
            if ((*in++ & 0xC0) != 0x80) return false;
        }
    }
    return sawLead;
}

// Shift-JIS against EUC-JP: Shift-JIS as soon as a pair is Shift-JIS but not EUC-shaped,
// EUC-JP once more EUC-shaped pairs than the threshold came first; 0 when undecided.
int SjisOrEuc(const std::string& text) {
    const Byte* s = Bytes(text);
    const size_t n = text.size();
    int eucPairs = 0;
    for (size_t i = 0; i + 1 < n; ++i) {
        const Byte x = s[i];
        const Byte y = s[i + 1];
        if (x <= 0x80) continue;
        if (IsEucKana(x, y) && IsSjisPair(x, y)) {
            ++i;
            continue;
        }
        const bool eucPair = IsEucPair(x, y);
        if (!eucPair && IsHankaku(x)) continue;
        if (eucPair) {
            ++eucPairs;
            if (gEucThreshold != 0 && eucPairs > gEucThreshold) return EncodingString::kEUC;
            ++i;
            continue;
        }
        if (IsSjisPair(x, y)) return EncodingString::kSJIS;
    }
    return 0;
}

// One stretch of JIS text after an escape sequence, in that sequence's mode.
char* ConvertJisStretch(const Byte* in, const Byte* end, char* out, bool doubleByte, bool upper) {
    if (!doubleByte) {
        while (in < end) out = PutSingle(out, *in++, upper);
        return out;
    }
    const auto& wide = EncodingTables::Get().wideKana;
    while (in < end) {
        const Byte b = *in;
        if (b == '\r' || b == '\n') {
            ++in;
        } else if (IsHankaku(b)) {
            if (wide[b] != 0) out = PutPair(out, wide[b]);
            ++in;
        } else if (end - in < 2) {
            ++in;  // half a pair before the next escape or the end: nothing to convert
        } else {
            const uint16_t sjis = JisToSjis(b, in[1]);
            if (IsSjisPair(static_cast<Byte>(sjis >> 8), static_cast<Byte>(sjis & 0xFF))) {
                out = PutPair(out, sjis);
            }
            in += 2;
        }
    }
    return out;
}

// Appends the UTF-8 form of UTF-16 units, one unit at a time.
char* PutUtf8(const std::u16string& units, char* out) {
    for (const char16_t unit : units) {
        if (unit < 0x80) {
            *out++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            *out++ = static_cast<char>(0xC0 | (unit >> 6));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | (unit >> 12));
            *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each base64 character, -1 for any other byte.
constexpr std::array<int8_t, 256> MakeBase64Values() {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 64; ++i)
        values[static_cast<Byte>(kBase64Alphabet[i])] = static_cast<int8_t>(i);
    return values;
}
constexpr std::array<int8_t, 256> kBase64Values = MakeBase64Values();

}  // namespace

// ---------------------------------------------------------------------------------------------
// Detection

int EncodingString::CheckEncodingType(const std::string& text) {
    LogMessage(LOG_V, "EncodingString::CheckEncodingType 自動判別の開始");
    int result = 0;
    if (HasHighByte(text)) {
        if (LooksLikeUtf8(text)) {
            result = kUTF8;
            LogMessage(LOG_V, "EncodingString::CheckEncodingType Unicodeと認識されました。");
        } else {
            result = SjisOrEuc(text);
            if (result == kSJIS) {
                LogMessage(LOG_V, "EncodingString::CheckEncodingType SJISと認識されました。");
            } else if (result == kEUC) {
                LogMessage(LOG_V, "EncodingString::CheckEncodingType EUCと認識されました。");
            } else {
                LogMessage(LOG_V, "EncodingString::CheckEncodingType JISで半角カナが混じっている?");
            }
        }
    }
    if (result == 0) result = HasJisEscape(text) ? kJIS : kPlain;
    LogMessage(LOG_V, "EncodingString::CheckEncodingType 自動判別終了(%d) ", result);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Dispatch

int EncodingString::ConvertAuto(int type, std::string& out, const std::string& in, int flag) {
    LogMessage(LOG_V, "EncodingString::Convert(Auto) 自動検出開始");
    int result = 0;
    if (in.empty()) {
        out.clear();
    } else {
        if (type == 0) type = CheckEncodingType(in);
        if (type == kUTF8) {
            result = Convert(kUTF8ToSJIS, out, in, flag);
        } else if (type == kEUC) {
            result = Convert(kEUCToSJIS, out, in, flag);
        } else if (type == kSJIS) {
            ConvertSJISToUpper(out, in, flag);
        } else if (type == kJIS) {
            std::string sjis;
            ConvertJIS2SJIS(sjis, in, 0);
            ConvertSJISToUpper(out, sjis, 0);
        } else {
            ConvertSJISToUpper(out, in, 0);
        }
    }
    LogMessage(LOG_V, "EncodingString::Convert(Auto) 自動検出(%d) 終了", type);
    return result;
}

int EncodingString::Convert(int code, std::string& out, const std::string& in, int flag) {
    LogMessage(LOG_V, "EncodingString::Convert 手動で変換　開始");
    switch (code) {
        case kJISToSJIS: {
            std::string sjis;
            ConvertJIS2SJIS(sjis, in, 0);
            ConvertSJISToUpper(out, sjis, 0);
            break;
        }
        case kEUCToSJIS:
        case kEUCToSJIS2:
            ConvertEUC2SJIS(out, in, flag);
            break;
        case kUTF8ToSJIS:
            ConvertUTF82SJIS(out, in, 0);
            break;
        case kSJISToUTF8:
            ConvertSJIS2UTF8(out, in, 0);
            break;
        default:
            ConvertSJISToUpper(out, in, 0);
            break;
    }
    LogMessage(LOG_V, "EncodingString::Convert 手動で変換(%d)　終了", code);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Conversions to Shift-JIS

void EncodingString::ConvertSJISToUpper(std::string& out, const std::string& in, int flag) {
    if (&out == &in) return ConvertSJISToUpper(out, std::string(in), flag);
    const size_t size = Bound(in.size(), 2);
    char* dest = Reserve(out, size);
    if (dest == nullptr) {
        LogMessage(LOG_E, "EncodingString::ConvertSJISToUpper heap get error[%d]",
                   LoggedSize(size));
        return;
    }
    Finish(out, Normalise(Bytes(in), Bytes(in) + in.size(), dest, flag != 0));
}

void EncodingString::ConvertEUC2SJIS(std::string& out, const std::string& in, int flag) {
    if (&out == &in) return ConvertEUC2SJIS(out, std::string(in), flag);
    const size_t size = Bound(in.size(), 1);
    char* dest = Reserve(out, size);
    if (dest == nullptr) {
        LogMessage(LOG_E, "EncodingString::ConvertEUC2SJIS heap get error[%d]", LoggedSize(size));
        return;
    }
    const auto& wide = EncodingTables::Get().wideKana;
    const bool upper = flag != 0;
    const Byte* s = Bytes(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (*s < 0x80) {
            CopyAsciiRun(s, end, dest, upper);
            continue;
        }
        if (end - s >= 2 && IsEucPair(s[0], s[1])) {
            const uint16_t sjis = JisToSjis(s[0] & 0x7F, s[1] & 0x7F);
            if (IsSjisPair(static_cast<Byte>(sjis >> 8), static_cast<Byte>(sjis & 0xFF))) {
                dest = PutPair(dest, sjis);
            }
            s += 2;
        } else if (end - s >= 2 && IsEucKana(s[0], s[1])) {
            if (wide[s[1]] != 0) dest = PutPair(dest, wide[s[1]]);
            s += 2;
        } else {
            ++s;  // not printable; the lead 0x8F of the three-byte form goes here too
        }
    }
    Finish(out, dest);
}

void EncodingString::ConvertJIS2SJIS(std::string& out, const std::string& in, int flag) {
    if (&out == &in) return ConvertJIS2SJIS(out, std::string(in), flag);
    int index = 0;
    size_t pos = FindJisEscape(in, 0, index);
    // Without escapes the text is kept as it is; with them, 8-bit katakana may double.
    const size_t size = Bound(in.size(), pos == std::string::npos ? 1 : 2);
    char* dest = Reserve(out, size);
    if (dest == nullptr) {
        LogMessage(LOG_E, "EncodingString::ConvertJIS2SJIS heap get error[%d]", LoggedSize(size));
        return;
    }
    const Byte* s = Bytes(in);
    const size_t before = pos == std::string::npos ? in.size() : pos;
    std::memcpy(dest, s, before);
    dest += before;
    while (pos != std::string::npos) {
        int nextIndex = 0;
        const size_t next = FindJisEscape(in, pos + 2, nextIndex);
        const size_t stop = next == std::string::npos ? in.size() : next;
        dest = ConvertJisStretch(s + pos + 3, s + stop, dest, index < kFirstSingleByteEscape,
                                 flag != 0);
        pos = next;
        index = nextIndex;
    }
    Finish(out, dest);
}

void EncodingString::ConvertUTF82SJIS(std::string& out, const std::string& in, int flag) {
    if (&out == &in) return ConvertUTF82SJIS(out, std::string(in), flag);
    out.clear();
    if (in.empty()) return;
    // Each input byte gives at most two bytes, even through the platform's rare multi-byte forms.
    char* dest = Reserve(out, Bound(in.size(), 2));
    if (dest == nullptr) {
        UserPrompt::Show("EncodingString::ConvertUTF8ToSJIS");
        QuitRequest::Raise();
        return;
    }
    const auto& table = EncodingTables::Get().unitToSjis;
    const Byte* s = Bytes(in);
    const Byte* end = s + in.size();
    while (s < end) {
        const Byte b = *s;
        if (b < 0x80) {
            CopyAsciiRun(s, end, dest, false);
            continue;
        }
        if (b < 0xC0) break;  // a continuation byte where a character should start
        if (b >= 0xFE) {
            ++s;  // announces no sequence and has no character
            continue;
        }
        const int follow = b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF8 ? 3 : b < 0xFC ? 4 : 5;
        if (end - s <= follow) break;
        uint32_t unit = b & (0x3F >> follow);
        int i = 1;
        for (; i <= follow && (s[i] & 0xC0) == 0x80; ++i) unit = (unit << 6) | (s[i] & 0x3F);
        if (i <= follow) break;  // a bad continuation byte ends the text
        s += follow + 1;
        // Beyond U+FFFF there is no Shift-JIS form: the code page's default character.
        const uint16_t sjis = follow <= 2 ? table[unit] : '?';
        if (sjis <= 0xFF) {
            if (sjis != 0) *dest++ = static_cast<char>(sjis);
        } else if (sjis < EncodingTables::kUnitComplex) {
            dest = PutPair(dest, sjis);
        } else if (sjis == EncodingTables::kUnitComplex) {
            const char16_t one = static_cast<char16_t>(unit);
            const std::string platform = platform::Cp932::FromUtf16(std::u16string_view(&one, 1));
            dest = Normalise(Bytes(platform), Bytes(platform) + platform.size(), dest, false);
        } else {
            out.clear();
            LogPlatformFailure("EncodingString::ConvertUTF82SJIS 変換に失敗しました。", EILSEQ);
            return;
        }
    }
    Finish(out, dest);
}

// ---------------------------------------------------------------------------------------------
// Conversions from Shift-JIS

void EncodingString::ConvertSJIS2UTF8(std::string& out, const std::string& in, int flag) {
    if (&out == &in) return ConvertSJIS2UTF8(out, std::string(in), flag);
    out.clear();
    if (in.empty()) return;
    // One byte gives at most three; four spare bytes let table entries be copied whole.
    const size_t size = Bound(in.size(), 3, 4);
    if (size == SIZE_MAX) {
        LogPlatformFailure("EncodingString::ConvertSJIS2UTF8 変換後のサイズが確保できない",
                           EOVERFLOW);
        return;
    }
    char* dest = Reserve(out, size);
    if (dest == nullptr) {
        LogMessage(LOG_E, "EncodingString::ConvertSJIS2UTF8 heap get error[%d]", LoggedSize(size));
        UserPrompt::Show("EncodingString::ConvertSJIS2UTF8");
        QuitRequest::Raise();
        return;
    }
    const EncodingTables& tables = EncodingTables::Get();
    const Byte* s = Bytes(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (*s < 0x80) {
            while (end - s >= 8 && AllBelow80(Load8(s))) {
                std::memcpy(dest, s, 8);
                s += 8;
                dest += 8;
            }
            while (s < end && *s < 0x80) *dest++ = static_cast<char>(*s++);
            continue;
        }
        const uint8_t row = tables.leadRow[*s];
        const bool pair = row != 0 && end - s >= 2;
        const EncodingTables::Utf8Entry& entry =
            pair ? tables.pairs[row - 1][s[1]] : tables.single[*s];
        const size_t taken = pair ? 2 : 1;
        if (entry.length <= 3) {
            std::memcpy(dest, &entry, sizeof entry);
            dest += entry.length;
        } else if (entry.length == EncodingTables::kComplex) {
            const std::u16string units =
                platform::Cp932::ToUtf16(std::string_view(reinterpret_cast<const char*>(s), taken));
            dest = PutUtf8(units, dest);
        } else {
            out.clear();
            LogPlatformFailure("EncodingString::ConvertSJIS2UTF8 変換に失敗しました。", EILSEQ);
            return;
        }
        s += taken;
    }
    Finish(out, dest);
}

void EncodingString::ConvertSJIS2EUC(std::string& out, const std::string& in, int flag) {
    if (&out == &in) return ConvertSJIS2EUC(out, std::string(in), flag);
    const size_t size = Bound(in.size(), 2);
    char* dest = Reserve(out, size);
    if (dest == nullptr) {
        LogMessage(LOG_E, "EncodingString::ConvertSJIS2EUC heap get error[%d]", LoggedSize(size));
        return;
    }
    const bool upper = flag != 0;
    const Byte* s = Bytes(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (*s < 0x80) {
            CopyAsciiRun(s, end, dest, upper);
        } else if (end - s >= 2 && IsSjisPair(s[0], s[1])) {
            const uint16_t jis = SjisToJis(s[0], s[1]);
            if (jis != 0) dest = PutPair(dest, jis | 0x8080);
            s += 2;
        } else if (IsHankaku(*s)) {
            *dest++ = static_cast<char>(0x8E);
            *dest++ = static_cast<char>(*s++);
        } else {
            ++s;
        }
    }
    Finish(out, dest);
}

std::string EncodingString::EncodeURLEUC(const std::string& in) {
    std::string euc;
    ConvertSJIS2EUC(euc, in, 0);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(euc.size() * 3);
    for (const char c : euc) {
        const auto b = static_cast<Byte>(c);
        if (b < 0x80) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[b >> 4];
            encoded += kHex[b & 0x0F];
        }
    }
    return encoded;
}

bool EncodingString::HasHankakuKana(const std::string& in) {
    const Byte* s = Bytes(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (end - s >= 2 && IsSjisPair(s[0], s[1])) {
            s += 2;  // a trail byte may look like a half-width katakana
        } else if (IsHankaku(*s++)) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Base64

std::string EncodingString::EncodeBase64(const std::string& in) {
    std::string encoded;
    encoded.reserve((in.size() + 2) / 3 * 4);
    const Byte* s = Bytes(in);
    size_t left = in.size();
    for (; left >= 3; left -= 3, s += 3) {
        const uint32_t group = (s[0] << 16) | (s[1] << 8) | s[2];
        encoded += kBase64Alphabet[group >> 18];
        encoded += kBase64Alphabet[(group >> 12) & 0x3F];
        encoded += kBase64Alphabet[(group >> 6) & 0x3F];
        encoded += kBase64Alphabet[group & 0x3F];
    }
    if (left > 0) {
        const uint32_t group = (s[0] << 16) | (left == 2 ? s[1] << 8 : 0);
        encoded += kBase64Alphabet[group >> 18];
        encoded += kBase64Alphabet[(group >> 12) & 0x3F];
        encoded += left == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
        encoded += '=';
    }
    return encoded;
}

std::string EncodingString::DecodeBase64(const std::string& in) {
    std::string decoded;
    decoded.reserve(in.size() / 4 * 3);
    const Byte* s = Bytes(in);
    for (size_t pos = 0; pos + 4 <= in.size(); pos += 4, s += 4) {
        const int a = kBase64Values[s[0]];
        const int b = kBase64Values[s[1]];
        const int c = kBase64Values[s[2]];
        const int d = kBase64Values[s[3]];
        const bool last = pos + 4 == in.size();
        int bytes = 0;
        if (a >= 0 && b >= 0 && c >= 0 && d >= 0) {
            bytes = 3;
        } else if (last && a >= 0 && b >= 0 && c >= 0 && s[3] == '=') {
            bytes = 2;
        } else if (last && a >= 0 && b >= 0 && s[2] == '=' && s[3] == '=') {
            bytes = 1;
        } else {
            break;  // not well-formed: keep what came before
        }
        const uint32_t group = (a << 18) | (b << 12) | ((c < 0 ? 0 : c) << 6) | (d < 0 ? 0 : d);
        decoded += static_cast<char>(group >> 16);
        if (bytes >= 2) decoded += static_cast<char>((group >> 8) & 0xFF);
        if (bytes == 3) decoded += static_cast<char>(group & 0xFF);
    }
    // The result is text: it ends at a zero byte.
    const size_t zero = decoded.find('\0');
    if (zero != std::string::npos) decoded.resize(zero);
    return decoded;
}

// ---------------------------------------------------------------------------------------------
// Threshold and test seam

void EncodingString::SetEUCThreshold(int threshold) {
    gEucThreshold = threshold;
}

int EncodingString::GetEUCThreshold() {
    return gEucThreshold;
}

void EncodingString::SetAutoConvertLevel(int level) {
    static constexpr int kThresholds[] = {1, 3, 8, 20, 0};
    if (level >= 0 && level < 5) gEucThreshold = kThresholds[level];
}

void EncodingString::FailNextReservation() {
    gFailNextReservation = true;
}

#include "encoding/EncodingDetector.h"

#include "encoding/EncodingBytes.h"
#include "encoding/Iso2022JpConverter.h"
#include "support/Log.h"

namespace {

using Byte = EncodingBytes::Byte;

int gEucThreshold = 3;

// The offset of the first byte of 0x80 or above; the text's size when there is none.
size_t FirstHighByte(const std::string& text) {
    const Byte* start = EncodingBytes::Of(text);
    const Byte* in = start;
    const Byte* end = in + text.size();
    while (end - in >= 8 && EncodingBytes::AllBelow80(EncodingBytes::Load8(in))) in += 8;
    while (in < end && *in < 0x80) ++in;
    return static_cast<size_t>(in - start);
}

// The shape of UTF-8: every lead byte followed by the continuation bytes it announces, and at
// least one lead byte. Values are not checked. Bytes below 0x80 pass, so the scan starts at the
// first high byte.
bool LooksLikeUtf8(const std::string& text, size_t firstHigh) {
    const Byte* in = EncodingBytes::Of(text) + firstHigh;
    const Byte* end = EncodingBytes::Of(text) + text.size();
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
// EUC-JP once more EUC-shaped pairs than the threshold came first; 0 when undecided. Bytes up
// to 0x80 are passed over, so the scan starts at the first high byte and steps over runs of
// ASCII a word at a time.
int SjisOrEuc(const std::string& text, size_t firstHigh) {
    const Byte* s = EncodingBytes::Of(text);
    const size_t n = text.size();
    int eucPairs = 0;
    for (size_t i = firstHigh; i + 1 < n; ++i) {
        while (i + 10 <= n && EncodingBytes::AllBelow80(EncodingBytes::Load8(s + i))) i += 8;
        const Byte x = s[i];
        const Byte y = s[i + 1];
        if (x <= 0x80) continue;
        if (EncodingBytes::IsEucKana(x, y) && EncodingBytes::IsSjisPair(x, y)) {
            ++i;
            continue;
        }
        const bool eucPair = EncodingBytes::IsEucPair(x, y);
        if (!eucPair && EncodingBytes::IsHankaku(x)) continue;
        if (eucPair) {
            ++eucPairs;
            if (gEucThreshold != 0 && eucPairs > gEucThreshold) return EncodingDetector::kEUC;
            ++i;
            continue;
        }
        if (EncodingBytes::IsSjisPair(x, y)) return EncodingDetector::kSJIS;
    }
    return 0;
}

}  // namespace

EncodingDetector::Result EncodingDetector::Detect(const std::string& text) {
    LogMessage(LOG_V, "EncodingString::CheckEncodingType 自動判別の開始");
    int result = 0;
    const size_t firstHigh = FirstHighByte(text);
    if (firstHigh < text.size()) {
        if (LooksLikeUtf8(text, firstHigh)) {
            result = kUTF8;
            LogMessage(LOG_V, "EncodingString::CheckEncodingType Unicodeと認識されました。");
        } else {
            result = SjisOrEuc(text, firstHigh);
            if (result == kSJIS) {
                LogMessage(LOG_V, "EncodingString::CheckEncodingType SJISと認識されました。");
            } else if (result == kEUC) {
                LogMessage(LOG_V, "EncodingString::CheckEncodingType EUCと認識されました。");
            } else {
                LogMessage(LOG_V, "EncodingString::CheckEncodingType JISで半角カナが混じっている?");
            }
        }
    }
    if (result == 0) result = Iso2022JpConverter::HasEscape(text) ? kJIS : kPlain;
    LogMessage(LOG_V, "EncodingString::CheckEncodingType 自動判別終了(%d) ", result);
    return static_cast<Result>(result);
}

void EncodingDetector::SetThreshold(int threshold) {
    gEucThreshold = threshold;
}

int EncodingDetector::GetThreshold() {
    return gEucThreshold;
}

void EncodingDetector::SetThresholdFromLevel(int level) {
    static constexpr int kThresholds[] = {1, 3, 8, 20, 0};
    if (level >= 0 && level < 5) gEucThreshold = kThresholds[level];
}

#include "encoding/Utf8Converter.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "encoding/ConversionBuffer.h"
#include "encoding/EncodingBytes.h"
#include "encoding/EncodingTables.h"
#include "encoding/SjisNormaliser.h"
#include "platform/Cp932.h"
#include "platform/SystemError.h"
#include "support/Log.h"
#include "support/QuitRequest.h"
#include "support/UserPrompt.h"

namespace {

using Byte = EncodingBytes::Byte;

void LogPlatformFailure(const char* text, int error) {
    platform::SystemError::SetLast(error);
    LogSystemError(text);
}

// The Shift-JIS of one decoded UTF-8 character into out; false when the platform fails.
bool PutUnit(const std::vector<uint16_t>& table, uint32_t unit, int follow, char*& out) {
    // Beyond U+FFFF there is no Shift-JIS form: the code page's default character.
    const uint16_t sjis = follow <= 2 ? table[unit] : '?';
    if (sjis <= 0xFF) {
        if (sjis != 0) *out++ = static_cast<char>(sjis);
    } else if (sjis < EncodingTables::kUnitComplex) {
        out = EncodingBytes::PutPair(out, sjis);
    } else if (sjis == EncodingTables::kUnitComplex) {
        const char16_t one = static_cast<char16_t>(unit);
        const std::string platform = platform::Cp932::FromUtf16(std::u16string_view(&one, 1));
        const Byte* bytes = EncodingBytes::Of(platform);
        out = SjisNormaliser::Normalise(bytes, bytes + platform.size(), out, false);
    } else {
        return false;
    }
    return true;
}

}  // namespace

void Utf8Converter::ToSjis(std::string& out, const std::string& in) {
    out.clear();
    if (in.empty()) return;
    // Each input byte gives at most two bytes, even through the platform's rare multi-byte forms.
    char* dest = ConversionBuffer::Reserve(out, ConversionBuffer::Bound(in.size(), 2));
    if (dest == nullptr) {
        UserPrompt::Show("EncodingString::ConvertUTF8ToSJIS");
        QuitRequest::Raise();
        return;
    }
    const auto& table = EncodingTables::Get().unitToSjis;
    const Byte* s = EncodingBytes::Of(in);
    const Byte* end = s + in.size();
    while (s < end) {
        const Byte b = *s;
        if (b < 0x80) {
            EncodingBytes::CopyAsciiRun(s, end, dest, false);
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
        if (!PutUnit(table, unit, follow, dest)) {
            out.clear();
            LogPlatformFailure("EncodingString::ConvertUTF82SJIS 変換に失敗しました。", EILSEQ);
            return;
        }
    }
    ConversionBuffer::Finish(out, dest);
}

void Utf8Converter::FromSjis(std::string& out, const std::string& in) {
    out.clear();
    if (in.empty()) return;
    // One byte gives at most three; four spare bytes let table entries be copied whole.
    const size_t size = ConversionBuffer::Bound(in.size(), 3, 4);
    if (size == SIZE_MAX) {
        LogPlatformFailure("EncodingString::ConvertSJIS2UTF8 変換後のサイズが確保できない",
                           EOVERFLOW);
        return;
    }
    char* dest = ConversionBuffer::ReserveOrLog(out, size, "EncodingString::ConvertSJIS2UTF8");
    if (dest == nullptr) {
        UserPrompt::Show("EncodingString::ConvertSJIS2UTF8");
        QuitRequest::Raise();
        return;
    }
    const EncodingTables& tables = EncodingTables::Get();
    const Byte* s = EncodingBytes::Of(in);
    const Byte* end = s + in.size();
    while (s < end) {
        if (*s < 0x80) {
            EncodingBytes::CopyBelow80(s, end, dest);
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
            dest = EncodingBytes::PutUtf8(units, dest);
        } else {
            out.clear();
            LogPlatformFailure("EncodingString::ConvertSJIS2UTF8 変換に失敗しました。", EILSEQ);
            return;
        }
        s += taken;
    }
    ConversionBuffer::Finish(out, dest);
}

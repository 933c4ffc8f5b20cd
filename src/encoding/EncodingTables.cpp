#include "encoding/EncodingTables.h"

#include <string>
#include <string_view>

#include "encoding/EncodingBytes.h"
#include "platform/Cp932.h"

namespace {

using platform::Cp932;

std::string UnitsToUtf8(const std::u16string& units) {
    std::string utf8(units.size() * 3, '\0');
    utf8.resize(static_cast<size_t>(EncodingBytes::PutUtf8(units, utf8.data()) - utf8.data()));
    return utf8;
}

EncodingTables::Utf8Entry MakeUtf8Entry(std::string_view sjis) {
    const std::string utf8 = UnitsToUtf8(Cp932::ToUtf16(sjis));
    EncodingTables::Utf8Entry entry{};
    if (utf8.empty()) {
        entry.length = EncodingTables::kFailed;
    } else if (utf8.size() > sizeof entry.bytes) {
        entry.length = EncodingTables::kComplex;
    } else {
        utf8.copy(entry.bytes, utf8.size());
        entry.length = static_cast<uint8_t>(utf8.size());
    }
    return entry;
}

}  // namespace

const EncodingTables& EncodingTables::Get() {
    static const EncodingTables tables;
    return tables;
}

EncodingTables::EncodingTables() {
    for (int byte = 0xA1; byte <= 0xDF; ++byte) {
        const std::string wide = Cp932::WidenKatakana(static_cast<unsigned char>(byte));
        if (wide.size() == 2) {
            wideKana[byte] = static_cast<uint16_t>((static_cast<unsigned char>(wide[0]) << 8) |
                                                   static_cast<unsigned char>(wide[1]));
        }
    }

    for (int byte = 0; byte < 256; ++byte) {
        const char one = static_cast<char>(byte);
        single[byte] = MakeUtf8Entry(std::string_view(&one, 1));
        if (!Cp932::IsLeadByte(static_cast<unsigned char>(byte))) continue;
        pairs.emplace_back();
        leadRow[byte] = static_cast<uint8_t>(pairs.size());
        for (int trail = 0; trail < 256; ++trail) {
            const char two[2] = {one, static_cast<char>(trail)};
            pairs.back()[trail] = MakeUtf8Entry(std::string_view(two, 2));
        }
    }

    // The platform's Shift-JIS for each unit, normalised as the UTF-8 conversion does: pairs
    // kept, half-width katakana widened, printable ASCII kept, everything else dropped.
    unitToSjis.resize(0x10000);
    for (int unit = 0; unit < 0x10000; ++unit) {
        const char16_t one = static_cast<char16_t>(unit);
        const std::string sjis = Cp932::FromUtf16(std::u16string_view(&one, 1));
        uint16_t value = kUnitComplex;
        if (sjis.empty()) {
            value = kUnitFailed;
        } else if (sjis.size() == 1) {
            const auto byte = static_cast<unsigned char>(sjis[0]);
            if (byte >= 0x20 && byte <= 0x7E) {
                value = byte;
            } else if (byte >= 0xA1 && byte <= 0xDF) {
                value = wideKana[byte];
            } else if (!EncodingBytes::IsSjisLead(byte)) {
                value = 0;  // a lead byte alone would pair with what follows it
            }
        } else if (sjis.size() == 2) {
            const auto lead = static_cast<unsigned char>(sjis[0]);
            const auto trail = static_cast<unsigned char>(sjis[1]);
            if (EncodingBytes::IsSjisLead(lead) && trail >= 0x40 && trail <= 0xFC)
                value = (lead << 8) | trail;
        }
        unitToSjis[unit] = value;
    }
}

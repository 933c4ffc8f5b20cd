#include "encoding/EncodingString.h"

#include "encoding/Base64Codec.h"
#include "encoding/ConversionBuffer.h"
#include "encoding/EncodingDetector.h"
#include "encoding/EucJpConverter.h"
#include "encoding/Iso2022JpConverter.h"
#include "encoding/PercentEncoding.h"
#include "encoding/SjisNormaliser.h"
#include "encoding/Utf8Converter.h"
#include "support/Log.h"

// Each job lives in its own class; this one keeps the interface callers know, passes the flag
// on where a conversion honours it and lets a conversion write over its own input.

namespace {

constexpr bool SameType(EncodingString::Type ours, EncodingDetector::Result detected) {
    return static_cast<int>(ours) == static_cast<int>(detected);
}
static_assert(SameType(EncodingString::kPlain, EncodingDetector::kPlain) &&
              SameType(EncodingString::kSJIS, EncodingDetector::kSJIS) &&
              SameType(EncodingString::kEUC, EncodingDetector::kEUC) &&
              SameType(EncodingString::kUTF8, EncodingDetector::kUTF8) &&
              SameType(EncodingString::kJIS, EncodingDetector::kJIS));

// Runs convert(out, in) on a copy of in when out is in itself.
template <typename Convert>
void Unaliased(std::string& out, const std::string& in, Convert convert) {
    if (&out == &in) {
        const std::string copy(in);
        convert(out, copy);
    } else {
        convert(out, in);
    }
}

}  // namespace

int EncodingString::CheckEncodingType(const std::string& text) {
    return EncodingDetector::Detect(text);
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
// Conversions

void EncodingString::ConvertSJISToUpper(std::string& out, const std::string& in, int flag) {
    Unaliased(out, in, [flag](std::string& o, const std::string& i) {
        SjisNormaliser::Convert(o, i, flag != 0);
    });
}

void EncodingString::ConvertJIS2SJIS(std::string& out, const std::string& in, int flag) {
    Unaliased(out, in, [flag](std::string& o, const std::string& i) {
        Iso2022JpConverter::ToSjis(o, i, flag != 0);
    });
}

void EncodingString::ConvertEUC2SJIS(std::string& out, const std::string& in, int flag) {
    Unaliased(out, in, [flag](std::string& o, const std::string& i) {
        EucJpConverter::ToSjis(o, i, flag != 0);
    });
}

void EncodingString::ConvertUTF82SJIS(std::string& out, const std::string& in, int /*flag*/) {
    Unaliased(out, in, Utf8Converter::ToSjis);
}

void EncodingString::ConvertSJIS2UTF8(std::string& out, const std::string& in, int /*flag*/) {
    Unaliased(out, in, Utf8Converter::FromSjis);
}

void EncodingString::ConvertSJIS2EUC(std::string& out, const std::string& in, int flag) {
    Unaliased(out, in, [flag](std::string& o, const std::string& i) {
        EucJpConverter::FromSjis(o, i, flag != 0);
    });
}

std::string EncodingString::EncodeURLEUC(const std::string& in) {
    std::string euc;
    EucJpConverter::FromSjis(euc, in, false);
    return PercentEncoding::EncodeHighBytes(euc);
}

bool EncodingString::HasHankakuKana(const std::string& in) {
    return SjisNormaliser::HasHankakuKana(in);
}

std::string EncodingString::EncodeBase64(const std::string& in) {
    return Base64Codec::Encode(in);
}

std::string EncodingString::DecodeBase64(const std::string& in) {
    return Base64Codec::Decode(in);
}

// ---------------------------------------------------------------------------------------------
// Threshold and test seam

void EncodingString::SetEUCThreshold(int threshold) {
    EncodingDetector::SetThreshold(threshold);
}

int EncodingString::GetEUCThreshold() {
    return EncodingDetector::GetThreshold();
}

void EncodingString::SetAutoConvertLevel(int level) {
    EncodingDetector::SetThresholdFromLevel(level);
}

void EncodingString::FailNextReservation() {
    ConversionBuffer::FailNextReservation();
}

#pragma once

#include <string>

#include "encoding/EncodingBytes.h"

// Shift-JIS normalisation: pairs are kept, half-width katakana widened, printable ASCII kept
// (upper-cased on request), control and stray bytes dropped.
class SjisNormaliser {
public:
    static void Convert(std::string& out, const std::string& in, bool upper);
    // Normalises [in, end) into out, which has room for two bytes per input byte; returns the
    // end of what was written.
    static char* Normalise(const EncodingBytes::Byte* in, const EncodingBytes::Byte* end, char* out,
                           bool upper);
    // Whether a Shift-JIS text holds any half-width katakana.
    static bool HasHankakuKana(const std::string& in);
};

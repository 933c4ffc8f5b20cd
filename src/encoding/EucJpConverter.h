#pragma once

#include <string>

// EUC-JP to and from Shift-JIS. Only JIS X 0208 pairs and half-width katakana convert; the
// three-byte JIS X 0212 form and any byte that is not printable are dropped.
class EucJpConverter {
public:
    // Half-width katakana become full-width pairs; upper asks for upper-case ASCII letters.
    static void ToSjis(std::string& out, const std::string& in, bool upper);
    // Half-width katakana keep their 0x8E form.
    static void FromSjis(std::string& out, const std::string& in, bool upper);
};

#pragma once

#include <string>

// UTF-8 to and from Shift-JIS (code page 932), through tables derived from the platform's
// conversions; the rare characters the tables cannot hold go to the platform itself. Running
// out of memory here is fatal: the user is told and the program asked to quit.
class Utf8Converter {
public:
    // The Shift-JIS is normalised; a malformed sequence ends the text.
    static void ToSjis(std::string& out, const std::string& in);
    static void FromSjis(std::string& out, const std::string& in);
};

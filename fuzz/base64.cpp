// Base64: any text decodes without harm, and any bytes without a zero byte come back from their
// encoding unchanged.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/FuzzSystem.h"
#include "encoding/EncodingString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::Bytes(data, size));
    EncodingString encoding;
    encoding.DecodeBase64(text);

    const std::string bytes = text.substr(0, text.find('\0'));
    if (encoding.DecodeBase64(encoding.EncodeBase64(bytes)) != bytes) __builtin_trap();
    return 0;
}

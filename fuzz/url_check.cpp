// The URL check every bookmark address goes through.

#include <cstddef>
#include <cstdint>

#include "common/FuzzSystem.h"
#include "platform/UrlCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::UrlCheck::IsValid(fuzz::Bytes(data, size));
    return 0;
}

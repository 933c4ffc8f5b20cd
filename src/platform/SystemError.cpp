#include "platform/SystemError.h"

#include <cstring>

namespace platform {

namespace {
thread_local int lastError = 0;
}

int SystemError::Last() {
    return lastError;
}

void SystemError::SetLast(int error) {
    lastError = error;
}

std::string SystemError::Text(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not live in the buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    if (!text) return {};
    // A code the system does not know has no text, as FormatMessage fails on it.
    if (std::strncmp(text, "Unknown error", 13) == 0) return {};
    return text;
}

}  // namespace platform

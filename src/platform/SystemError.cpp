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
    if (error == 0) return {};
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not live in the buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

}  // namespace platform

#include "encoding/ConversionBuffer.h"

#include <climits>
#include <new>

#include "support/Log.h"

namespace {

bool gFailNextReservation = false;

}  // namespace

char* ConversionBuffer::Reserve(std::string& out, size_t size) {
    out.clear();
    if (gFailNextReservation) {
        gFailNextReservation = false;
        return nullptr;
    }
    if (size > out.max_size()) return nullptr;
    try {
        out.resize(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return out.data();
}

char* ConversionBuffer::ReserveOrLog(std::string& out, size_t size, const char* who) {
    char* dest = Reserve(out, size);
    if (dest == nullptr) LogMessage(LOG_E, "%s heap get error[%d]", who, LoggedSize(size));
    return dest;
}

int ConversionBuffer::LoggedSize(size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

void ConversionBuffer::FailNextReservation() {
    gFailNextReservation = true;
}

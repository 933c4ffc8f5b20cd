#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The output string of a conversion, sized once before the bytes are written through a pointer
// and cut to what was written afterwards. A reservation that fails leaves the output empty.
class ConversionBuffer {
public:
    // Empties out and gives it room for size bytes; null when memory runs out.
    static char* Reserve(std::string& out, size_t size);
    // As Reserve, and logs "<who> heap get error[<size>]" when memory runs out.
    static char* ReserveOrLog(std::string& out, size_t size, const char* who);
    // Cuts out to the bytes written up to end.
    static void Finish(std::string& out, const char* end) {
        out.resize(static_cast<size_t>(end - out.data()));
    }
    // Room for factor bytes per input byte and some slack; SIZE_MAX when that overflows.
    static size_t Bound(size_t inputSize, size_t factor, size_t slack = 0) {
        if (inputSize > (SIZE_MAX - slack) / factor) return SIZE_MAX;
        return inputSize * factor + slack;
    }
    // A size as the logs show it.
    static int LoggedSize(size_t size);

    // Test seam: the next reservation fails as if memory ran out.
    static void FailNextReservation();
};

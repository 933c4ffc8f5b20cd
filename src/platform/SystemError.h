#pragma once

#include <string>

namespace platform {

// The calling thread's last system error, as Windows keeps it: every failing platform call
// stores the errno of the failed system call here, and the log reads it back.
class SystemError {
public:
    static int Last();
    static void SetLast(int error);
    // The system's description of an error code (strerror); empty for a code the system does
    // not know.
    static std::string Text(int error);
};

}  // namespace platform

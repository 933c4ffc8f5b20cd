#pragma once

#include <string>

namespace platform {

// Lets tests make one file operation on one path fail with a chosen errno, since as root
// permission-based failures never happen. Each armed fault fires once and is then removed.
class FaultSeam {
public:
    enum class Operation { Open, Write, Close, Rename, Delete, CreateFolder };

    // Arms a fault: the next `operation` on the internal path `path` fails with `error`.
    static void FailNext(Operation operation, const std::string& path, int error);
    static void Clear();

    // Called by the platform before each operation with the native path: true (and errno set)
    // when an armed fault fires.
    static bool ShouldFail(Operation operation, const std::string& nativePath);
};

}  // namespace platform

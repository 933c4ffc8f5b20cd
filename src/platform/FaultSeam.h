#pragma once

#include <functional>
#include <string>

namespace platform {

// Lets tests make one file operation on one path fail with a chosen errno, since as root
// permission-based failures never happen, or run an action (another process changing the file)
// right before it. Each armed fault fires once and is then removed.
class FaultSeam {
public:
    enum class Operation { Open, Read, Write, Close, Rename, Delete, CreateFolder };

    // Arms a fault: the next `operation` on the internal path `path` fails with `error`.
    static void FailNext(Operation operation, const std::string& path, int error);
    // Arms an action: it runs right before the next `operation` on `path`, which then proceeds.
    static void RunBeforeNext(Operation operation, const std::string& path,
                              std::function<void()> action);
    static void Clear();

    // Called by the platform before each operation with the native path: true (and errno set)
    // when an armed fault fires.
    static bool ShouldFail(Operation operation, const std::string& nativePath);
};

}  // namespace platform

#pragma once

namespace platform {

// Facts about the standard streams of the process.
class Console {
public:
    // Whether standard error is a terminal (a person watching), not a file or a pipe.
    static bool ErrorIsTerminal();
};

}  // namespace platform

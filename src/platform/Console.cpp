#include "platform/Console.h"

#include <unistd.h>

namespace platform {

bool Console::ErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace platform

#pragma once

#include <string>

// Starting other programs on behalf of the user.
namespace SystemCommand {

// Opens the folder in the desktop's file manager, quoted unless it already carries a double
// quote at both ends, without waiting for it. Returns 0 in every case: a folder that cannot be
// opened is visible only in the log.
int ExplorerExecution(const std::string& folder);

}  // namespace SystemCommand

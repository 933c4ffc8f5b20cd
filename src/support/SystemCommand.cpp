#include "support/SystemCommand.h"

#include "platform/FolderOpener.h"
#include "platform/PathMap.h"
#include "support/Log.h"

namespace SystemCommand {

namespace {

std::string Quoted(const std::string& folder) {
    // A double quote is neither a lead nor a trail byte, so the ends can be tested byte-wise.
    if (folder.size() >= 1 && folder.front() == '"' && folder.back() == '"') return folder;
    return "\"" + folder + "\"";
}

}  // namespace

int ExplorerExecution(const std::string& folder) {
    if (platform::PathMap::CurrentFolder().empty()) return 0;
    const std::string quoted = Quoted(folder);
    const std::string commandLine = "explorer " + quoted;
    // The opener takes the folder as its one argument, so the quotes never reach it.
    platform::FolderOpener::Open(quoted);
    LogMessage(LOG_D, "SystemCommand::ExplorerExecution [%s][search = %s][work = %s]",
               commandLine.c_str(), folder.c_str(), quoted.c_str());
    return 0;
}

}  // namespace SystemCommand

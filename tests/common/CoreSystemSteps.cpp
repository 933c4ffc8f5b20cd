// The core's part of every emulated system: the log level, the quit request and the working
// folder (C:\Pennawick\) are pinned for each test and reset after it.
#include <string>

#include "EmulatedSystem.h"
#include "support/CommonTools.h"
#include "support/Log.h"
#include "support/QuitRequest.h"

namespace {

void SetUpCore() {
    SetLogLevel(LOG_I);
    QuitRequest::Clear();
    CommonTools::InitializeWorkingFolder(std::string(EmulatedSystem::kWorkingFolder) +
                                         "pennawick.exe");
}

void TearDownCore() {
    SetLogLevel(LOG_I);
    QuitRequest::Clear();
}

[[maybe_unused]] const bool registered = (AddEmulatedSystemSteps(SetUpCore, TearDownCore), true);

}  // namespace

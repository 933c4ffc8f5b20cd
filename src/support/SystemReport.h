#pragma once

#include <string>

#include "platform/SystemNotices.h"

// Tells about the problems the platform met while reading the Windows system: each notice is
// logged (level E or W), and the errors met before the first page are also shown to the user.
class SystemReport {
public:
    // Logs every waiting notice and shows each error one message box; from then on each new
    // notice is logged as it comes.
    static void ReportWaiting();
    // The notice in words for the user (internal text).
    static std::string Text(const platform::SystemNotice& notice);
};

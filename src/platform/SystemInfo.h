#pragma once

#include <string>

namespace platform {

// Facts about the running system that Windows programs ask for.
class SystemInfo {
public:
    // Full internal path of the running program file (GetModuleFileName).
    static std::string ExecutablePath();
    // The logon user name (GetUserName): the POSIX user name, unless a test pinned one.
    static std::string LogonUser();
    static void PinLogonUser(const std::string& name);
    static void UnpinLogonUser();
    // The Windows folder: always C:\windows.
    static std::string WindowsFolder();
};

}  // namespace platform

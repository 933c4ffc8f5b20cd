#pragma once

#include <string>

namespace platform {

// Facts about the running system that Windows programs ask for.
class SystemInfo {
public:
    // Full internal path of the running program file (GetModuleFileName).
    static std::string ExecutablePath();
    // The logon user name (GetUserName): the profile's of a Windows drive; else the POSIX user
    // name, unless a test pinned one.
    static std::string LogonUser();
    static void PinLogonUser(const std::string& name);
    static void UnpinLogonUser();
    // The Windows folder: C:\windows in a Wine prefix; on a Windows drive its own (C:\WINDOWS).
    static std::string WindowsFolder();
};

}  // namespace platform

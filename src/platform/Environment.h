#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Outcome of reading a user shell folder.
enum class ShellFolderRead {
    Found,    // the folder, expanded
    NoKey,    // HKEY_CURRENT_USER\...\Explorer\User Shell Folders cannot be opened
    NoValue,  // the key has no such value (or it is not a string)
    TooLong,  // the value or its expansion does not fit in the limit
};

// Environment variables of the emulated Windows system. A name is looked up, without regard to
// ASCII case, in HKEY_CURRENT_USER\Environment, then in the Session Manager\Environment key of
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control (REG_EXPAND_SZ values expanded), then
// in the system's defaults (for Wine USERPROFILE = C:\users\<logon user>, APPDATA, windir,
// SystemRoot, ...; for a Windows drive those of the chosen profile), and only then, for Wine, in
// the process environment (converted from UTF-8).
class Environment {
public:
    // GetEnvironmentVariable: false when the name is unset.
    static bool Get(std::string_view name, std::string& value);

    // ExpandEnvironmentStrings: each %NAME% of a set name is replaced by its value; an unset name
    // stays as it stands. The text is scanned once: values are not expanded again.
    static std::string Expand(std::string_view text);
    // The same with the caller's buffer size in bytes (terminating zero included): false, and
    // `out` empty, when the expansion does not fit.
    static bool Expand(std::string_view text, size_t limit, std::string& out);

    // A user shell folder ("Favorites", "AppData", ...): the value of that name under
    // HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders,
    // read and expanded with the caller's limit (as the adapters do, 260 bytes).
    static ShellFolderRead UserShellFolder(std::string_view name, size_t limit, std::string& path);
};

}  // namespace platform

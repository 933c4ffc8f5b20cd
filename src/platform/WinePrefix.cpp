#include "platform/WinePrefix.h"

#include <limits.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/Prefix.h"
#include "platform/SystemInfo.h"

namespace platform {

namespace {

bool IsFolder(const std::string& native) {
    struct stat info {};
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string RealPath(const std::string& native) {
    char buffer[PATH_MAX];
    if (!realpath(native.c_str(), buffer)) return {};
    return buffer;
}

}  // namespace

std::array<std::string, 26> WinePrefix::Drives() const {
    std::array<std::string, 26> roots;
    const std::string prefix = Prefix::Root();
    const std::string devices = prefix.empty() ? std::string() : prefix + "/dosdevices";
    if (!devices.empty() && IsFolder(devices)) {
        for (int letter = 0; letter < 26; ++letter) {
            std::string link = devices + "/" + static_cast<char>('a' + letter) + ":";
            if (IsFolder(link)) roots[letter] = RealPath(link);
        }
        return roots;
    }
    if (!prefix.empty() && IsFolder(prefix + "/drive_c"))
        roots['c' - 'a'] = RealPath(prefix + "/drive_c");
    roots['z' - 'a'].assign(1, '/');
    return roots;
}

RegistrySource WinePrefix::Registry(RegistryRoot root) const {
    const std::string prefix = Prefix::Root();
    if (prefix.empty()) return {};
    const char* name = root == RegistryRoot::CurrentUser ? "/user.reg" : "/system.reg";
    RegistrySource source;
    source.format = RegistrySource::Format::WineText;
    source.file = prefix + name;
    return source;
}

std::string WinePrefix::WindowsFolder() const {
    return "C:\\windows";
}

std::string WinePrefix::LogonUser() const {
    return {};
}

std::vector<std::pair<std::string, std::string>> WinePrefix::DefaultEnvironment() const {
    const std::string user = SystemInfo::LogonUser();
    const std::string windows = WindowsFolder();
    const std::string programFiles =
        Registry::IsWin64() ? "C:\\Program Files (x86)" : "C:\\Program Files";
    return {
        {"USERPROFILE", "C:\\users\\" + user},
        {"USERNAME", user},
        {"HOMEDRIVE", "C:"},
        {"HOMEPATH", "\\users\\" + user},
        {"APPDATA", "%USERPROFILE%\\AppData\\Roaming"},
        {"LOCALAPPDATA", "%USERPROFILE%\\AppData\\Local"},
        {"TEMP", "%USERPROFILE%\\AppData\\Local\\Temp"},
        {"TMP", "%USERPROFILE%\\AppData\\Local\\Temp"},
        {"ALLUSERSPROFILE", "C:\\ProgramData"},
        {"ProgramData", "C:\\ProgramData"},
        {"PUBLIC", "C:\\users\\Public"},
        {"SystemDrive", "C:"},
        {"SystemRoot", windows},
        {"windir", windows},
        {"ComSpec", windows + "\\system32\\cmd.exe"},
        {"ProgramFiles", programFiles},
        {"CommonProgramFiles", programFiles + "\\Common Files"},
        {"OS", "Windows_NT"},
    };
}

bool WinePrefix::InheritsProcessEnvironment() const {
    return true;
}

}  // namespace platform

#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace platform {

// Where a registry root is read from.
struct RegistrySource {
    enum class Format {
        None,      // no file: an empty registry
        WineText,  // Wine's text format (user.reg, system.reg)
        Hive,      // a binary hive file (NTUSER.DAT, system32\config\software)
    };
    Format format = Format::None;
    std::string file;   // native path
    std::string mount;  // the key path the file's root stands for ("SOFTWARE"); empty for the root
    std::string name;   // the file as an internal path, for notices about it
    bool verbose = false;  // let the hive reader print its own diagnostics
};

// The Windows system the program reads: the Wine prefix (WinePrefix) or the drive of a Windows
// installation (WindowsRoot). The registry, the environment, the drive map and the system facts
// ask the current one, so nothing above the platform knows which kind it is.
class SystemSource {
public:
    virtual ~SystemSource() = default;

    // Native root of each drive letter a-z, without a trailing slash ("/" for the file system's
    // root); empty when the drive is not mapped.
    virtual std::array<std::string, 26> Drives() const = 0;
    virtual RegistrySource Registry(RegistryRoot root) const = 0;
    // The Windows folder as an internal path (C:\windows).
    virtual std::string WindowsFolder() const = 0;
    // The logon user the system itself fixes (internal text); empty when it is the one running
    // the program.
    virtual std::string LogonUser() const = 0;
    // The variables the system sets up for a process when the registry does not name them, as
    // unexpanded text (values may name other variables).
    virtual std::vector<std::pair<std::string, std::string>> DefaultEnvironment() const = 0;
    // Whether the process's own environment stands behind the system's.
    virtual bool InheritsProcessEnvironment() const = 0;

    // The system read now: the one selected, else the Wine prefix.
    static std::shared_ptr<const SystemSource> Current();
    // Reads `source` from now on (null: the Wine prefix again) and forgets every cached fact.
    static void Select(std::shared_ptr<const SystemSource> source);
};

}  // namespace platform

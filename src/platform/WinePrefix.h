#pragma once

#include "platform/SystemSource.h"

namespace platform {

// The Wine prefix (Prefix::Root()): the registry in user.reg and system.reg, the drives in
// dosdevices/ (without it C: = drive_c and Z: = /), the Windows folder C:\windows and the
// environment Wine sets up for the user running the program.
class WinePrefix : public SystemSource {
public:
    std::array<std::string, 26> Drives() const override;
    RegistrySource Registry(RegistryRoot root) const override;
    std::string WindowsFolder() const override;
    std::string LogonUser() const override;
    std::vector<std::pair<std::string, std::string>> DefaultEnvironment() const override;
    bool InheritsProcessEnvironment() const override;
};

}  // namespace platform

#pragma once

#include <string>
#include <vector>

#include "platform/SystemSource.h"

namespace platform {

// What the user gave to read a Windows drive: native paths and names in UTF-8, as the command
// line has them.
struct WindowsRootOptions {
    std::string root;                 // the folder that was drive C:
    std::string user;                 // profile folder name; empty: the drive's only profile
    std::vector<std::string> drives;  // further drives, each "X:=DIR"
    bool verbose = false;             // let the hive reader print its diagnostics
};

// The drive C: of a Windows installation (XP, 2000, Vista or later) as it lies on disk: a
// mounted partition or image, or a copy. Drive C: is the root (Z: is the file system's root
// unless a drive option maps it), every name is found without regard to case, the Windows
// folder is the root's folder holding system32, HKEY_CURRENT_USER comes from the profile's
// NTUSER.DAT, HKEY_LOCAL_MACHINE\SOFTWARE from <Windows folder>\system32\config\software, and
// the environment is the one Windows builds at logon for that profile. Nothing below the root is
// ever written.
class WindowsRoot : public SystemSource {
public:
    // The user profiles on the drive, sorted: the folders of Users and Documents and Settings
    // but the system's own (All Users, Default User, Default, Public, LocalService,
    // NetworkService). UTF-8 folder names.
    static std::vector<std::string> Users(const std::string& root);

    // Reads the drive from now on. Empty when it is selected; else the reason it is not (internal
    // text, for the user), and the system read stays as it was. Problems that leave something to
    // read (no Windows folder, no profile, no NTUSER.DAT, a refused or dirty hive) select the
    // drive and wait as SystemNotices.
    static std::string Use(const WindowsRootOptions& options);
    // Reads the Wine prefix again.
    static void UseWinePrefix();

    std::array<std::string, 26> Drives() const override;
    RegistrySource Registry(RegistryRoot root) const override;
    std::string WindowsFolder() const override;
    std::string LogonUser() const override;
    std::vector<std::pair<std::string, std::string>> DefaultEnvironment() const override;
    bool InheritsProcessEnvironment() const override;

private:
    std::array<std::string, 26> drives_;
    std::string windowsFolder_ = "C:\\WINDOWS";  // internal
    std::string softwareHive_;                   // native; empty without a Windows folder
    std::string softwareHiveName_;               // internal
    std::string profilesFolder_;                 // internal, "C:\Documents and Settings"
    bool vistaLayout_ = false;
    std::string user_;          // internal
    std::string userHive_;      // native; empty without NTUSER.DAT
    std::string userHiveName_;  // internal
    bool verbose_ = false;
};

}  // namespace platform

// Wine registry files: the input becomes both user.reg and system.reg; then the keys and values
// the program reads are looked up, as the Internet Explorer adapter does at start-up and as the
// environment expansion does for the user shell folders.

#include <cstddef>
#include <cstdint>
#include <string>

#include "browsers/MSBrowser.h"
#include "common/FuzzSystem.h"
#include "platform/Environment.h"
#include "platform/Registry.h"

using platform::RegistryRoot;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string_view input = fuzz::Bytes(data, size);
    system.WriteRegistry(input, input);

    platform::Registry::IsWin64();
    MSBrowser browser;
    browser.Initialize();
    fuzz::ReadValues(RegistryRoot::CurrentUser,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     {"Favorites", "AppData", "Personal"});
    fuzz::ReadValues(RegistryRoot::LocalMachine, "Software\\Netscape\\Netscape Navigator",
                     {"", "CurrentVersion"});
    fuzz::ReadValues(RegistryRoot::LocalMachine, "SOFTWARE\\Mozilla\\Mozilla", {"CurrentVersion"});
    fuzz::ReadValues(RegistryRoot::CurrentUser, "Environment", {"TEMP", "PATH"});
    std::string path;
    platform::Environment::UserShellFolder("AppData", 260, path);
    platform::Environment::Expand("%USERPROFILE%\\%APPDATA%\\%TEMP%\\%windir%\\%PATH%");
    return 0;
}

// Wine registry files: the input becomes both user.reg and system.reg; then the keys and values
// the program reads are looked up, as the Internet Explorer adapter does at start-up and as the
// environment expansion does for the user shell folders.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "browsers/MSBrowser.h"
#include "common/FuzzSystem.h"
#include "platform/Environment.h"
#include "platform/Registry.h"

namespace {

using platform::RegistryRoot;

void ReadValues(RegistryRoot root, const char* path, std::initializer_list<const char*> names) {
    platform::RegistryKey key;
    if (!platform::Registry::OpenKey(root, path, key)) return;
    std::string value;
    for (const char* name : names) {
        key.ReadString(name, 260, value);
        key.ReadString(name, 1 << 20, value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string_view input = fuzz::Bytes(data, size);
    system.WriteRegistry(input, input);

    platform::Registry::IsWin64();
    MSBrowser browser;
    browser.Initialize();
    ReadValues(RegistryRoot::CurrentUser,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
               {"Favorites", "AppData", "Personal"});
    ReadValues(RegistryRoot::LocalMachine, "Software\\Netscape\\Netscape Navigator",
               {"", "CurrentVersion"});
    ReadValues(RegistryRoot::LocalMachine, "SOFTWARE\\Mozilla\\Mozilla", {"CurrentVersion"});
    ReadValues(RegistryRoot::CurrentUser, "Environment", {"TEMP", "PATH"});
    std::string path;
    platform::Environment::UserShellFolder("AppData", 260, path);
    platform::Environment::Expand("%USERPROFILE%\\%APPDATA%\\%TEMP%\\%windir%\\%PATH%");
    return 0;
}

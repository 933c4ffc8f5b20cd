// Netscape profile lists: the input becomes both "nsreg.dat" in the Windows folder and the
// Mozilla "registry.dat" below the user's application data, and the Netscape 4.x and 6.x
// adapters then look for their profiles as at start-up. The registry names both installations,
// and C:\Profiles\fuzzer\ holds a complete profile, so a list naming it yields one.

#include <cstddef>
#include <cstdint>
#include <string>

#include "browsers/NNProfileFinder.h"
#include "browsers/NNV4Browser.h"
#include "browsers/NNV6Browser.h"
#include "common/FuzzSystem.h"

namespace {

const char* const kMachine =
    "[Software\\\\Netscape\\\\Netscape Navigator] 0\n\"CurrentVersion\"=\"4.7\"\n"
    "[Software\\\\Netscape\\\\Netscape Navigator\\\\4.7\\\\Main] 0\n"
    "\"Install Directory\"=\"C:\\\\Netscape\"\n"
    "[Software\\\\Netscape\\\\Netscape 6] 0\n\"CurrentVersion\"=\"6.2\"\n"
    "[Software\\\\Netscape\\\\Netscape 6\\\\6.2\\\\Main] 0\n"
    "\"PathToExe\"=\"C:\\\\Netscape 6\\\\netscp6.exe\"\n";
const char* const kUser =
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] 0\n"
    "\"AppData\"=\"C:\\\\users\\\\fuzzer\\\\AppData\"\n";

void Prepare(const fuzz::FuzzSystem& system) {
    const std::string header = "WINE REGISTRY Version 2\n\n";
    system.WriteRegistry(header + kUser, header + kMachine);
    const std::string profile = "C:\\Profiles\\fuzzer\\";
    system.WriteFile(profile + "bookmark.htm", "<DL><p>\n</DL>\n");
    system.WriteFile(profile + "bookmarks.html", "<DL><p>\n</DL>\n");
    system.WriteFile(profile + "prefs.js",
                     "user_pref(\"network.proxy.http\", \"proxy\");\n"
                     "user_pref(\"network.proxy.http_port\", 8080);\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    static const bool prepared = (Prepare(system), true);
    (void)prepared;
    system.WriteFile("C:\\windows\\nsreg.dat", fuzz::Bytes(data, size));
    system.WriteFile("C:\\users\\fuzzer\\AppData\\Mozilla\\registry.dat", fuzz::Bytes(data, size));

    NNV4Browser netscape4;
    netscape4.Initialize();
    NNV6Browser netscape6;
    netscape6.Initialize();
    return 0;
}

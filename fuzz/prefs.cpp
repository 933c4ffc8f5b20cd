// Netscape and Mozilla "prefs.js": the input is read for its proxy settings as each profile's
// file is at start-up, and its path for the user name.

#include <cstddef>
#include <cstdint>
#include <string>

#include "browsers/BrowserProfile.h"
#include "browsers/NNProfileFinder.h"
#include "common/FuzzSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string path = "C:\\Profiles\\fuzzer\\prefs.js";
    system.WriteFile(path, fuzz::Bytes(data, size));

    BrowserProfile profile;
    NNProfileFinder::ReadProxy(path, profile);
    NNProfileFinder::ProfileName(path, 3);
    return 0;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/Registry.h"

// A temporary emulated Windows system shared by every execution of one fuzz target: a
// Wine-prefix-shaped folder with drive_c, the logon user, the clock and the working folder
// pinned, and the log switched off (PENNAWICK_FUZZ_LOG=<level> switches it on, to fuzz the log
// lines too). The folder is removed when the process ends normally.
namespace fuzz {

class FuzzSystem {
public:
    // The system, created on first use.
    static FuzzSystem& Get();

    // Native path of an internal one.
    std::string Native(const std::string& internal) const;
    // Writes bytes to an internal path, creating its folders.
    void WriteFile(const std::string& internal, std::string_view bytes) const;
    // Removes an internal folder with its contents and creates it empty.
    void EmptyFolder(const std::string& internal) const;
    // Replaces user.reg and system.reg and makes the platform read them again.
    void WriteRegistry(std::string_view userReg, std::string_view systemReg) const;

private:
    FuzzSystem();
    std::string root_;
};

// Opens a registry key and reads each named value with the adapters' limit and with a large one,
// as the adapters and the environment do.
void ReadValues(platform::RegistryRoot root, const char* path,
                std::initializer_list<const char*> names);

// The input as text.
inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace fuzz

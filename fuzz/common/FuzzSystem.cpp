#include "common/FuzzSystem.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/Clock.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "platform/SystemInfo.h"
#include "support/CommonTools.h"
#include "support/Log.h"

namespace fs = std::filesystem;

namespace fuzz {

namespace {

std::string& RootToRemove() {
    static std::string root;
    return root;
}

void RemoveRoot() {
    std::error_code error;
    if (!RootToRemove().empty()) fs::remove_all(RootToRemove(), error);
}

void WriteBytes(const fs::path& native, std::string_view bytes) {
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

FuzzSystem& FuzzSystem::Get() {
    static FuzzSystem system;
    return system;
}

FuzzSystem::FuzzSystem() {
    std::string pattern = (fs::temp_directory_path() / "pennawick-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    RootToRemove() = root_;
    std::atexit(RemoveRoot);

    fs::create_directories(fs::path(root_) / "drive_c" / "users" / "fuzzer");
    fs::create_directories(fs::path(root_) / "drive_c" / "windows");
    fs::create_directories(fs::path(root_) / "drive_c" / "Pennawick");
    setenv("WINEPREFIX", root_.c_str(), 1);
    setenv("TZ", "JST-9", 1);
    tzset();
    platform::Prefix::Reset();
    platform::Clock::Pin(1796698800, 0);
    platform::SystemInfo::PinLogonUser("fuzzer");
    CommonTools::InitializeWorkingFolder("C:\\Pennawick\\pennawick.exe");
    const char* level = std::getenv("PENNAWICK_FUZZ_LOG");
    SetLogLevel(level != nullptr ? static_cast<unsigned>(std::atoi(level)) : LOG_N);
    WriteRegistry("", "");
}

std::string FuzzSystem::Native(const std::string& internal) const {
    return platform::PathMap::ToNative(internal);
}

void FuzzSystem::WriteFile(const std::string& internal, std::string_view bytes) const {
    const fs::path native = Native(internal);
    fs::create_directories(native.parent_path());
    WriteBytes(native, bytes);
}

void FuzzSystem::EmptyFolder(const std::string& internal) const {
    const fs::path native = Native(internal);
    std::error_code error;
    fs::remove_all(native, error);
    fs::create_directories(native);
}

void FuzzSystem::WriteRegistry(std::string_view userReg, std::string_view systemReg) const {
    WriteBytes(fs::path(root_) / "user.reg", userReg);
    WriteBytes(fs::path(root_) / "system.reg", systemReg);
    platform::Prefix::Reset();
}

void ReadValues(platform::RegistryRoot root, const char* path,
                std::initializer_list<const char*> names) {
    platform::RegistryKey key;
    if (!platform::Registry::OpenKey(root, path, key)) return;
    std::string value;
    for (const char* name : names) {
        key.ReadString(name, 260, value);
        key.ReadString(name, 1 << 20, value);
    }
}

}  // namespace fuzz

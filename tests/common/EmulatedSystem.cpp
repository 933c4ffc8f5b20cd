#include "EmulatedSystem.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/FaultSeam.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "platform/SystemInfo.h"
#include "platform/SystemNotices.h"
#include "platform/WindowsRoot.h"

namespace fs = std::filesystem;

namespace {

std::string MakeTemporaryFolder() {
    std::random_device device;
    std::mt19937_64 random(device());
    for (;;) {
        fs::path candidate =
            fs::temp_directory_path() / ("pennawick-test-" + std::to_string(random() % 1000000000));
        std::error_code error;
        if (fs::create_directory(candidate, error)) return candidate.string();
    }
}

void SaveVariable(const char* name, std::string& saved, bool& had) {
    const char* value = std::getenv(name);
    had = value != nullptr;
    if (had) saved = value;
}

void RestoreVariable(const char* name, const std::string& saved, bool had) {
    if (had)
        setenv(name, saved.c_str(), 1);
    else
        unsetenv(name);
}

std::vector<std::pair<EmulatedSystemStep, EmulatedSystemStep>>& Steps() {
    static std::vector<std::pair<EmulatedSystemStep, EmulatedSystemStep>> steps;
    return steps;
}

}  // namespace

// Each test starts without the notices and the notice listener of the tests before it.
static void ForgetNotices() {
    platform::SystemNotices::Listen(nullptr);
    platform::SystemNotices::Take();
}

EmulatedSystem::EmulatedSystem() {
    root_ = MakeTemporaryFolder();
    fs::create_directories(fs::path(root_) / "drive_c" / "users" / kUser);
    fs::create_directories(fs::path(root_) / "drive_c" / "windows");
    fs::create_directories(fs::path(root_) / "drive_c" / "Pennawick");
    // The working folder holds the portable marker, so that the program's own files stay in it.
    std::ofstream(fs::path(root_) / "drive_c" / "Pennawick" / "portable");
    fs::create_directories(fs::path(root_) / "dosdevices");
    fs::create_directory_symlink("../drive_c", fs::path(root_) / "dosdevices" / "c:");
    fs::create_directory_symlink("/", fs::path(root_) / "dosdevices" / "z:");

    SaveVariable("WINEPREFIX", savedPrefix_, hadPrefix_);
    SaveVariable("TZ", savedTz_, hadTz_);
    setenv("WINEPREFIX", root_.c_str(), 1);
    // A program folder without the marker keeps its files below the user's folders: these are
    // inside the system, never the real ones.
    for (size_t i = 0; i < kUserFolderVariables.size(); ++i) {
        SaveVariable(kUserFolderVariables[i], savedUserFolders_[i], hadUserFolders_[i]);
        setenv(kUserFolderVariables[i], (root_ + "/linux/" + kUserFolderVariables[i]).c_str(), 1);
    }
    setenv("TZ", "JST-9", 1);
    tzset();

    platform::WindowsRoot::UseWinePrefix();
    ForgetNotices();
    platform::FaultSeam::Clear();
    platform::Clock::Pin(kNow, 0);
    platform::SystemInfo::PinLogonUser(kUser);
    for (const auto& [setUp, tearDown] : Steps()) setUp();
    WriteRegistry();
}

EmulatedSystem::~EmulatedSystem() {
    platform::FaultSeam::Clear();
    platform::Clock::Unpin();
    platform::SystemInfo::UnpinLogonUser();
    for (auto step = Steps().rbegin(); step != Steps().rend(); ++step) step->second();
    RestoreVariable("WINEPREFIX", savedPrefix_, hadPrefix_);
    RestoreVariable("TZ", savedTz_, hadTz_);
    for (size_t i = 0; i < kUserFolderVariables.size(); ++i) {
        RestoreVariable(kUserFolderVariables[i], savedUserFolders_[i], hadUserFolders_[i]);
    }
    tzset();
    platform::WindowsRoot::UseWinePrefix();
    ForgetNotices();
    std::error_code error;
    fs::remove_all(root_, error);
}

void AddEmulatedSystemSteps(EmulatedSystemStep setUp, EmulatedSystemStep tearDown) {
    Steps().emplace_back(setUp, tearDown);
}

std::string EmulatedSystem::Native(const std::string& internal) const {
    return platform::PathMap::ToNative(internal);
}

void EmulatedSystem::WriteFile(const std::string& internal, std::string_view bytes) const {
    fs::path native = Native(internal);
    fs::create_directories(native.parent_path());
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string EmulatedSystem::ReadFile(const std::string& internal) const {
    std::ifstream in(Native(internal), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool EmulatedSystem::Exists(const std::string& internal) const {
    std::error_code error;
    return fs::exists(Native(internal), error);
}

void EmulatedSystem::MakeFolder(const std::string& internal) const {
    fs::create_directories(Native(internal));
}

void EmulatedSystem::AddUserReg(const std::string& lines) {
    userReg_ += lines;
    if (!userReg_.empty() && userReg_.back() != '\n') userReg_ += '\n';
    WriteRegistry();
}

void EmulatedSystem::AddSystemReg(const std::string& lines) {
    systemReg_ += lines;
    if (!systemReg_.empty() && systemReg_.back() != '\n') systemReg_ += '\n';
    WriteRegistry();
}

void EmulatedSystem::InstallRegistryFiles(const std::string& userReg,
                                          const std::string& systemReg) const {
    const auto options = fs::copy_options::overwrite_existing;
    fs::copy_file(userReg, fs::path(root_) / "user.reg", options);
    fs::copy_file(systemReg, fs::path(root_) / "system.reg", options);
    platform::Prefix::Reset();
}

void EmulatedSystem::SetArch64(bool win64) {
    win64_ = win64;
    WriteRegistry();
}

void EmulatedSystem::WriteRegistry() {
    const std::string arch = win64_ ? "#arch=win64\n" : "#arch=win32\n";
    auto write = [&](const char* name, const char* root, const std::string& body) {
        std::ofstream out(fs::path(root_) / name, std::ios::binary | std::ios::trunc);
        out << "WINE REGISTRY Version 2\n;; All keys relative to " << root << "\n\n"
            << arch << "\n"
            << body;
    };
    write("user.reg", "\\\\User\\\\S-1-5-21-0-0-0-1000", userReg_);
    write("system.reg", "\\\\Machine", systemReg_);
    platform::Prefix::Reset();
}

std::string SharedDir() {
    const fs::path shared = PENNAWICK_SHARED_DIR;
    std::error_code error;
    if (fs::exists(shared / "reference" / "README.md", error))
        return shared.lexically_normal().string();
    return {};
}

std::string Sjis(std::string_view utf8) {
    return platform::Cp932::FromUtf8(utf8);
}

std::string Utf8(std::string_view sjis) {
    return platform::Cp932::ToUtf8(sjis);
}

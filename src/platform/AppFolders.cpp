#include "platform/AppFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathMap.h"
#include "platform/SjisText.h"

namespace platform {

namespace {

constexpr const char* kMarkers[] = {"pennawick.ini", "portable"};
constexpr const char* kInstalledSettingsName = "pennawick";

// One installed folder: its internal path (ending in a backslash), its native path and whether
// it has been made sure to exist.
struct InstalledFolder {
    std::string internal;
    std::string native;
    bool ensured = false;
};

struct State {
    AppFolders::Way way = AppFolders::Way::Portable;
    std::string programFolder;
    InstalledFolder settings;
    InstalledFolder logs;
    InstalledFolder data;
};

std::mutex stateMutex;
State state;

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    passwd entry{};
    passwd* result = nullptr;
    std::vector<char> buffer(4096);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && result->pw_dir[0] == '/') {
        return result->pw_dir;
    }
    return {};
}

// $variable/pennawick when the variable holds an absolute path, else ~/fallback/pennawick;
// empty when neither can be found.
std::string NativeFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    std::string base;
    if (value && value[0] == '/') {
        base = value;
    } else {
        std::string home = HomeFolder();
        if (home.empty()) return {};
        base = home + "/" + fallback;
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/pennawick";
}

// An installed folder; the program folder when no home can be found or its path cannot be
// written as an internal one.
InstalledFolder Installed(const char* variable, const char* fallback,
                          const std::string& programFolder) {
    InstalledFolder folder;
    folder.native = NativeFolder(variable, fallback);
    std::string internal =
        folder.native.empty() ? std::string() : PathMap::ToInternal(folder.native);
    if (internal.empty()) {
        folder.internal = programFolder;
        folder.native.clear();
        folder.ensured = true;
        return folder;
    }
    folder.internal = internal + "\\";
    return folder;
}

// Creates the native folder and each missing parent with mode 0700; existing ones stay as
// they are.
bool CreateWithParents(const std::string& native) {
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        std::string part = native.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

std::string Ensured(InstalledFolder& folder) {
    if (!folder.ensured) folder.ensured = CreateWithParents(folder.native);
    return folder.internal;
}

bool HoldsMarker(const std::string& programFolder) {
    std::string prefix = programFolder;
    if (!prefix.empty() && !SjisText::EndsWithSeparator(prefix)) prefix += '\\';
    for (const char* marker : kMarkers) {
        if (FileSystem::Exists(prefix + marker)) return true;
    }
    return false;
}

}  // namespace

void AppFolders::Decide(const std::string& programFolder) {
    State decided;
    decided.programFolder = programFolder;
    if (!HoldsMarker(programFolder)) {
        decided.way = Way::Installed;
        decided.settings = Installed("XDG_CONFIG_HOME", ".config", programFolder);
        decided.logs = Installed("XDG_STATE_HOME", ".local/state", programFolder);
        decided.data = Installed("XDG_DATA_HOME", ".local/share", programFolder);
    }
    std::lock_guard<std::mutex> lock(stateMutex);
    state = std::move(decided);
}

AppFolders::Way AppFolders::CurrentWay() {
    std::lock_guard<std::mutex> lock(stateMutex);
    return state.way;
}

const char* AppFolders::WayName() {
    return CurrentWay() == Way::Portable ? "portable" : "installed";
}

std::string AppFolders::SettingsFolder() {
    std::lock_guard<std::mutex> lock(stateMutex);
    return state.way == Way::Portable ? state.programFolder : Ensured(state.settings);
}

std::string AppFolders::LogFolder() {
    std::lock_guard<std::mutex> lock(stateMutex);
    return state.way == Way::Portable ? state.programFolder : Ensured(state.logs);
}

std::string AppFolders::DataFolder() {
    std::lock_guard<std::mutex> lock(stateMutex);
    return state.way == Way::Portable ? state.programFolder : Ensured(state.data);
}

std::string AppFolders::SettingsName(const std::string& programBaseName) {
    return CurrentWay() == Way::Portable ? programBaseName : kInstalledSettingsName;
}

}  // namespace platform

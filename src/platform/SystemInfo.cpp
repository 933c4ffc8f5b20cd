#include "platform/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <mutex>
#include <optional>
#include <vector>

#include "platform/Cp932.h"
#include "platform/PathMap.h"
#include "platform/SystemSource.h"

namespace platform {

namespace {
std::mutex pinMutex;
std::optional<std::string> pinnedUser;
}  // namespace

std::string SystemInfo::ExecutablePath() {
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return PathMap::ToInternal(std::string(buffer.data(), static_cast<size_t>(length)));
}

std::string SystemInfo::LogonUser() {
    if (std::string fixed = SystemSource::Current()->LogonUser(); !fixed.empty()) return fixed;
    {
        std::lock_guard<std::mutex> lock(pinMutex);
        if (pinnedUser) return *pinnedUser;
    }
    passwd entry{};
    passwd* result = nullptr;
    std::vector<char> buffer(4096);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_name) {
        return Cp932::FromUtf8(result->pw_name);
    }
    if (const char* user = getenv("USER")) return Cp932::FromUtf8(user);
    return {};
}

void SystemInfo::PinLogonUser(const std::string& name) {
    std::lock_guard<std::mutex> lock(pinMutex);
    pinnedUser = name;
}

void SystemInfo::UnpinLogonUser() {
    std::lock_guard<std::mutex> lock(pinMutex);
    pinnedUser.reset();
}

std::string SystemInfo::WindowsFolder() {
    return SystemSource::Current()->WindowsFolder();
}

}  // namespace platform

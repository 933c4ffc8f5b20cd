#include "platform/Prefix.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>

namespace platform {

namespace {

std::mutex prefixMutex;
std::optional<std::string> cachedRoot;
std::atomic<uint64_t> generation{1};

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FindRoot() {
    std::string root;
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
        root = prefix;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        root = std::string(home) + "/.wine";
    }
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    if (root.empty() || !IsFolder(root)) return {};
    return root;
}

}  // namespace

std::string Prefix::Root() {
    std::lock_guard<std::mutex> lock(prefixMutex);
    if (!cachedRoot) cachedRoot = FindRoot();
    return *cachedRoot;
}

void Prefix::Reset() {
    std::lock_guard<std::mutex> lock(prefixMutex);
    cachedRoot.reset();
    ++generation;
}

uint64_t Prefix::Generation() {
    return generation;
}

}  // namespace platform

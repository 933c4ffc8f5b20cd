#include "platform/FaultSeam.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/PathMap.h"

namespace platform {

namespace {

struct Fault {
    FaultSeam::Operation operation;
    std::string nativePath;
    int error;
    std::function<void()> action;
};

std::mutex faultMutex;
std::vector<Fault> faults;

}  // namespace

void FaultSeam::FailNext(Operation operation, const std::string& path, int error) {
    std::lock_guard<std::mutex> lock(faultMutex);
    faults.push_back({operation, PathMap::ToNative(path), error, nullptr});
}

void FaultSeam::RunBeforeNext(Operation operation, const std::string& path,
                              std::function<void()> action) {
    std::lock_guard<std::mutex> lock(faultMutex);
    faults.push_back({operation, PathMap::ToNative(path), 0, std::move(action)});
}

void FaultSeam::Clear() {
    std::lock_guard<std::mutex> lock(faultMutex);
    faults.clear();
}

bool FaultSeam::ShouldFail(Operation operation, const std::string& nativePath) {
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> lock(faultMutex);
        if (faults.empty()) return false;
        auto it = std::find_if(faults.begin(), faults.end(), [&](const Fault& fault) {
            return fault.operation == operation && fault.nativePath == nativePath;
        });
        if (it == faults.end()) return false;
        if (!it->action) {
            errno = it->error;
            faults.erase(it);
            return true;
        }
        action = std::move(it->action);
        faults.erase(it);
    }
    // Outside the lock: the action may itself use the file system.
    action();
    return false;
}

}  // namespace platform

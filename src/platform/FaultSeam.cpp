#include "platform/FaultSeam.h"

#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/PathMap.h"

namespace platform {

namespace {

struct Fault {
    FaultSeam::Operation operation;
    std::string nativePath;
    int error;
};

std::mutex faultMutex;
std::vector<Fault> faults;

}  // namespace

void FaultSeam::FailNext(Operation operation, const std::string& path, int error) {
    std::lock_guard<std::mutex> lock(faultMutex);
    faults.push_back({operation, PathMap::ToNative(path), error});
}

void FaultSeam::Clear() {
    std::lock_guard<std::mutex> lock(faultMutex);
    faults.clear();
}

bool FaultSeam::ShouldFail(Operation operation, const std::string& nativePath) {
    std::lock_guard<std::mutex> lock(faultMutex);
    if (faults.empty()) return false;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->operation == operation && it->nativePath == nativePath) {
            errno = it->error;
            faults.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace platform

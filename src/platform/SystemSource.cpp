#include "platform/SystemSource.h"

#include <mutex>

#include "platform/Prefix.h"
#include "platform/WinePrefix.h"

namespace platform {

namespace {
std::mutex sourceMutex;
std::shared_ptr<const SystemSource> selected;
}  // namespace

std::shared_ptr<const SystemSource> SystemSource::Current() {
    {
        std::lock_guard<std::mutex> lock(sourceMutex);
        if (selected) return selected;
    }
    static const auto winePrefix = std::make_shared<const WinePrefix>();
    return winePrefix;
}

void SystemSource::Select(std::shared_ptr<const SystemSource> source) {
    {
        std::lock_guard<std::mutex> lock(sourceMutex);
        selected = std::move(source);
    }
    Prefix::Reset();
}

}  // namespace platform

#include "platform/SystemNotices.h"

#include <mutex>

namespace platform {

namespace {

// Nobody may ever take the queue (a test, a tool): it keeps the first notices only.
constexpr size_t kMaxWaiting = 100;

std::mutex noticeMutex;
std::vector<SystemNotice> waiting;
SystemNotices::Listener listener = nullptr;

}  // namespace

void SystemNotices::Add(SystemNotice notice) {
    Listener current;
    {
        std::lock_guard<std::mutex> lock(noticeMutex);
        current = listener;
        if (!current) {
            if (waiting.size() < kMaxWaiting) waiting.push_back(std::move(notice));
            return;
        }
    }
    current(notice);
}

std::vector<SystemNotice> SystemNotices::Take() {
    std::lock_guard<std::mutex> lock(noticeMutex);
    std::vector<SystemNotice> taken;
    taken.swap(waiting);
    return taken;
}

void SystemNotices::Listen(Listener newListener) {
    std::lock_guard<std::mutex> lock(noticeMutex);
    listener = newListener;
}

}  // namespace platform

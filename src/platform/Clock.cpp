#include "platform/Clock.h"

#include <sys/time.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::atomic<bool> pinned{false};
std::atomic<int64_t> pinnedSeconds{0};
std::atomic<int> pinnedMillisecond{0};

LocalTime FromTm(const std::tm& tm, int millisecond) {
    LocalTime local;
    local.year = tm.tm_year + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    local.millisecond = millisecond;
    local.weekday = tm.tm_wday;
    return local;
}

// Loads the time zone again only when TZ has changed since the last call (tests set it). Without
// TZ, tzset looks at the zone file's status on every call, which costs a system call for each
// time converted; localtime_r itself keeps the zone it was given last.
void RefreshTimeZone() {
    static std::mutex mutex;
    static bool loaded = false;
    static bool hadZone = false;
    static std::string lastZone;
    std::lock_guard<std::mutex> lock(mutex);
    const char* zone = std::getenv("TZ");
    if (loaded && hadZone == (zone != nullptr) && (!zone || lastZone == zone)) return;
    tzset();
    loaded = true;
    hadZone = zone != nullptr;
    lastZone = zone ? zone : "";
}

}  // namespace

int64_t Clock::Now() {
    if (pinned) return pinnedSeconds;
    return static_cast<int64_t>(std::time(nullptr));
}

LocalTime Clock::NowLocal() {
    if (pinned) {
        LocalTime local = ToLocal(pinnedSeconds);
        local.millisecond = pinnedMillisecond;
        return local;
    }
    timeval now{};
    gettimeofday(&now, nullptr);
    LocalTime local = ToLocal(now.tv_sec);
    local.millisecond = static_cast<int>(now.tv_usec / 1000);
    return local;
}

LocalTime Clock::ToLocal(int64_t seconds) {
    RefreshTimeZone();
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&time, &tm)) return LocalTime{};
    return FromTm(tm, 0);
}

int64_t Clock::FromLocal(const LocalTime& local) {
    RefreshTimeZone();
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

void Clock::Pin(int64_t seconds, int millisecond) {
    pinnedSeconds = seconds;
    pinnedMillisecond = millisecond;
    pinned = true;
}

void Clock::Unpin() {
    pinned = false;
}

bool Clock::IsPinned() {
    return pinned;
}

}  // namespace platform

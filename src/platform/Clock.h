#pragma once

#include <cstdint>

namespace platform {

// Broken-down local time, as the Windows SYSTEMTIME gives it.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 0;  // 0 = Sunday
};

// "Now" for the whole program. Tests pin it, so that every time stamp is predictable.
class Clock {
public:
    // Seconds since 1970-01-01 00:00:00 UTC.
    static int64_t Now();
    // Now with milliseconds, in local time.
    static LocalTime NowLocal();
    // A calendar time in local time (the time zone of TZ), milliseconds 0.
    static LocalTime ToLocal(int64_t seconds);
    // Local broken-down time back to seconds since 1970 (mktime); -1 when out of range.
    static int64_t FromLocal(const LocalTime& local);

    // Pins "now" to a fixed time (milliseconds included) until Unpin. Files written while the
    // clock is pinned carry the pinned time as their modification time, as under a faked system
    // clock, so that "today" and file dates agree.
    static void Pin(int64_t seconds, int millisecond = 0);
    static void Unpin();
    static bool IsPinned();
};

}  // namespace platform

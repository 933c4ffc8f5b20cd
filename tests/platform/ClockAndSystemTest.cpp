#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "EmulatedSystem.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

using platform::Clock;

TEST_F(EmulatedSystemTest, PinnedClockGivesLocalTimeInTheZone) {
    EXPECT_EQ(Clock::Now(), EmulatedSystem::kNow);
    Clock::Pin(EmulatedSystem::kNow + 1, 250);
    platform::LocalTime now = Clock::NowLocal();
    EXPECT_EQ(now.year, 2026);
    EXPECT_EQ(now.month, 12);
    EXPECT_EQ(now.day, 8);
    EXPECT_EQ(now.hour, 12);  // 03:00 UTC in JST
    EXPECT_EQ(now.second, 1);
    EXPECT_EQ(now.millisecond, 250);
    EXPECT_EQ(now.weekday, 2);
    EXPECT_EQ(Clock::FromLocal(now), EmulatedSystem::kNow + 1);
}

TEST_F(EmulatedSystemTest, TimesBeforeAndAroundTheEpoch) {
    platform::LocalTime epoch = Clock::ToLocal(0);
    EXPECT_EQ(epoch.year, 1970);
    EXPECT_EQ(epoch.hour, 9);
    platform::LocalTime last = Clock::ToLocal(INT32_MAX);
    EXPECT_EQ(last.year, 2038);
    EXPECT_EQ(Clock::ToLocal(-1).year, 1970);
}

TEST_F(EmulatedSystemTest, LocalTimeFollowsEveryChangeOfTheZone) {
    // Each conversion in the zone TZ names at the time; a return to an earlier zone counts too.
    const struct {
        const char* zone;
        int hour;
    } cases[] = {{"UTC0", 0}, {"EST5", 19}, {"EST5", 19}, {"JST-9", 9}, {"UTC0", 0}};
    for (const auto& c : cases) {
        setenv("TZ", c.zone, 1);
        EXPECT_EQ(Clock::ToLocal(0).hour, c.hour) << c.zone;
        platform::LocalTime local = Clock::ToLocal(3600);
        EXPECT_EQ(Clock::FromLocal(local), 3600) << c.zone;
    }
    // Without TZ the system's zone applies, as the C library gives it.
    unsetenv("TZ");
    const int hour = Clock::ToLocal(0).hour;
    tzset();
    const std::time_t epoch = 0;
    std::tm tm{};
    ASSERT_NE(localtime_r(&epoch, &tm), nullptr);
    EXPECT_EQ(hour, tm.tm_hour);
}

TEST_F(EmulatedSystemTest, UnpinnedClockFollowsTheSystem) {
    Clock::Unpin();
    EXPECT_FALSE(Clock::IsPinned());
    EXPECT_GT(Clock::Now(), EmulatedSystem::kNow - 86400 * 365);
}

TEST_F(EmulatedSystemTest, SystemFacts) {
    EXPECT_EQ(platform::SystemInfo::LogonUser(), "tester");
    platform::SystemInfo::UnpinLogonUser();
    EXPECT_FALSE(platform::SystemInfo::LogonUser().empty());
    EXPECT_EQ(platform::SystemInfo::WindowsFolder(), "C:\\windows");
    const std::string program = platform::SystemInfo::ExecutablePath();
    EXPECT_EQ(program.substr(0, 3), "Z:\\");
    EXPECT_NE(program.find("test_platform"), std::string::npos);
}

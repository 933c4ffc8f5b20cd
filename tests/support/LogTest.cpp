#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "EmulatedSystem.h"
#include "platform/Clock.h"
#include "platform/FaultSeam.h"
#include "platform/SystemError.h"
#include "support/Log.h"

namespace fs = std::filesystem;

namespace {

// The pinned clock is Tuesday 2026-12-08 12:00:00 JST.
const char* const kTodayLog = "C:\\Pennawick\\LogTue.log";

}  // namespace

TEST_F(EmulatedSystemTest, WritesLevelledLinesIntoTheWeekdayFile) {
    platform::Clock::Pin(EmulatedSystem::kNow, 42);
    EXPECT_EQ(LogMessage(LOG_I, "URLDB::Add 最後に追加する。 (%s)", "http://a.com/"), 1);
    EXPECT_EQ(LogMessage(LOG_E, "plain text 100%%"), 1);
    EXPECT_EQ(system.ReadFile(kTodayLog),
              Sjis("[2026/12/08 12:00:00.042-I] URLDB::Add 最後に追加する。 (http://a.com/)\r\n"
                   "[2026/12/08 12:00:00.042-E] plain text 100%\r\n"));
}

TEST_F(EmulatedSystemTest, ThresholdFiltersMessages) {
    EXPECT_EQ(LogMessage(LOG_D, "hidden"), 0);
    EXPECT_EQ(LogMessage(LOG_V, "hidden"), 0);
    EXPECT_FALSE(system.Exists(kTodayLog));
    SetLogLevel(LOG_N);
    EXPECT_EQ(LogMessage(LOG_E, "off"), 0);
    EXPECT_FALSE(system.Exists(kTodayLog));
    SetLogLevel(LOG_V);
    EXPECT_EQ(LogMessage(LOG_V, "detail"), 1);
    EXPECT_EQ(LogMessage(LOG_A, "above"), 0);
    EXPECT_NE(system.ReadFile(kTodayLog).find("-V] detail\r\n"), std::string::npos);
}

TEST_F(EmulatedSystemTest, ReplacesTheFileOfAnEarlierWeek) {
    system.WriteFile(kTodayLog, "[2026/12/01 09:00:00.000-I] last week\r\n");
    const auto lastTuesday = fs::file_time_type::clock::now() - std::chrono::hours(24 * 7);
    fs::last_write_time(system.Native(kTodayLog), lastTuesday);
    // Pin the clock to the real present, so that "today" and the file time share a clock.
    platform::Clock::Unpin();
    const std::string today =
        std::string("C:\\Pennawick\\Log") +
        std::array<const char*, 7>{
            "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}[platform::Clock::NowLocal().weekday] +
        ".log";
    system.WriteFile(today, "old line\r\n");
    fs::last_write_time(system.Native(today), lastTuesday);
    EXPECT_EQ(LogMessage(LOG_I, "new"), 1);
    const std::string content = system.ReadFile(today);
    EXPECT_EQ(content.find("old line"), std::string::npos);
    EXPECT_NE(content.find("-I] new\r\n"), std::string::npos);
}

TEST_F(EmulatedSystemTest, KeepsTodaysFile) {
    platform::Clock::Unpin();
    EXPECT_EQ(LogMessage(LOG_I, "first"), 1);
    EXPECT_EQ(LogMessage(LOG_I, "second"), 1);
    int lines = 0;
    for (const auto& entry : fs::directory_iterator(system.Native("C:\\Pennawick"))) {
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) ++lines;
    }
    EXPECT_EQ(lines, 2);
}

TEST_F(EmulatedSystemTest, FailuresNeverReachTheCaller) {
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Open, kTodayLog, EACCES);
    EXPECT_EQ(LogMessage(LOG_I, "lost"), 0);
    // A stale file that cannot be removed loses the message but nothing else.
    system.WriteFile(kTodayLog, "stale\r\n");
    fs::last_write_time(system.Native(kTodayLog),
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 30));
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Delete, kTodayLog, EBUSY);
    EXPECT_EQ(LogMessage(LOG_I, "lost too"), 0);
    EXPECT_EQ(system.ReadFile(kTodayLog), "stale\r\n");
}

TEST_F(EmulatedSystemTest, SystemErrorsAreLoggedWithTheirText) {
    platform::SystemError::SetLast(ENOENT);
    LogSystemError("MSBrowser::Save 指定ファイルのコピーが出来ません。");
    EXPECT_EQ(system.ReadFile(kTodayLog),
              Sjis("[2026/12/08 12:00:00.000-E] MSBrowser::Save 指定ファイルのコピーが出来ません。 "
                   "SystemMessage=(No such file or directory)\r\n"));
    EXPECT_EQ(platform::SystemError::Last(), ENOENT) << "logging keeps the caller's error";
    platform::SystemError::SetLast(987654);
    LogSystemError("unknown code, no line");
    EXPECT_EQ(system.ReadFile(kTodayLog).find("unknown code"), std::string::npos);
}

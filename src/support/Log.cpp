#include "support/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "support/CommonTools.h"

using platform::Clock;
using platform::FileSystem;

namespace {

std::atomic<unsigned> threshold{LOG_I};
std::mutex logMutex;

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

char LevelLetter(unsigned level) {
    return level <= LOG_A ? "NEWIDVA"[level] : '?';
}

std::string FormatText(const std::string& format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    char small[1024];
    int length = std::vsnprintf(small, sizeof small, format.c_str(), copy);
    va_end(copy);
    if (length < 0) return {};
    if (static_cast<size_t>(length) < sizeof small) return std::string(small, length);
    std::vector<char> large(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format.c_str(), arguments);
    return std::string(large.data(), static_cast<size_t>(length));
}

// A file left from the same weekday of an earlier week is replaced, so each weekday's file
// holds only its most recent day. False when the stale file cannot be removed.
bool RemoveStaleFile(const std::string& path, const platform::LocalTime& now) {
    int64_t modified = 0;
    if (!FileSystem::GetModificationTime(path, modified)) return true;
    platform::LocalTime then = Clock::ToLocal(modified);
    if (then.year == now.year && then.month == now.month && then.day == now.day) return true;
    return FileSystem::DeleteFile(path);
}

int WriteLine(unsigned level, const char* format, va_list arguments) {
    std::lock_guard<std::mutex> lock(logMutex);
    const platform::LocalTime now = Clock::NowLocal();
    const std::string path =
        CommonTools::MakeLogPath(std::string("Log") + kWeekdays[now.weekday % 7] + ".log");
    if (!RemoveStaleFile(path, now)) return 0;

    platform::File file;
    if (!file.Open(path, platform::File::Mode::Append, true)) return 0;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "[%04d/%02d/%02d %02d:%02d:%02d.%03d-%c] ", now.year,
                  now.month, now.day, now.hour, now.minute, now.second, now.millisecond,
                  LevelLetter(level));
    std::string line = prefix;
    line += FormatText(platform::Cp932::FromUtf8(format), arguments);
    line += '\n';
    bool written = file.Write(line);
    bool closed = file.Close();
    return written && closed ? 1 : 0;
}

}  // namespace

int LogMessage(unsigned level, const char* format, ...) {
    const unsigned limit = threshold.load(std::memory_order_relaxed);
    if (limit == 0 || level > limit) return 0;
    // Logging must not disturb the error a caller is about to report.
    const int savedError = platform::SystemError::Last();
    va_list arguments;
    va_start(arguments, format);
    int result = WriteLine(level, format, arguments);
    va_end(arguments);
    platform::SystemError::SetLast(savedError);
    return result;
}

void LogSystemError(const char* text) {
    std::string message = platform::SystemError::Text(platform::SystemError::Last());
    if (message.empty()) return;
    std::string cleaned;
    for (char c : message) {
        if (c != '\r' && c != '\n') cleaned += c;
    }
    LogMessage(LOG_E, "%s SystemMessage=(%s)", platform::Cp932::FromUtf8(text).c_str(),
               platform::Cp932::FromUtf8(cleaned).c_str());
}

void SetLogLevel(unsigned level) {
    threshold = level;
}

unsigned GetLogLevel() {
    return threshold;
}

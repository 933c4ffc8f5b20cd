#pragma once

// The process-wide log: one time-stamped line per message, appended to "Log<weekday>.log" in the
// program's log folder (the working folder when portable). Formats are UTF-8 source literals; they
// are turned into Shift-JIS only after the level filter, so a filtered message costs one
// comparison. Arguments are internal text (Shift-JIS). A logging call never fails its caller.

enum LogLevel : unsigned {
    LOG_N = 0,  // off
    LOG_E = 1,  // errors
    LOG_W = 2,  // warnings
    LOG_I = 3,  // information
    LOG_D = 4,  // debugging detail
    LOG_V = 5,  // one line per record
    LOG_A = 6,
};

// Writes the message when the threshold lets it through: 1 when a line was written, 0 when it
// was filtered out or the file could not be opened.
int LogMessage(unsigned level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Logs at level 1 "<text> SystemMessage=(<system text>)" for the calling thread's last system
// error; nothing when the system has no text for it.
void LogSystemError(const char* text);

// The threshold: 3 until the start-up sets it; 0 switches the log off.
void SetLogLevel(unsigned level);
unsigned GetLogLevel();

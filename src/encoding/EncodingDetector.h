#pragma once

#include <string>

// Guesses the encoding of one line: UTF-8 first, then Shift-JIS against EUC-JP, then JIS
// escapes. The EUC-JP decision threshold is process-wide.
class EncodingDetector {
public:
    enum Result { kPlain = 1, kSJIS = 2, kEUC = 3, kUTF8 = 4, kJIS = 5 };

    // Plain 7-bit text, and text that cannot be decided, gives kPlain. Logs each step at the
    // detail level.
    static Result Detect(const std::string& text);

    // EUC-JP is chosen once more EUC-shaped pairs than the threshold occur before any
    // Shift-JIS-only pair; 0 never chooses EUC-JP. Initially 3.
    static void SetThreshold(int threshold);
    static int GetThreshold();
    // Sets the threshold from an automatic-conversion level: 0..4 give 1, 3, 8, 20 and 0;
    // any other level leaves it unchanged.
    static void SetThresholdFromLevel(int level);
};

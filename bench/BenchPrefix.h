#pragma once

#include <cstdlib>
#include <string>

#include "platform/Prefix.h"

// Makes a fresh temporary folder below $TMPDIR (else /tmp) and points WINEPREFIX at it, so that a
// benchmark's emulated Windows system never touches the real home folder. The caller removes the
// folder when done. A benchmark cannot run without it, so failing to make it ends the program.
inline std::string MakeBenchPrefix() {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/pennawick-bench-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    if (made == nullptr) std::abort();
    setenv("WINEPREFIX", made, 1);
    platform::Prefix::Reset();
    return made;
}

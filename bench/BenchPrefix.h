#pragma once

#include <cstdlib>
#include <string>

#include "platform/Prefix.h"

// Makes a fresh temporary folder below $TMPDIR (else /tmp) and points WINEPREFIX, HOME and the XDG
// base folders at it, so that neither a benchmark's emulated Windows system nor the program's
// settings, logs and data touch the real home folder. The caller removes the folder when done. A
// benchmark cannot run without it, so failing to make it ends the program.
inline std::string MakeBenchPrefix() {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/pennawick-bench-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    if (made == nullptr) std::abort();
    setenv("WINEPREFIX", made, 1);
    const std::string home = std::string(made) + "/home";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    platform::Prefix::Reset();
    return made;
}

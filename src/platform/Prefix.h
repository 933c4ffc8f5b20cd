#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The Wine prefix that holds the emulated Windows system: $WINEPREFIX, else ~/.wine (read through
// WinePrefix unless a Windows drive is selected). Every reader of Windows facts (drive map,
// registry) caches its result against Generation(), so that a test can build a new system and
// call Reset().
class Prefix {
public:
    // Native path of the prefix folder, without a trailing slash; empty when there is none.
    static std::string Root();
    // Forgets every cached fact (prefix, drives, registry files) and raises the generation.
    static void Reset();
    static uint64_t Generation();
};

}  // namespace platform

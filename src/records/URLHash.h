#pragma once

#include <cstdint>
#include <string_view>

// Hashing of URL bytes eight at a time for the URL database's hash tables, also of a URL's
// lower-case form with a slash after it, without making that text.
class URLHash {
public:
    static constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

    // Eight bytes with their ASCII capitals in lower case, all at once: a byte is a capital when
    // its high bit is clear, it is at least 'A' and not beyond 'Z'.
    static uint64_t LowerWord(uint64_t word) {
        constexpr uint64_t kOnes = 0x0101010101010101ull;
        constexpr uint64_t kHighBits = 0x8080808080808080ull;
        const uint64_t low = word & ~kHighBits;
        const uint64_t atLeastA = low + kOnes * (0x80 - 'A');
        const uint64_t beyondZ = low + kOnes * (0x80 - 'Z' - 1);
        const uint64_t capitals = atLeastA & ~beyondZ & ~word & kHighBits;
        return word | (capitals >> 2);
    }
    // One more word into a running hash.
    static uint64_t Mix(uint64_t hash, uint64_t word) {
        hash = (hash ^ word) * kMultiplier;
        return hash ^ (hash >> 29);
    }

    // The hash of the URL's bytes; with `lower` of the bytes in ASCII lower case, with `slash`
    // of the bytes and a slash after them. Equal to the hash of the text so formed.
    static uint64_t Of(std::string_view url, bool lower, bool slash);
    // Whether `text` is the form of `url` that Of(url, true, slash) hashes.
    static bool IsLowerForm(std::string_view text, std::string_view url, bool slash);
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "records/URLInfo.h"

// Sorts records with unique URLs into byte order of their URLs. A comparison sort reads two URLs
// from memory at every step, which for records spread over a large heap is a cache miss each time;
// this three-way radix quicksort partitions on eight URL bytes at a time kept beside the records,
// and reads a URL again only when the records around it share those eight bytes.
class URLOrder {
public:
    using Record = std::unique_ptr<URLInfo>;

    // The keys take two words of `scratch` per record; a scratch vector that already holds as
    // many keeps its memory, so that a caller can lend a table it no longer needs.
    static void Sort(Record* records, size_t count, std::vector<uint32_t>& scratch);

private:
    // The eight bytes of each record as two words, the upper one first.
    struct Keys {
        uint32_t* words;
        uint64_t Get(size_t i) const { return uint64_t{words[2 * i]} << 32 | words[2 * i + 1]; }
        void Set(size_t i, uint64_t key) {
            words[2 * i] = static_cast<uint32_t>(key >> 32);
            words[2 * i + 1] = static_cast<uint32_t>(key);
        }
        Keys From(size_t i) const { return Keys{words + 2 * i}; }
    };

    // Sorts records sharing their first `depth` bytes, longer than that; the keys hold the eight
    // bytes from `depth` on of each. Partition levels beyond `budget` go to a comparison sort.
    static void SortFrom(Record* records, Keys keys, size_t count, size_t depth, int budget);
    static void InsertionSort(Record* records, Keys keys, size_t count, size_t depth);
    static void ComparisonSort(Record* records, size_t count, size_t depth);
};

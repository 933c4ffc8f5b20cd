#pragma once

#include <cstddef>
#include <cstdint>

#include "records/URLInfo.h"

// Sorts records with unique URLs into byte order of their URLs. A comparison sort reads two URLs
// from memory at every step, which for records spread over a large heap is a cache miss each time;
// this three-way radix quicksort partitions on eight URL bytes at a time kept beside the records,
// and reads a URL again only when the records around it share those eight bytes.
class URLOrder {
public:
    static void Sort(URLInfo** records, size_t count);

private:
    // Sorts records sharing their first `depth` bytes, longer than that; keys hold the eight
    // bytes from `depth` on of each. Partition levels beyond `budget` go to a comparison sort.
    static void SortFrom(URLInfo** records, uint64_t* keys, size_t count, size_t depth, int budget);
    static void InsertionSort(URLInfo** records, uint64_t* keys, size_t count, size_t depth);
    static void ComparisonSort(URLInfo** records, size_t count, size_t depth);
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "records/URLInfo.h"

// The records of a URL database grouped by their URL in ASCII lower case without one trailing
// slash (the stem), so that the records a URL can equal, with one trailing slash more or less
// whatever the letter case, are found without a search. A stem's bucket holds two groups: the
// URLs that are the stem (letter case aside) and those that are the stem and a slash. A group
// keeps its first record in byte order and its size. The buckets lie side by side in the order
// they were made; an open-addressing table of small slots (the hash's upper half and the bucket's
// place) finds them. Adding a record allocates nothing but the occasional larger array.
class URLCaseIndex {
public:
    struct Group {
        URLInfo* first = nullptr;  // the group's record that comes first in byte order
        uint32_t count = 0;
    };
    struct Bucket {
        Group plain;    // URLs that are the stem
        Group slashed;  // URLs that are the stem and a slash
    };

    // The bucket of the stem `stem` (compared in lower case); null when it holds no record.
    const Bucket* Find(std::string_view stem) const;
    // Adds a record to the bucket of its URL's stem.
    void Insert(URLInfo* record);
    // Takes a record out of its group. The first record of a larger group cannot be taken out
    // (the next one is not known here): false, and nothing changes.
    bool Erase(const URLInfo* record);

    // The stem of a URL: the URL without one trailing slash.
    static std::string_view Stem(std::string_view url);

private:
    // The upper half of the bucket's hash (the slot it prefers follows from it) and the bucket's
    // place plus one; 0 marks an empty slot.
    struct Slot {
        uint32_t tag = 0;
        uint32_t bucket = 0;
    };
    struct Entry {
        uint64_t hash = 0;
        Bucket bucket;
    };

    static uint64_t Hash(std::string_view stem);
    size_t Home(uint32_t tag) const { return static_cast<size_t>(tag >> (shift_ - 32)); }
    size_t Locate(std::string_view stem, uint64_t hash) const;
    void FreeSlot(size_t slot);
    void Grow();

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
    int shift_ = 64;
};

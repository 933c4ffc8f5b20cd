#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "records/URLInfo.h"

// URL records grouped by their URL in ASCII lower case without one trailing slash (the stem), so
// that the records a URL can equal, with one trailing slash more or less whatever the letter
// case, are found without a search. A stem's bucket holds two groups: the
// URLs that are the stem (letter case aside) and those that are the stem and a slash. A group
// keeps its first record in byte order and its size. The buckets lie side by side in the order
// they were made; an open-addressing table of small slots (the hash's upper half and the bucket's
// place) finds them. Adding a record allocates nothing but the occasional larger array.
class URLCaseIndex {
public:
    struct Group {
        URLInfo* first = nullptr;  // the group's record that comes first in byte order
        uint32_t count = 0;        // 0: no record has that form
    };

    // The group of the URLs that are `stem` in lower case, or with `slashed` set `stem` and a
    // slash.
    Group Find(std::string_view stem, bool slashed) const;
    // Adds a record to the group of its URL.
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
    // The two groups of a stem: [0] the URLs that are the stem, [1] those with a slash added.
    struct Bucket {
        URLInfo* first[2] = {nullptr, nullptr};
        uint32_t count[2] = {0, 0};
        bool Empty() const { return count[0] == 0 && count[1] == 0; }
        const URLInfo* Any() const { return first[0] ? first[0] : first[1]; }
    };

    static uint64_t Hash(std::string_view stem);
    size_t Home(uint32_t tag) const { return static_cast<size_t>(tag >> (shift_ - 32)); }
    size_t Locate(std::string_view stem, uint64_t hash) const;
    size_t SlotOfBucket(size_t place) const;
    void FreeSlot(size_t slot);
    void Grow();

    std::vector<Slot> slots_;
    std::vector<Bucket> buckets_;
    int shift_ = 64;
};

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
// keeps its first record in byte order and its size. Open addressing over 64-bit hashes; adding
// a record allocates nothing but the occasional larger table.
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
    struct Slot {
        uint64_t hash = 0;
        Bucket bucket;
        bool Empty() const { return bucket.plain.count == 0 && bucket.slashed.count == 0; }
    };

    static uint64_t Hash(std::string_view stem);
    size_t SlotOf(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }
    size_t Locate(std::string_view stem, uint64_t hash) const;
    void Grow();

    std::vector<Slot> slots_;
    size_t used_ = 0;
    int shift_ = 64;
};

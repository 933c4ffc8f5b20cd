#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "records/URLInfo.h"

// The records of a URL database grouped by their URL in ASCII lower case, so that every record
// a URL can equal with one trailing slash more or less, whatever the letter case, is found
// without a search: those records form two groups. A group keeps its first record in byte order
// and its size. Open addressing over 64-bit hashes; adding a record allocates nothing but the
// occasional larger table.
class URLCaseIndex {
public:
    struct Group {
        URLInfo* first = nullptr;  // the group's record that comes first in byte order
        uint32_t count = 0;
    };

    // The group of `text` in lower case, with a slash appended when `slash` is set; null when
    // no record has that form.
    const Group* Find(std::string_view text, bool slash) const;
    // Adds a record to the group of its URL.
    void Insert(URLInfo* record);
    // Takes a record out of the group of its URL. The first record of a larger group cannot be
    // taken out (the next one is not known here): false, and nothing changes.
    bool Erase(const URLInfo* record);

private:
    struct Slot {
        uint64_t hash = 0;
        Group group;
    };

    static uint64_t Hash(std::string_view text, bool slash);
    size_t SlotOf(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }
    size_t Locate(std::string_view text, bool slash, uint64_t hash) const;
    void Grow();

    std::vector<Slot> slots_;
    size_t used_ = 0;
    int shift_ = 64;
};

#include "records/URLOrder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Ranges this small are sorted by insertion.
constexpr size_t kSmall = 12;

// The eight bytes of the URL from `depth` on as a big-endian number, zero past its end, so that
// numbers order as the bytes do.
uint64_t KeyAt(const URLInfo* record, size_t depth) {
    const std::string& url = record->GetURL();
    uint64_t word = 0;
    if (depth + 8 <= url.size()) {
        std::memcpy(&word, url.data() + depth, 8);
    } else if (depth < url.size()) {
        std::memcpy(&word, url.data() + depth, url.size() - depth);
    }
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

// Byte order of two URLs that share their first `depth` bytes.
bool LessFrom(const URLInfo* a, const URLInfo* b, size_t depth) {
    return std::string_view(a->GetURL()).substr(depth) <
           std::string_view(b->GetURL()).substr(depth);
}

}  // namespace

void URLOrder::Sort(URLInfo** records, size_t count) {
    if (count < 2) return;
    std::vector<uint64_t> keys(count);
    for (size_t i = 0; i < count; ++i) keys[i] = KeyAt(records[i], 0);
    SortFrom(records, keys.data(), count, 0, 2 * std::bit_width(count));
}

// Records below the pivot's key and above it are sorted on the same bytes; those with its key
// move on to the next eight bytes, in the loop so that long shared prefixes take no stack.
void URLOrder::SortFrom(URLInfo** records, uint64_t* keys, size_t count, size_t depth, int budget) {
    for (;;) {
        if (count <= kSmall) {
            InsertionSort(records, keys, count, depth);
            return;
        }
        if (budget <= 0) {
            ComparisonSort(records, count, depth);
            return;
        }
        uint64_t first = keys[0], middle = keys[count / 2], last = keys[count - 1];
        if (first > middle) std::swap(first, middle);
        if (middle > last) std::swap(middle, last);
        if (first > middle) std::swap(first, middle);
        const uint64_t pivot = middle;
        size_t below = 0, at = 0, above = count;
        const auto swap = [&](size_t a, size_t b) {
            std::swap(records[a], records[b]);
            std::swap(keys[a], keys[b]);
        };
        while (at < above) {
            if (keys[at] < pivot) {
                swap(at++, below++);
            } else if (keys[at] > pivot) {
                swap(at, --above);
            } else {
                ++at;
            }
        }
        SortFrom(records, keys, below, depth, budget - 1);
        SortFrom(records + above, keys + above, count - above, depth, budget - 1);

        records += below;
        keys += below;
        count = above - below;
        // A URL that ends within these bytes ties with longer ones padded by zero bytes.
        const bool ends = std::any_of(records, records + count, [&](const URLInfo* record) {
            return record->GetURL().size() <= depth + 8;
        });
        if (ends) {
            ComparisonSort(records, count, depth);
            return;
        }
        depth += 8;
        for (size_t i = 0; i < count; ++i) keys[i] = KeyAt(records[i], depth);
    }
}

void URLOrder::InsertionSort(URLInfo** records, uint64_t* keys, size_t count, size_t depth) {
    for (size_t i = 1; i < count; ++i) {
        URLInfo* record = records[i];
        const uint64_t key = keys[i];
        size_t j = i;
        for (; j > 0; --j) {
            const bool less =
                key != keys[j - 1] ? key < keys[j - 1] : LessFrom(record, records[j - 1], depth);
            if (!less) break;
            records[j] = records[j - 1];
            keys[j] = keys[j - 1];
        }
        records[j] = record;
        keys[j] = key;
    }
}

void URLOrder::ComparisonSort(URLInfo** records, size_t count, size_t depth) {
    std::sort(records, records + count,
              [depth](const URLInfo* a, const URLInfo* b) { return LessFrom(a, b, depth); });
}

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

void URLOrder::Sort(Record* records, size_t count, std::vector<uint32_t>& scratch) {
    if (count < 2) return;
    scratch.resize(2 * count);
    Keys keys{scratch.data()};
    for (size_t i = 0; i < count; ++i) keys.Set(i, KeyAt(records[i].get(), 0));
    SortFrom(records, keys, count, 0, 2 * std::bit_width(count));
}

// Records below the pivot's key and above it are sorted on the same bytes; those with its key
// move on to the next eight bytes, in the loop so that long shared prefixes take no stack.
void URLOrder::SortFrom(Record* records, Keys keys, size_t count, size_t depth, int budget) {
    for (;;) {
        if (count <= kSmall) {
            InsertionSort(records, keys, count, depth);
            return;
        }
        if (budget <= 0) {
            ComparisonSort(records, count, depth);
            return;
        }
        uint64_t first = keys.Get(0), middle = keys.Get(count / 2), last = keys.Get(count - 1);
        if (first > middle) std::swap(first, middle);
        if (middle > last) std::swap(middle, last);
        if (first > middle) std::swap(first, middle);
        const uint64_t pivot = middle;
        size_t below = 0, at = 0, above = count;
        const auto swap = [&](size_t a, size_t b) {
            std::swap(records[a], records[b]);
            std::swap(keys.words[2 * a], keys.words[2 * b]);
            std::swap(keys.words[2 * a + 1], keys.words[2 * b + 1]);
        };
        while (at < above) {
            const uint64_t key = keys.Get(at);
            if (key < pivot) {
                swap(at++, below++);
            } else if (key > pivot) {
                swap(at, --above);
            } else {
                ++at;
            }
        }
        SortFrom(records, keys, below, depth, budget - 1);
        SortFrom(records + above, keys.From(above), count - above, depth, budget - 1);

        records += below;
        keys = keys.From(below);
        count = above - below;
        // A URL that ends within these bytes ties with longer ones padded by zero bytes.
        const bool ends = std::any_of(records, records + count, [&](const Record& record) {
            return record->GetURL().size() <= depth + 8;
        });
        if (ends) {
            ComparisonSort(records, count, depth);
            return;
        }
        depth += 8;
        for (size_t i = 0; i < count; ++i) keys.Set(i, KeyAt(records[i].get(), depth));
    }
}

void URLOrder::InsertionSort(Record* records, Keys keys, size_t count, size_t depth) {
    for (size_t i = 1; i < count; ++i) {
        Record record = std::move(records[i]);
        const uint64_t key = keys.Get(i);
        size_t j = i;
        for (; j > 0; --j) {
            const uint64_t before = keys.Get(j - 1);
            const bool less =
                key != before ? key < before : LessFrom(record.get(), records[j - 1].get(), depth);
            if (!less) break;
            records[j] = std::move(records[j - 1]);
            keys.Set(j, before);
        }
        records[j] = std::move(record);
        keys.Set(j, key);
    }
}

void URLOrder::ComparisonSort(Record* records, size_t count, size_t depth) {
    std::sort(records, records + count, [depth](const Record& a, const Record& b) {
        return LessFrom(a.get(), b.get(), depth);
    });
}

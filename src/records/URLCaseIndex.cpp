#include "records/URLCaseIndex.h"

#include <cstring>
#include <utility>

namespace {

constexpr size_t kInitialSlots = 64;
constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

unsigned char LowerAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Eight bytes with their ASCII capitals in lower case, all at once: a byte is a capital when its
// high bit is clear, it is at least 'A' and not beyond 'Z'.
uint64_t LowerWord(uint64_t word) {
    const uint64_t low = word & ~kHighBits;
    const uint64_t atLeastA = low + kOnes * (0x80 - 'A');
    const uint64_t beyondZ = low + kOnes * (0x80 - 'Z' - 1);
    const uint64_t capitals = atLeastA & ~beyondZ & ~word & kHighBits;
    return word | (capitals >> 2);
}

uint64_t Mix(uint64_t hash, uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
}

// Whether the URL's stem is `stem`, letter case aside.
bool HasStem(std::string_view url, std::string_view stem) {
    url = URLCaseIndex::Stem(url);
    if (url.size() != stem.size()) return false;
    for (size_t i = 0; i < stem.size(); ++i) {
        if (LowerAscii(static_cast<unsigned char>(url[i])) !=
            LowerAscii(static_cast<unsigned char>(stem[i]))) {
            return false;
        }
    }
    return true;
}

URLCaseIndex::Group& GroupOf(URLCaseIndex::Bucket& bucket, std::string_view url) {
    return url.size() > URLCaseIndex::Stem(url).size() ? bucket.slashed : bucket.plain;
}

}  // namespace

std::string_view URLCaseIndex::Stem(std::string_view url) {
    if (!url.empty() && url.back() == '/') url.remove_suffix(1);
    return url;
}

uint64_t URLCaseIndex::Hash(std::string_view stem) {
    uint64_t hash = stem.size();
    size_t pos = 0;
    for (; pos + 8 <= stem.size(); pos += 8) {
        uint64_t word;
        std::memcpy(&word, stem.data() + pos, 8);
        hash = Mix(hash, LowerWord(word));
    }
    uint64_t tail = 0;
    std::memcpy(&tail, stem.data() + pos, stem.size() - pos);
    hash = Mix(hash, LowerWord(tail));
    return hash * kMultiplier;
}

// The slot of the stem's bucket, or the empty slot where it would go.
size_t URLCaseIndex::Locate(std::string_view stem, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = SlotOf(hash);; slot = (slot + 1) & mask) {
        const Slot& entry = slots_[slot];
        if (entry.Empty()) return slot;
        const URLInfo* any =
            entry.bucket.plain.first ? entry.bucket.plain.first : entry.bucket.slashed.first;
        if (entry.hash == hash && HasStem(any->GetURL(), stem)) return slot;
    }
}

const URLCaseIndex::Bucket* URLCaseIndex::Find(std::string_view stem) const {
    if (used_ == 0) return nullptr;
    const Slot& entry = slots_[Locate(stem, Hash(stem))];
    return entry.Empty() ? nullptr : &entry.bucket;
}

void URLCaseIndex::Insert(URLInfo* record) {
    // At most half full, so that probes stay short and always meet an empty slot.
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const std::string& url = record->GetURL();
    const std::string_view stem = Stem(url);
    const uint64_t hash = Hash(stem);
    Slot& entry = slots_[Locate(stem, hash)];
    if (entry.Empty()) {
        entry.hash = hash;
        ++used_;
    }
    Group& group = GroupOf(entry.bucket, url);
    if (group.count++ == 0 || url < group.first->GetURL()) group.first = record;
}

bool URLCaseIndex::Erase(const URLInfo* record) {
    if (used_ == 0) return false;
    const std::string& url = record->GetURL();
    size_t slot = Locate(Stem(url), Hash(Stem(url)));
    if (slots_[slot].Empty()) return false;
    Group& group = GroupOf(slots_[slot].bucket, url);
    if (group.count == 0 || (group.first == record) != (group.count == 1)) return false;
    if (--group.count > 0) return true;
    group.first = nullptr;
    if (!slots_[slot].Empty()) return true;
    // Linear probing: move later entries of the run back so that none is cut off by the hole.
    const size_t mask = slots_.size() - 1;
    for (size_t next = (slot + 1) & mask; !slots_[next].Empty(); next = (next + 1) & mask) {
        const size_t home = SlotOf(slots_[next].hash);
        // The entry may fill the hole unless its home slot lies after the hole, up to it.
        const bool homeAfterHole = ((next - home) & mask) < ((next - slot) & mask);
        if (!homeAfterHole) {
            slots_[slot] = slots_[next];
            slot = next;
        }
    }
    slots_[slot] = Slot{};
    --used_;
    return true;
}

void URLCaseIndex::Grow() {
    std::vector<Slot> old = std::exchange(slots_, {});
    const size_t size = old.empty() ? kInitialSlots : old.size() * 2;
    slots_.resize(size);
    shift_ = 64;
    for (size_t n = size; n > 1; n >>= 1) --shift_;
    const size_t mask = size - 1;
    for (const Slot& entry : old) {
        if (entry.Empty()) continue;
        size_t slot = SlotOf(entry.hash);
        while (!slots_[slot].Empty()) slot = (slot + 1) & mask;
        slots_[slot] = entry;
    }
}

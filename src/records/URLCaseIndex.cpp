#include "records/URLCaseIndex.h"

#include <cstring>
#include <utility>

#include "records/URLHash.h"

namespace {

constexpr size_t kInitialSlots = 64;

unsigned char LowerAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
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

// 1 for a URL that is its stem and a slash, else 0.
size_t SideOf(std::string_view url) {
    return url.size() > URLCaseIndex::Stem(url).size() ? 1 : 0;
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
        hash = URLHash::Mix(hash, URLHash::LowerWord(word));
    }
    uint64_t tail = 0;
    std::memcpy(&tail, stem.data() + pos, stem.size() - pos);
    hash = URLHash::Mix(hash, URLHash::LowerWord(tail));
    return hash * URLHash::kMultiplier;
}

// The slot of the stem's bucket, or the empty slot where it would go.
size_t URLCaseIndex::Locate(std::string_view stem, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    const auto tag = static_cast<uint32_t>(hash >> 32);
    for (size_t slot = Home(tag);; slot = (slot + 1) & mask) {
        const Slot& entry = slots_[slot];
        if (entry.bucket == 0) return slot;
        if (entry.tag == tag && HasStem(buckets_[entry.bucket - 1].Any()->GetURL(), stem))
            return slot;
    }
}

// The slot that points to the bucket at that place.
size_t URLCaseIndex::SlotOfBucket(size_t place) const {
    const std::string_view stem = Stem(buckets_[place].Any()->GetURL());
    const size_t mask = slots_.size() - 1;
    size_t slot = Home(static_cast<uint32_t>(Hash(stem) >> 32));
    while (slots_[slot].bucket != place + 1) slot = (slot + 1) & mask;
    return slot;
}

URLCaseIndex::Group URLCaseIndex::Find(std::string_view stem, bool slashed) const {
    if (buckets_.empty()) return Group{};
    const Slot& slot = slots_[Locate(stem, Hash(stem))];
    if (slot.bucket == 0) return Group{};
    const Bucket& bucket = buckets_[slot.bucket - 1];
    const size_t side = slashed ? 1 : 0;
    return Group{bucket.first[side], bucket.count[side]};
}

void URLCaseIndex::Insert(URLInfo* record) {
    // At most half full, so that probes stay short and always meet an empty slot.
    if ((buckets_.size() + 1) * 2 > slots_.size()) Grow();
    const std::string& url = record->GetURL();
    const std::string_view stem = Stem(url);
    const uint64_t hash = Hash(stem);
    Slot& slot = slots_[Locate(stem, hash)];
    if (slot.bucket == 0) {
        buckets_.emplace_back();
        slot = Slot{static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(buckets_.size())};
    }
    Bucket& bucket = buckets_[slot.bucket - 1];
    const size_t side = SideOf(url);
    if (bucket.count[side]++ == 0 || url < bucket.first[side]->GetURL())
        bucket.first[side] = record;
}

bool URLCaseIndex::Erase(const URLInfo* record) {
    if (buckets_.empty()) return false;
    const std::string& url = record->GetURL();
    const size_t slot = Locate(Stem(url), Hash(Stem(url)));
    if (slots_[slot].bucket == 0) return false;
    const size_t place = slots_[slot].bucket - 1;
    Bucket& bucket = buckets_[place];
    const size_t side = SideOf(url);
    if (bucket.count[side] == 0 || (bucket.first[side] == record) != (bucket.count[side] == 1))
        return false;
    if (--bucket.count[side] > 0) return true;
    bucket.first[side] = nullptr;
    if (!bucket.Empty()) return true;
    FreeSlot(slot);
    // The last bucket fills the hole, and its slot follows it.
    if (place + 1 != buckets_.size()) {
        slots_[SlotOfBucket(buckets_.size() - 1)].bucket = static_cast<uint32_t>(place + 1);
        buckets_[place] = buckets_.back();
    }
    buckets_.pop_back();
    return true;
}

// Linear probing: empties a slot and moves later slots of the run back, so that none is cut off
// from its preferred slot by the hole.
void URLCaseIndex::FreeSlot(size_t slot) {
    const size_t mask = slots_.size() - 1;
    for (size_t next = (slot + 1) & mask; slots_[next].bucket != 0; next = (next + 1) & mask) {
        const size_t home = Home(slots_[next].tag);
        // The slot may fill the hole unless its preferred slot lies after the hole, up to it.
        const bool homeAfterHole = ((next - home) & mask) < ((next - slot) & mask);
        if (!homeAfterHole) {
            slots_[slot] = slots_[next];
            slot = next;
        }
    }
    slots_[slot] = Slot{};
}

void URLCaseIndex::Grow() {
    std::vector<Slot> old = std::exchange(slots_, {});
    const size_t size = old.empty() ? kInitialSlots : old.size() * 2;
    slots_.resize(size);
    shift_ = 64;
    for (size_t n = size; n > 1; n >>= 1) --shift_;
    const size_t mask = size - 1;
    for (const Slot& entry : old) {
        if (entry.bucket == 0) continue;
        size_t slot = Home(entry.tag);
        while (slots_[slot].bucket != 0) slot = (slot + 1) & mask;
        slots_[slot] = entry;
    }
}

#include "records/URLCaseIndex.h"

#include <utility>

namespace {

constexpr uint64_t kOffset = 14695981039346656037ull;
constexpr uint64_t kPrime = 1099511628211ull;
constexpr size_t kInitialSlots = 64;

unsigned char LowerAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Whether the URL is `text` (and a slash when `slash` is set) in ASCII lower case.
bool HasForm(const std::string& url, std::string_view text, bool slash) {
    if (url.size() != text.size() + (slash ? 1 : 0)) return false;
    if (slash && url.back() != '/') return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (LowerAscii(static_cast<unsigned char>(url[i])) !=
            LowerAscii(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

uint64_t URLCaseIndex::Hash(std::string_view text, bool slash) {
    uint64_t hash = kOffset;
    for (const char c : text) hash = (hash ^ LowerAscii(static_cast<unsigned char>(c))) * kPrime;
    if (slash) hash = (hash ^ '/') * kPrime;
    // FNV's low bits mix poorly into the high bits that pick the slot.
    hash ^= hash >> 32;
    return hash * 0x9E3779B97F4A7C15ull;
}

// The slot of the group of that form, or the empty slot where it would go.
size_t URLCaseIndex::Locate(std::string_view text, bool slash, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = SlotOf(hash);; slot = (slot + 1) & mask) {
        const Slot& entry = slots_[slot];
        if (entry.group.first == nullptr) return slot;
        if (entry.hash == hash && HasForm(entry.group.first->GetURL(), text, slash)) return slot;
    }
}

const URLCaseIndex::Group* URLCaseIndex::Find(std::string_view text, bool slash) const {
    if (used_ == 0) return nullptr;
    const Slot& entry = slots_[Locate(text, slash, Hash(text, slash))];
    return entry.group.first ? &entry.group : nullptr;
}

void URLCaseIndex::Insert(URLInfo* record) {
    // At most half full, so that probes stay short and always meet an empty slot.
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const std::string& url = record->GetURL();
    const uint64_t hash = Hash(url, false);
    Slot& entry = slots_[Locate(url, false, hash)];
    if (entry.group.first == nullptr) {
        entry.hash = hash;
        entry.group = Group{record, 1};
        ++used_;
        return;
    }
    ++entry.group.count;
    if (url < entry.group.first->GetURL()) entry.group.first = record;
}

bool URLCaseIndex::Erase(const URLInfo* record) {
    if (used_ == 0) return false;
    const std::string& url = record->GetURL();
    size_t slot = Locate(url, false, Hash(url, false));
    Group& group = slots_[slot].group;
    if (group.first == nullptr) return false;
    if (group.count > 1) {
        if (group.first == record) return false;
        --group.count;
        return true;
    }
    if (group.first != record) return false;
    // Linear probing: move later entries of the run back so that none is cut off by the hole.
    const size_t mask = slots_.size() - 1;
    for (size_t next = (slot + 1) & mask; slots_[next].group.first != nullptr;
         next = (next + 1) & mask) {
        const size_t home = SlotOf(slots_[next].hash);
        // The entry may fill the hole when its home slot is not in (hole, next].
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
        if (entry.group.first == nullptr) continue;
        size_t slot = SlotOf(entry.hash);
        while (slots_[slot].group.first != nullptr) slot = (slot + 1) & mask;
        slots_[slot] = entry;
    }
}

#include "records/URLHash.h"

#include <cstring>

namespace {

char LowerByte(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

// Whole words first, then the rest and the slash in one zero-padded word (the text so formed
// would end in the same word); the final step spreads the upper bits into the lower ones, which
// pick the slot.
uint64_t URLHash::Of(std::string_view url, bool lower, bool slash) {
    uint64_t hash = url.size() + (slash ? 1 : 0);
    size_t pos = 0;
    for (; pos + 8 <= url.size(); pos += 8) {
        uint64_t word;
        std::memcpy(&word, url.data() + pos, 8);
        hash = Mix(hash, lower ? LowerWord(word) : word);
    }
    const size_t rest = url.size() - pos;
    if (rest != 0 || slash) {
        char bytes[8] = {};
        std::memcpy(bytes, url.data() + pos, rest);
        if (slash) bytes[rest] = '/';
        uint64_t word;
        std::memcpy(&word, bytes, 8);
        hash = Mix(hash, lower ? LowerWord(word) : word);
    }
    hash *= kMultiplier;
    return hash ^ (hash >> 32);
}

bool URLHash::IsLowerForm(std::string_view text, std::string_view url, bool slash) {
    if (text.size() != url.size() + (slash ? 1 : 0)) return false;
    if (slash && text.back() != '/') return false;
    for (size_t i = 0; i < url.size(); ++i) {
        if (text[i] != LowerByte(url[i])) return false;
    }
    return true;
}

#include "records/ArrayControl.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "support/Log.h"

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

template <class T>
int CompareNumbers(T a, T b) {
    return (a > b) - (a < b);
}

unsigned char LowerAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Unsigned byte-wise comparison, as strcmp orders texts.
int CompareBytes(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    if (common > 0) {
        const int r = std::memcmp(a.data(), b.data(), common);
        if (r != 0) return Sign(r);
    }
    return CompareNumbers(a.size(), b.size());
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(static_cast<unsigned char>(a[i])) !=
            LowerAscii(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

URLInfo* Pointer(const std::unique_ptr<URLInfo>& entry) {
    return entry.get();
}
URLInfo* Pointer(URLInfo* entry) {
    return entry;
}

}  // namespace

int ArrayControl::CompareURLText(std::string_view a, std::string_view b) {
    const int r = CompareBytes(a, b);
    if (r == 0) return 0;
    const bool bHasSlash = b.size() == a.size() + 1 && b.back() == '/';
    const bool aHasSlash = a.size() == b.size() + 1 && a.back() == '/';
    if (bHasSlash || aHasSlash) {
        if (EqualIgnoringAsciiCase(a, b, std::min(a.size(), b.size()))) return 0;
    }
    return r;
}

int ArrayControl::Compare(const URLInfo& search, const URLInfo& entry, int key) {
    switch (key) {
        case kSortFirstTime:
            return CompareNumbers(search.GetFirstTime(), entry.GetFirstTime());
        case kSortLastRequestTime:
            return CompareNumbers(search.GetLastRequestTime(), entry.GetLastRequestTime());
        case kSortReferenceCount:
            return CompareNumbers(search.GetReferenceCount(), entry.GetReferenceCount());
        default:
            return CompareURLText(search.GetURL(), entry.GetURL());
    }
}

template <class Entry, class Comparer>
int ArrayControl::Search(int& index, const std::vector<Entry>& array, Comparer compare,
                         std::string_view url, int key) {
    int last = static_cast<int>(array.size());
    int top = 0;
    int result = 0;
    index = 0;
    while (top < last) {
        const int mid = top + (last - top) / 2;
        const URLInfo* entry = Pointer(array[static_cast<size_t>(mid)]);
        if (entry == nullptr) {
            LogNullEntry(result, top, mid, last, index, url, key);
            return 0;
        }
        result = compare(*entry);
        if (result < 0) {
            last = mid;
            index = mid;
        } else if (result > 0) {
            top = mid + 1;
            index = mid + 1;
        } else {
            index = mid;
            return 1;
        }
    }
    return 0;
}

int ArrayControl::BinarySearch(int& index, const std::vector<std::unique_ptr<URLInfo>>& array,
                               const URLInfo& search, int key) {
    return Search(
        index, array, [&](const URLInfo& entry) { return Compare(search, entry, key); },
        search.GetURL(), key);
}

int ArrayControl::BinarySearch(int& index, const std::vector<URLInfo*>& array,
                               const URLInfo& search, int key) {
    return Search(
        index, array, [&](const URLInfo& entry) { return Compare(search, entry, key); },
        search.GetURL(), key);
}

int ArrayControl::BinarySearchURL(int& index, const std::vector<URLInfo*>& array,
                                  std::string_view url) {
    if (Search(
            index, array, [&](const URLInfo& entry) { return CompareURLText(url, entry.GetURL()); },
            url, kSortURL)) {
        return 1;
    }
    // The same URL with or without its trailing slash need not lie on the search's path: texts
    // such as "page.html" sort between "page" and "page/". Look for that form exactly.
    if (url.empty()) return 0;
    std::string partner(url);
    if (partner.back() == '/') {
        partner.pop_back();
    } else {
        partner.push_back('/');
    }
    int partnerIndex = 0;
    if (!Search(
            partnerIndex, array,
            [&](const URLInfo& entry) { return CompareBytes(partner, entry.GetURL()); }, url,
            kSortURL)) {
        return 0;
    }
    index = partnerIndex;
    return 1;
}

void ArrayControl::LogNullEntry(int compare, int top, int mid, int last, int index,
                                std::string_view url, int key) {
    const std::string text(url);
    LogMessage(LOG_E,
               "ArrayControl::BinarySearch 対象URLが存在しないときがあります？(compare=%d, "
               "top=%d, mid=%d, last=%d, *idx=%d, obj->GetURL()=%s, sort=%d)",
               compare, top, mid, last, index, text.c_str(), key);
}

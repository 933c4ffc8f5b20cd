#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "records/URLInfo.h"

// Binary search over an array of URL records kept sorted under one of four sort keys.
class ArrayControl {
public:
    enum SortKey : int {
        kSortFirstTime = 0,
        kSortLastRequestTime = 1,
        kSortReferenceCount = 2,
        kSortURL = 3,
    };

    // Compares two URLs: byte-wise, except that a URL and the same URL with one trailing slash
    // added (letter case of the rest aside) are the same URL. Negative, 0 or positive.
    static int CompareURLText(std::string_view a, std::string_view b);

    // Compares the search record with an array record under the key: -1, 0 or 1 for the
    // numeric keys, the sign of CompareURLText for the URL key.
    static int Compare(const URLInfo& search, const URLInfo& entry, int key);

    // Looks for the search record in the sorted array. Returns 1 when found (index = its
    // position), else 0 with index = the position where it would be inserted. A null entry ends
    // the search as not found, with an error log line.
    static int BinarySearch(int& index, const std::vector<std::unique_ptr<URLInfo>>& array,
                            const URLInfo& search, int key);
    static int BinarySearch(int& index, const std::vector<URLInfo*>& array, const URLInfo& search,
                            int key);
    // The same under the URL key, for a URL text without a record around it. The form of the
    // URL with (or without) one trailing slash is found wherever it lies in the array.
    static int BinarySearchURL(int& index, const std::vector<URLInfo*>& array,
                               std::string_view url);

private:
    template <class Entry, class Comparer>
    static int Search(int& index, const std::vector<Entry>& array, Comparer compare,
                      std::string_view url, int key);
    static void LogNullEntry(int compare, int top, int mid, int last, int index,
                             std::string_view url, int key);
};

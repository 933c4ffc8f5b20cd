#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/URLCaseIndex.h"
#include "records/URLInfo.h"

// The in-memory URL database: the records it owns, sorted by URL (ArrayControl::CompareURLText)
// so that a URL occurs at most once and is found by binary search. Every insertion also keeps
// the frequently-used lists (list 0: most referenced overall; lists 1 to 9: the same per genre)
// and, while enabled, the short list of recently referenced records. Those lists never own.
class URLDB {
public:
    static constexpr size_t kEveryuseListCount = 10;
    static constexpr size_t kEveryuseListMax = 30;
    static constexpr size_t kRecentListMax = 5;

    // Period codes (0 to 5) select the age limits of LastReferenceTime for list 0 and for the
    // genre lists; the threshold is the first placement in list 0 that sends a record to the
    // recent list.
    URLDB(int everyusePeriodCode, int genrePeriodCode, int recentThreshold);
    ~URLDB();
    URLDB(const URLDB&) = delete;
    URLDB& operator=(const URLDB&) = delete;

    // Seconds of a period code: 0 (no limit), 1 day, 2 days, 1 week, 2 weeks, 4 weeks; any other
    // code means 0.
    static int32_t PeriodSeconds(int code);

    // Adds a record. Returns -1 and leaves the record with the caller when its URL is empty.
    // Otherwise takes it: a URL already present (a stored record compares equal; the byte-exact
    // one first, else the first in URL order) is merged into the stored record (update set) or
    // dropped, and the stored record's index is returned (after a merge that changed the URL's
    // form, the index where the record now stands); a new URL is inserted in order and its
    // index returned. A merge keeps the stored form when the new one would equal another stored
    // record too, so that no two records ever compare equal.
    int Add(std::unique_ptr<URLInfo>&& record, bool update);

    // Loading many records: between BeginBulkAdd and EndBulkAdd, BulkAdd does what Add(record,
    // false) would do one record after another (the same records kept, the same log lines, the
    // same lists), but finds stored URLs through a hash table and sorts the new records once at
    // the end, so that records in any order load in n log n. Nothing else may be called between
    // the two; EndBulkAdd leaves the database as the Add calls would have.
    void BeginBulkAdd();
    void BulkAdd(std::unique_ptr<URLInfo>&& record);
    void EndBulkAdd();

    // The stored record that compares equal to the URL (the byte-exact one first, else the
    // first in URL order), or null.
    URLInfo* GetURLInfo(std::string_view url);
    const URLInfo* GetURLInfo(std::string_view url) const;

    int GetCount() const { return static_cast<int>(urlArray_.size()); }
    // The record at the index in URL order; null outside 0 to count - 1.
    URLInfo* GetAt(int index);
    const URLInfo* GetAt(int index) const;

    // Offers a record to the frequently-used lists and the recent list; with null, offers every
    // record again in order. Nothing is removed first: entries of records that no longer qualify
    // stay.
    void RefreshEveryuse(URLInfo* record);
    // Places a record in frequently-used list `list` (0 to 9) by ReferenceCount; returns its
    // placement or -1 when the full list keeps it out.
    int UpdateEveryuseInfo(size_t list, URLInfo* record);
    // Moves a record to the end of the recent list when it did not make the front of list 0.
    void UpdateRecentList(URLInfo* record, int placement);

    const std::vector<URLInfo*>& GetEveryuseList(size_t list) const { return everyuse_.at(list); }
    const std::vector<URLInfo*>& GetRecentList() const { return recent_; }
    const std::vector<URLInfo*>& GetResultArray() const { return resultArray_; }
    int32_t GetSortKey() const { return sortKey_; }

    int32_t GetRecentEnabled() const { return recentEnabled_; }
    void SetRecentEnabled(int32_t enabled) { recentEnabled_ = enabled; }
    int32_t GetEveryusePeriod() const { return everyusePeriod_; }
    int32_t GetGenrePeriod() const { return genrePeriod_; }
    int32_t GetRecentThreshold() const { return recentThreshold_; }

    // Further HTTP statuses, besides 0, 200 and 304, that admit a record to the frequently-used
    // lists; 0 stands for none.
    void SetExtraOkStatuses(int32_t first, int32_t second, int32_t third);

private:
    bool QualifiesForEveryuse(const URLInfo& record) const;
    // RefreshEveryuse and UpdateEveryuseInfo for one record; without `mayBeListed` the record
    // is known to have no entry yet.
    void Offer(URLInfo* record, bool mayBeListed);
    int Place(size_t list, URLInfo* record, bool mayBeListed);
    enum class EveryuseLog { kFirst, kAt, kLast };
    void LogEveryuse(EveryuseLog kind, int index, const URLInfo& record) const;
    // The first in byte order of the records a URL equals without being it, and their number.
    struct Equals {
        URLInfo* first = nullptr;
        uint32_t count = 0;
    };
    int BytePosition(std::string_view url, bool& exact) const;
    Equals FindEqual(std::string_view url, bool pastLast) const;
    int Merge(int index, const URLInfo& newer, uint32_t equal);
    // Bulk adding: whether a record with exactly this URL is stored, whether one the URL equals
    // is (pastLast: the URL sorts after every stored one), and entering one.
    // BulkContains looks for the URL, or with `lower` for its lower-case form (and with `slash`
    // that form and a slash), whose URLHash::Of is `hash`.
    bool BulkContains(uint64_t hash, std::string_view url, bool lower, bool slash) const;
    bool BulkEqualStored(std::string_view url, bool pastLast) const;
    void BulkInsert(uint32_t record, uint64_t hash);
    // Enters every record, after the table was made or grown.
    void BulkInsertAll();
    void BulkGrow();
    int MoveIntoOrder(int index);

    // The records, owned in the order they arrived (those of a bulk load in URL order).
    std::vector<std::unique_ptr<URLInfo>> records_;
    // The same records sorted by URL; plain pointers, so that an insertion is one block move.
    std::vector<URLInfo*> urlArray_;
    // The records whose URLs hold capitals, grouped by URL in lower case, to find every record a
    // URL can equal whatever the letter case.
    URLCaseIndex caseIndex_;
    std::vector<URLInfo*> resultArray_;
    int32_t sortKey_ = 3;
    std::array<std::vector<URLInfo*>, kEveryuseListCount> everyuse_;
    std::vector<URLInfo*> recent_;
    int32_t genrePeriod_ = 0;
    int32_t everyusePeriod_ = 0;
    int32_t recentThreshold_ = 0;
    int32_t recentEnabled_ = 0;
    std::vector<int32_t> extraOkStatuses_;
    // While bulk adding: the records_ index of the first record added, an open-addressing table
    // of records_ indexes plus one (0: empty) by URL hash, and the record with the last URL in
    // byte order.
    bool bulk_ = false;
    size_t bulkFirst_ = 0;
    std::vector<uint32_t> bulkTable_;
    const URLInfo* bulkLast_ = nullptr;
};

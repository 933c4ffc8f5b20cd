#include "records/URLDB.h"

#include <algorithm>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "records/ArrayControl.h"
#include "records/URLCaseIndex.h"
#include "records/URLHash.h"
#include "records/URLOrder.h"
#include "support/Log.h"

namespace {

constexpr int32_t kPeriods[] = {0, 86400, 172800, 604800, 1209600, 2419200};

bool IsDefaultOkStatus(int32_t status) {
    return status == 0 || status == 200 || status == 304;
}

bool HasCapital(std::string_view url) {
    return std::any_of(url.begin(), url.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

URLDB::URLDB(int everyusePeriodCode, int genrePeriodCode, int recentThreshold)
    : genrePeriod_(PeriodSeconds(genrePeriodCode)),
      everyusePeriod_(PeriodSeconds(everyusePeriodCode)),
      recentThreshold_(recentThreshold) {}

URLDB::~URLDB() = default;

int32_t URLDB::PeriodSeconds(int code) {
    if (code < 0 || code >= static_cast<int>(std::size(kPeriods))) return 0;
    return kPeriods[code];
}

void URLDB::SetExtraOkStatuses(int32_t first, int32_t second, int32_t third) {
    extraOkStatuses_.clear();
    for (int32_t status : {first, second, third}) {
        if (status != 0) extraOkStatuses_.push_back(status);
    }
}

int URLDB::Add(std::unique_ptr<URLInfo>&& record, bool update) {
    if (!record || record->GetURL().empty()) return -1;
    std::unique_ptr<URLInfo> taken = std::move(record);
    const std::string& url = taken->GetURL();

    bool exact = false;
    const int index = BytePosition(url, exact);
    const Equals equals = exact ? Equals{} : FindEqual(url, index == GetCount());
    URLInfo* stored = exact ? urlArray_[static_cast<size_t>(index)] : equals.first;
    if (stored != nullptr) {
        const int storedIndex = exact ? index : BytePosition(stored->GetURL(), exact);
        if (!update) {
            LogMessage(LOG_V, "URLDB::Add 既にあるので破棄 (%s)", url.c_str());
            return storedIndex;
        }
        LogMessage(LOG_V, "URLDB::Add URLを更新 (%s)", url.c_str());
        return Merge(storedIndex, *taken, equals.count);
    }
    if (index < GetCount()) {
        LogMessage(LOG_V, "URLDB::Add 間に追加する。 (%s)", url.c_str());
    } else {
        LogMessage(LOG_V, "URLDB::Add 最後に追加する。 (%s)", url.c_str());
    }
    // The records are owned in arrival order; the sorted array holds plain pointers, so that an
    // insertion shifts it as one block move.
    URLInfo* added = taken.get();
    records_.push_back(std::move(taken));
    urlArray_.insert(urlArray_.begin() + index, added);
    if (HasCapital(url)) caseIndex_.Insert(added);
    Offer(added, false);
    return index;
}

// No two records are equal, so the array is in plain byte order: a byte-wise search finds the
// exact URL or the place where it belongs. Records usually arrive in URL order (the database
// file is written that way): a URL after the last one is placed without a search.
int URLDB::BytePosition(std::string_view url, bool& exact) const {
    exact = false;
    if (urlArray_.empty() || urlArray_.back()->GetURL() < url) return GetCount();
    const auto place = std::lower_bound(
        urlArray_.begin(), urlArray_.end(), url,
        [](const URLInfo* entry, std::string_view value) { return entry->GetURL() < value; });
    exact = place != urlArray_.end() && (*place)->GetURL() == url;
    return static_cast<int>(place - urlArray_.begin());
}

// The stored records that the URL equals without being it: its forms with one slash added and,
// for a URL ending in a slash, without it, whatever the letter case. A record without capitals is
// the one lower-case form, found by a search; records with capitals are found in the case index.
// pastLast tells that the URL sorts after every record: the forms with a slash added, which sort
// after it even in lower case, are then missing.
URLDB::Equals URLDB::FindEqual(std::string_view url, bool pastLast) const {
    Equals equals;
    const auto take = [&](URLInfo* record, uint32_t count) {
        if (record == nullptr) return;
        equals.count += count;
        if (equals.first == nullptr || record->GetURL() < equals.first->GetURL())
            equals.first = record;
    };
    const auto takeLower = [&](std::string_view form) {
        bool exact = false;
        const std::string lower = LowerAscii(form);
        const int index = BytePosition(lower, exact);
        if (exact) take(urlArray_[static_cast<size_t>(index)], 1);
    };
    if (!pastLast) takeLower(std::string(url) + "/");
    const URLCaseIndex::Group longer = caseIndex_.Find(url, true);
    take(longer.first, longer.count);
    if (url.back() == '/') {
        const std::string_view shorter = url.substr(0, url.size() - 1);
        if (!shorter.empty()) {
            takeLower(shorter);
            const URLCaseIndex::Group group =
                caseIndex_.Find(URLCaseIndex::Stem(shorter), shorter.back() == '/');
            take(group.first, group.count);
        }
    }
    return equals;
}

void URLDB::BeginBulkAdd() {
    bulk_ = true;
    bulkFirst_ = records_.size();
    bulkLast_ = urlArray_.empty() ? nullptr : urlArray_.back();
    bulkTable_.assign(1024, 0);
    while (bulkTable_.size() < records_.size() * 2) bulkTable_.resize(bulkTable_.size() * 2);
    BulkInsertAll();
}

// Add(record, false) with the searches of the sorted array replaced by hash lookups: a stored
// record equal to the URL drops it, else it is kept and offered to the lists in arrival order.
void URLDB::BulkAdd(std::unique_ptr<URLInfo>&& record) {
    if (!bulk_) {
        Add(std::move(record), false);
        return;
    }
    if (!record || record->GetURL().empty()) return;
    const std::string& url = record->GetURL();
    // A URL after every stored one (the usual case: files are written in URL order) can be
    // neither stored nor a stored URL without its slash.
    const bool pastLast = bulkLast_ == nullptr || bulkLast_->GetURL() < url;
    // The URL's hash serves its own lookup and its entry.
    const uint64_t hash = URLHash::Of(url, false, false);
    if ((!pastLast && BulkContains(hash, url, false, false)) || BulkEqualStored(url, pastLast)) {
        LogMessage(LOG_V, "URLDB::Add 既にあるので破棄 (%s)", url.c_str());
        record.reset();
        return;
    }
    // Add places a URL behind the last one when no stored URL sorts after it.
    if (pastLast) {
        LogMessage(LOG_V, "URLDB::Add 最後に追加する。 (%s)", url.c_str());
        bulkLast_ = record.get();
    } else {
        LogMessage(LOG_V, "URLDB::Add 間に追加する。 (%s)", url.c_str());
    }
    URLInfo* added = record.get();
    if (bulkTable_.size() < (records_.size() + 1) * 2) BulkGrow();
    records_.push_back(std::move(record));
    BulkInsert(static_cast<uint32_t>(records_.size() - 1), hash);
    if (HasCapital(url)) caseIndex_.Insert(added);
    Offer(added, false);
}

// The new records are put in URL order where they are owned, with the hash table, no longer
// needed, lent as the sort's scratch memory, so that sorting takes no more memory than loading.
void URLDB::EndBulkAdd() {
    if (!bulk_) return;
    bulk_ = false;
    bulkLast_ = nullptr;
    // The stored URLs are unique, so plain byte order is a total order.
    const auto byUrl = [](const URLInfo* a, const URLInfo* b) { return a->GetURL() < b->GetURL(); };
    const auto added = records_.begin() + static_cast<std::ptrdiff_t>(bulkFirst_);
    // A file written by the program is in URL order already.
    const bool sorted = std::is_sorted(added, records_.end(), [&](const auto& a, const auto& b) {
        return byUrl(a.get(), b.get());
    });
    if (!sorted) URLOrder::Sort(&*added, static_cast<size_t>(records_.end() - added), bulkTable_);
    std::vector<uint32_t>().swap(bulkTable_);
    const size_t before = urlArray_.size();
    urlArray_.reserve(records_.size());
    for (size_t i = bulkFirst_; i < records_.size(); ++i) urlArray_.push_back(records_[i].get());
    // Freed in URL order, records spread over the heap would leave it fragmented for what is
    // allocated next; in address order, as they were made, they are freed as after a sorted load.
    if (!sorted) {
        std::sort(added, records_.end(), [](const auto& a, const auto& b) {
            return std::less<const URLInfo*>()(a.get(), b.get());
        });
    }
    std::inplace_merge(urlArray_.begin(), urlArray_.begin() + static_cast<std::ptrdiff_t>(before),
                       urlArray_.end(), byUrl);
}

// A table entry holds the record's index plus one in the bits below the table size and the
// hash's upper bits above them, so that a probe reads a record only when those bits agree.
bool URLDB::BulkContains(uint64_t hash, std::string_view url, bool lower, bool slash) const {
    const auto mask = static_cast<uint32_t>(bulkTable_.size() - 1);
    const uint32_t tag = static_cast<uint32_t>(hash >> 32) & ~mask;
    for (size_t slot = hash & mask; bulkTable_[slot] != 0; slot = (slot + 1) & mask) {
        const uint32_t entry = bulkTable_[slot];
        if ((entry & ~mask) != tag) continue;
        const std::string& stored = records_[(entry & mask) - 1]->GetURL();
        if (lower ? URLHash::IsLowerForm(stored, url, slash) : stored == url) return true;
    }
    return false;
}

// FindEqual's question, answered by hash: the lower-case forms with one slash more or less, and
// the case index for the records with capitals.
bool URLDB::BulkEqualStored(std::string_view url, bool pastLast) const {
    if (!pastLast && BulkContains(URLHash::Of(url, true, true), url, true, true)) return true;
    if (caseIndex_.Find(url, true).count != 0) return true;
    if (url.back() != '/') return false;
    const std::string_view shorter = url.substr(0, url.size() - 1);
    if (shorter.empty()) return false;
    if (BulkContains(URLHash::Of(shorter, true, false), shorter, true, false)) return true;
    return caseIndex_.Find(URLCaseIndex::Stem(shorter), shorter.back() == '/').count != 0;
}

// The table has at least twice as many slots as records, so an index plus one fits below the
// table size.
void URLDB::BulkInsert(uint32_t record, uint64_t hash) {
    const auto mask = static_cast<uint32_t>(bulkTable_.size() - 1);
    size_t slot = hash & mask;
    while (bulkTable_[slot] != 0) slot = (slot + 1) & mask;
    bulkTable_[slot] = (static_cast<uint32_t>(hash >> 32) & ~mask) | (record + 1);
}

// Doubles the table, keeping at most every other slot taken.
void URLDB::BulkGrow() {
    const size_t size = bulkTable_.size() * 2;
    std::vector<uint32_t>().swap(bulkTable_);
    bulkTable_.assign(size, 0);
    BulkInsertAll();
}

void URLDB::BulkInsertAll() {
    for (size_t i = 0; i < records_.size(); ++i)
        BulkInsert(static_cast<uint32_t>(i), URLHash::Of(records_[i]->GetURL(), false, false));
}

// Merges a newer record into the stored one, which is one of `equal` records the newer URL
// equals (or the newer URL itself). The merge gives the stored record the newer form of its URL,
// unless that form would equal another stored record too: then it keeps its own.
int URLDB::Merge(int index, const URLInfo& newer, uint32_t equal) {
    URLInfo* stored = urlArray_[static_cast<size_t>(index)];
    const std::string form = stored->GetURL();
    if (form == newer.GetURL()) {
        stored->UpdateFrom(newer);
        return index;
    }
    // Alone among the records the newer form equals, the stored record is also alone in its
    // case group and can leave it.
    const bool keepForm = equal != 1 || (HasCapital(form) && !caseIndex_.Erase(stored));
    stored->UpdateFrom(newer);
    if (keepForm) {
        stored->SetURL(form);
        return index;
    }
    if (HasCapital(stored->GetURL())) caseIndex_.Insert(stored);
    return MoveIntoOrder(index);
}

// A merge may give the stored record the other form of its URL. With texts that sort between
// the two forms ("page", "page.html", "page/"), the record then no longer stands in order; move
// it to where its new text belongs, so that later searches still find every record.
int URLDB::MoveIntoOrder(int index) {
    const auto at = urlArray_.begin() + index;
    URLInfo* record = *at;
    const bool afterPrevious = at == urlArray_.begin() || (*(at - 1))->GetURL() < record->GetURL();
    const bool beforeNext = at + 1 == urlArray_.end() || record->GetURL() < (*(at + 1))->GetURL();
    if (afterPrevious && beforeNext) return index;
    urlArray_.erase(at);
    // std::string orders by unsigned bytes, as the records are sorted.
    const auto place = std::lower_bound(urlArray_.begin(), urlArray_.end(), record,
                                        [](const URLInfo* entry, const URLInfo* value) {
                                            return entry->GetURL() < value->GetURL();
                                        });
    // The erase left room for the record, so this insertion does not allocate.
    return static_cast<int>(urlArray_.insert(place, record) - urlArray_.begin());
}

URLInfo* URLDB::GetURLInfo(std::string_view url) {
    if (url.empty()) return nullptr;
    bool exact = false;
    const int index = BytePosition(url, exact);
    if (exact) return urlArray_[static_cast<size_t>(index)];
    return FindEqual(url, index == GetCount()).first;
}

const URLInfo* URLDB::GetURLInfo(std::string_view url) const {
    return const_cast<URLDB*>(this)->GetURLInfo(url);
}

URLInfo* URLDB::GetAt(int index) {
    if (index < 0 || index >= GetCount()) return nullptr;
    return urlArray_[static_cast<size_t>(index)];
}

const URLInfo* URLDB::GetAt(int index) const {
    return const_cast<URLDB*>(this)->GetAt(index);
}

bool URLDB::QualifiesForEveryuse(const URLInfo& record) const {
    if (record.GetEveryuseEnabled() == 0) return false;
    const int32_t status = record.GetHttpStatus();
    return IsDefaultOkStatus(status) || std::find(extraOkStatuses_.begin(), extraOkStatuses_.end(),
                                                  status) != extraOkStatuses_.end();
}

void URLDB::RefreshEveryuse(URLInfo* record) {
    if (record == nullptr) {
        recentEnabled_ = 0;
        for (URLInfo* each : urlArray_) Offer(each, true);
        recentEnabled_ = 1;
        return;
    }
    Offer(record, true);
}

void URLDB::Offer(URLInfo* record, bool mayBeListed) {
    if (!QualifiesForEveryuse(*record)) return;

    const int64_t now = platform::Clock::Now();
    const int64_t referenced = record->GetLastReferenceTime();
    if (everyusePeriod_ == 0 || referenced >= now - everyusePeriod_) {
        UpdateRecentList(record, Place(0, record, mayBeListed));
    }
    if (genrePeriod_ != 0 && referenced < now - genrePeriod_) return;
    const int32_t genre = record->GetGenre();
    // Genres beyond the last list take part in list 0 only.
    if (genre <= 0 || genre >= static_cast<int32_t>(kEveryuseListCount)) return;
    Place(static_cast<size_t>(genre), record, mayBeListed);
}

int URLDB::UpdateEveryuseInfo(size_t list, URLInfo* record) {
    return Place(list, record, true);
}

// A record that has just entered the database equals no record in it, so no entry of the lists
// can be its own: the search for it is left out then.
int URLDB::Place(size_t list, URLInfo* record, bool mayBeListed) {
    std::vector<URLInfo*>& entries = everyuse_.at(list);
    if (entries.empty()) {
        entries.push_back(record);
        LogEveryuse(EveryuseLog::kFirst, 0, *record);
        return 0;
    }

    if (mayBeListed) {
        const auto same = std::find_if(entries.begin(), entries.end(), [&](const URLInfo* entry) {
            return ArrayControl::CompareURLText(entry->GetURL(), record->GetURL()) == 0;
        });
        if (same != entries.end()) entries.erase(same);
    }

    // Ties go behind the records already listed.
    const auto lower = std::find_if(entries.begin(), entries.end(), [&](const URLInfo* entry) {
        return entry->GetReferenceCount() < record->GetReferenceCount();
    });
    if (lower != entries.end()) {
        const int index = static_cast<int>(lower - entries.begin());
        entries.insert(lower, record);
        LogEveryuse(EveryuseLog::kAt, index, *record);
        if (entries.size() > kEveryuseListMax) entries.erase(entries.begin() + kEveryuseListMax);
        return index;
    }
    if (entries.size() >= kEveryuseListMax) return -1;
    entries.push_back(record);
    LogEveryuse(EveryuseLog::kLast, 0, *record);
    return static_cast<int>(entries.size()) - 1;
}

void URLDB::UpdateRecentList(URLInfo* record, int placement) {
    if (recentEnabled_ == 0) return;
    const auto same = std::find_if(recent_.begin(), recent_.end(), [&](const URLInfo* entry) {
        return ArrayControl::CompareURLText(entry->GetURL(), record->GetURL()) == 0;
    });
    if (same != recent_.end()) recent_.erase(same);
    if (placement == -1 || placement >= recentThreshold_) {
        if (recent_.size() >= kRecentListMax) recent_.erase(recent_.begin());
        recent_.push_back(record);
    }
}

// The log lines show the LastNormalTime text, which is formatted only when the line is written.
void URLDB::LogEveryuse(EveryuseLog kind, int index, const URLInfo& record) const {
    if (GetLogLevel() < LOG_V) return;
    const std::string normal = record.GetLastNormalTimeText();
    const char* url = record.GetURL().c_str();
    const int32_t count = record.GetReferenceCount();
    switch (kind) {
        case EveryuseLog::kFirst:
            LogMessage(LOG_V, "URLDB::UpdateEveryuseInfo 最初によく使うに追加 (%s / %d / %s)", url,
                       count, normal.c_str());
            break;
        case EveryuseLog::kAt:
            LogMessage(LOG_V,
                       "URLDB::UpdateEveryuseInfo 指定位置(%d)によく使うを追加 (%s / %d / %s)",
                       index, url, count, normal.c_str());
            break;
        case EveryuseLog::kLast:
            LogMessage(LOG_V, "URLDB::UpdateEveryuseInfo 最後によく使うを追加 (%s / %d / %s)", url,
                       count, normal.c_str());
            break;
    }
}

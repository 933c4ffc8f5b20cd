#include "selection/ExtractionConditions.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string_view>
#include <unordered_set>

#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "records/URLDB.h"
#include "records/URLInfo.h"

namespace {

constexpr int32_t kDay = 86400;
constexpr int32_t kSpans[] = {0, 3 * kDay, 7 * kDay, 30 * kDay, 30 * kDay};
constexpr const char* kRangeTexts[] = {"すべて", "３日以内", "１週間以内", "１ヶ月以内",
                                       "１ヶ月以前"};

// A time passes a choice when it lies within the span (at or after the limit), or, for the
// "older" choice, before it.
bool PassesTime(int32_t choice, int32_t time, int64_t limit) {
    if (choice == ExtractionConditions::kRangeAll) return true;
    if (choice == ExtractionConditions::kRangeOlder) return time < limit;
    return time >= limit;
}

bool AtLeast(int32_t count, int32_t minimum) {
    return static_cast<uint32_t>(count) >= static_cast<uint32_t>(minimum);
}

// Depth shift that brings the profile's shallowest item to depth 1.
int32_t DepthShift(const BrowserProfile& profile) {
    int32_t shallowest = std::numeric_limits<int32_t>::max();
    BrowserProfile::Position position = profile.GetHeadPosition();
    while (const FavoritesItem* item = profile.GetNext(position)) {
        shallowest = std::min(shallowest, item->GetDepth());
    }
    return shallowest == std::numeric_limits<int32_t>::max() ? 0 : 1 - shallowest;
}

size_t ItemCount(const std::vector<BrowserProfile*>& profiles) {
    size_t count = 0;
    for (const BrowserProfile* profile : profiles) {
        if (profile != nullptr) count += static_cast<size_t>(profile->GetCount());
    }
    return count;
}

}  // namespace

std::string ExtractionConditions::RangeText(int choice) {
    if (choice < 0 || choice >= kRangeCount) return {};
    return platform::Cp932::FromUtf8(kRangeTexts[choice]);
}

int32_t ExtractionConditions::RangeSpan(int choice) {
    if (choice < 0 || choice >= kRangeCount) return 0;
    return kSpans[choice];
}

int32_t ExtractionConditions::ParseCount(std::string_view text) {
    int32_t value = 0;
    for (size_t i = 0; i < text.size() && i < kCountDigitsMax; ++i) {
        if (text[i] < '0' || text[i] > '9') break;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

ExtractionConditions::TimeLimits ExtractionConditions::ComputeLimits(int64_t now) const {
    TimeLimits limits;
    limits.firstTime = now - RangeSpan(values_.FirstTimeRange);
    limits.lastReference = now - RangeSpan(values_.LastReferenceRange);
    limits.lastRequest = now - RangeSpan(values_.LastRequestRange);
    limits.lastNormal = now - RangeSpan(values_.LastNormalRange);
    return limits;
}

int ExtractionConditions::MatchesConditions(const URLInfo& record, int64_t firstTimeLimit,
                                            int64_t lastReferenceLimit, int64_t lastRequestLimit,
                                            int64_t lastNormalLimit) const {
    const bool passes =
        PassesTime(values_.FirstTimeRange, record.GetFirstTime(), firstTimeLimit) &&
        PassesTime(values_.LastReferenceRange, record.GetLastReferenceTime(), lastReferenceLimit) &&
        PassesTime(values_.LastRequestRange, record.GetLastRequestTime(), lastRequestLimit) &&
        PassesTime(values_.LastNormalRange, record.GetLastNormalTime(), lastNormalLimit) &&
        AtLeast(record.GetReferenceCount(), values_.MinReferenceCount) &&
        AtLeast(record.GetErrorCount(), values_.MinErrorCount) &&
        MatchesStatus(record.GetHttpStatus());
    return passes ? 1 : 0;
}

bool ExtractionConditions::MatchesStatus(int32_t status) const {
    if (values_.StatusSelect == 0) return true;
    const Values& v = values_;
    return (v.StatusUncollected && status == 0) || (v.Status300OrLess && status < 400) ||
           (v.Status500OrMore && status >= 500) || (v.Status500 && status == 500) ||
           (v.Status503 && status == 503) || (v.Status400OrMore && status >= 400) ||
           (v.Status401 && status == 401) || (v.Status403 && status == 403);
}

bool ExtractionConditions::Select(const FavoritesItem& item, const URLDB& database,
                                  const TimeLimits& limits, const URLInfo*& record) const {
    record = nullptr;
    if (values_.DeleteUnheld != 1 || database.GetCount() == 0 || item.GetURL().empty()) {
        return true;
    }
    record = database.GetURLInfo(item.GetURL());
    if (record == nullptr) return false;
    return MatchesConditions(*record, limits.firstTime, limits.lastReference, limits.lastRequest,
                             limits.lastNormal) == 1;
}

void ExtractionConditions::ExtractToProfile(const URLDB& database,
                                            const std::vector<BrowserProfile*>& profiles,
                                            BrowserProfile& exportProfile) const {
    const TimeLimits limits = ComputeLimits(platform::Clock::Now());
    // Views of the source items' paths, which outlive the extraction: no path is copied.
    std::unordered_set<std::string_view> takenPaths;
    takenPaths.reserve(ItemCount(profiles));
    bool noItems = true;
    for (const BrowserProfile* profile : profiles) {
        if (profile == nullptr) continue;
        const int32_t shift = DepthShift(*profile);
        BrowserProfile::Position position = profile->GetHeadPosition();
        while (const FavoritesItem* item = profile->GetNext(position)) {
            noItems = false;
            const URLInfo* record = nullptr;
            if (!Select(*item, database, limits, record)) continue;
            if (!takenPaths.insert(item->GetPath()).second) continue;
            auto copy = std::make_unique<FavoritesItem>(*item);
            copy->SetDepth(item->GetDepth() + shift);
            exportProfile.AddItem(std::move(copy));
        }
    }
    if (!noItems || values_.DeleteUnheld != 0) return;

    // Nothing came from the browsers: export the database's own records.
    for (int i = 0; i < database.GetCount(); ++i) {
        const URLInfo* record = database.GetAt(i);
        const std::string& name =
            record->GetTitle().empty() ? record->GetURL() : record->GetTitle();
        auto item = std::make_unique<FavoritesItem>();
        item->SetURL(record->GetURL());
        item->SetName(name);
        item->SetPath(name);
        item->SetDepth(1);
        exportProfile.AddItem(std::move(item));
    }
}

void ExtractionConditions::ExtractToDatabase(const URLDB& database,
                                             const std::vector<BrowserProfile*>& profiles,
                                             URLDB& exportDatabase) const {
    const TimeLimits limits = ComputeLimits(platform::Clock::Now());
    std::unordered_set<std::string_view> takenPaths;
    takenPaths.reserve(ItemCount(profiles));
    for (const BrowserProfile* profile : profiles) {
        if (profile == nullptr) continue;
        BrowserProfile::Position position = profile->GetHeadPosition();
        while (const FavoritesItem* item = profile->GetNext(position)) {
            const URLInfo* held = nullptr;
            if (!Select(*item, database, limits, held)) continue;
            if (!takenPaths.insert(item->GetPath()).second) continue;
            // A separator is no bookmark; it never becomes a record.
            if (item->IsSeparator()) continue;
            std::unique_ptr<URLInfo> record;
            if (held != nullptr) {
                record = std::make_unique<URLInfo>(*held);
            } else {
                record = std::make_unique<URLInfo>(item->GetURL());
                record->SetTitle(item->GetName());
            }
            // Folders have no URL and are refused; the record is then simply dropped.
            exportDatabase.Add(std::move(record), true);
        }
    }
}

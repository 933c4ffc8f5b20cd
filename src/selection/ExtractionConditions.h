#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class BrowserProfile;
class FavoritesItem;
class URLDB;
class URLInfo;

// The conditions that select the bookmarks to export, and the two extraction runs that apply
// them: one merges the items of all browser profiles into an export profile, the other turns
// them into records of an export URL database. Items are taken once per relative path, the
// first profile in the list winning; with DeleteUnheld set (and a non-empty database) a
// bookmark stays only when the database holds its URL and that record passes the conditions.
class ExtractionConditions {
public:
    // Choices of the four time lists.
    enum Range : int32_t {
        kRangeAll = 0,        // no condition
        kRangeThreeDays = 1,  // at most 3 days old
        kRangeWeek = 2,       // at most a week old
        kRangeMonth = 3,      // at most 30 days old
        kRangeOlder = 4,      // more than 30 days old
    };
    static constexpr int kRangeCount = 5;
    // Longest text the two number fields accept.
    static constexpr size_t kCountDigitsMax = 8;

    // The settings of the conditions page, at their defaults.
    struct Values {
        int32_t DeleteUnheld = 0;
        int32_t FirstTimeRange = kRangeAll;
        int32_t LastReferenceRange = kRangeAll;
        int32_t LastRequestRange = kRangeAll;
        int32_t LastNormalRange = kRangeAll;
        int32_t StatusSelect = 0;
        int32_t StatusUncollected = 1;
        int32_t Status300OrLess = 1;
        int32_t Status400OrMore = 1;
        int32_t Status401 = 0;
        int32_t Status403 = 0;
        int32_t Status500OrMore = 1;
        int32_t Status500 = 0;
        int32_t Status503 = 0;
        int32_t MinReferenceCount = 0;
        int32_t MinErrorCount = 0;

        bool operator==(const Values&) const = default;
    };

    // The status fields in the order of the page's status boxes: uncollected, 300 or less, 400
    // or more, 401, 403, 500 or more, 500, 503.
    static constexpr std::array<int32_t Values::*, 8> kStatusFields = {
        &Values::StatusUncollected, &Values::Status300OrLess, &Values::Status400OrMore,
        &Values::Status401,         &Values::Status403,       &Values::Status500OrMore,
        &Values::Status500,         &Values::Status503,
    };
    // The time-list fields in the order first time, last reference, last request, last normal.
    static constexpr std::array<int32_t Values::*, 4> kRangeFields = {
        &Values::FirstTimeRange,
        &Values::LastReferenceRange,
        &Values::LastRequestRange,
        &Values::LastNormalRange,
    };

    // The points in time the four time conditions compare against, fixed at the start of a run.
    struct TimeLimits {
        int64_t firstTime = 0;
        int64_t lastReference = 0;
        int64_t lastRequest = 0;
        int64_t lastNormal = 0;
    };

    const Values& GetValues() const { return values_; }
    void SetValues(const Values& values) { values_ = values; }
    void ResetConditions() { values_ = Values{}; }

    // The text of a time-list choice (internal text); empty outside 0 to 4.
    static std::string RangeText(int choice);
    // The span in seconds a choice counts back from now; 0 for "all" and unknown choices.
    static int32_t RangeSpan(int choice);
    // A number field's value: its leading decimal digits (at most 8), 0 when there are none.
    static int32_t ParseCount(std::string_view text);

    // The limits of a run started at now: each time condition counts back from now.
    TimeLimits ComputeLimits(int64_t now) const;

    // 1 when the record passes every condition, else 0.
    int MatchesConditions(const URLInfo& record, int64_t firstTimeLimit, int64_t lastReferenceLimit,
                          int64_t lastRequestLimit, int64_t lastNormalLimit) const;

    // Appends copies of the selected items of the profiles (in list order) to the export
    // profile. Each profile's depths are shifted so that its shallowest item has depth 1. With
    // no browser items at all and DeleteUnheld clear, the database's records become the items.
    void ExtractToProfile(const URLDB& database, const std::vector<BrowserProfile*>& profiles,
                          BrowserProfile& exportProfile) const;
    // Adds the selected bookmarks to the export database in update mode: a copy of the
    // database's record when the conditions consulted it (DeleteUnheld set and the database not
    // empty), else a new record named after the item, even when the database holds the URL.
    void ExtractToDatabase(const URLDB& database, const std::vector<BrowserProfile*>& profiles,
                           URLDB& exportDatabase) const;

private:
    // Whether the item passes the conditions; record is the database's record that decided it,
    // or null when none was consulted.
    bool Select(const FavoritesItem& item, const URLDB& database, const TimeLimits& limits,
                const URLInfo*& record) const;
    bool MatchesStatus(int32_t status) const;

    Values values_;
};

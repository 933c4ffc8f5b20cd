#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One URL record: a bookmark's address and titles, the state of its last collection (status,
// body, counters, four times), its Basic-authorization credentials and its genre. Texts are
// Shift-JIS bytes and are never converted. The twenty fields carry the line numbers 0 to 19 of
// the URL database file.
//
// The display texts (decimal counters, local times) are produced on demand rather than kept up
// to date by every setter, so that loading a large database formats nothing.
class URLInfo final {
public:
    // Longest Title or DisplayTitle in bytes.
    static constexpr size_t kTitleMax = 64;
    // Highest value ExtraCode keeps; anything outside 0 to this is stored as 0.
    static constexpr int32_t kExtraCodeMax = 5;

    // Every field at its default; the four times at the same current time.
    URLInfo();
    // Defaults, then the URL.
    explicit URLInfo(std::string_view url);
    // Defaults, then CopyFrom: the copy has no titles and an error count of 0. Explicit, so that
    // such a partial copy is never made by accident.
    explicit URLInfo(const URLInfo& other);
    URLInfo& operator=(const URLInfo&) = delete;

    // Copies everything but Title, DisplayTitle and ErrorCount.
    void CopyFrom(const URLInfo& other);
    // Puts every field back to its default (times at the current time).
    void Clear();
    // Merges a newer record for the same URL into this one (update mode of the URL database).
    void UpdateFrom(const URLInfo& newer);
    // ReferenceCount + 1, and LastReferenceTime becomes now. The counters wrap past the 32-bit
    // range like the unsigned counts the extraction conditions compare them as.
    void AddReference();
    void AddError();

    const std::string& GetURL() const { return url_; }
    void SetURL(std::string_view url) { url_.assign(url); }
    // Titles keep at most 64 bytes and never end in half a double-byte character.
    const std::string& GetTitle() const { return title_; }
    void SetTitle(std::string_view title);
    const std::string& GetDisplayTitle() const { return displayTitle_; }
    void SetDisplayTitle(std::string_view title);
    const std::string& GetResponseText() const { return responseText_; }
    void SetResponseText(std::string_view text) { responseText_.assign(text); }
    // Replaces the body, or appends to it; HttpBodySize follows the body's length.
    const std::string& GetHttpBody() const { return httpBody_; }
    void SetHttpBody(std::string_view text, bool append = false);
    const std::string& GetAuthUser() const { return authUser_; }
    void SetAuthUser(std::string_view user) { authUser_.assign(user); }
    const std::string& GetAuthPassword() const { return authPassword_; }
    void SetAuthPassword(std::string_view password) { authPassword_.assign(password); }

    int32_t GetHttpBodySize() const { return httpBodySize_; }
    void SetHttpBodySize(int32_t size) { httpBodySize_ = size; }
    int32_t GetReferenceCount() const { return referenceCount_; }
    void SetReferenceCount(int32_t count) { referenceCount_ = count; }
    int32_t GetErrorCount() const { return errorCount_; }
    void SetErrorCount(int32_t count) { errorCount_ = count; }
    int32_t GetHttpStatus() const { return httpStatus_; }
    void SetHttpStatus(int32_t status) { httpStatus_ = status; }
    int32_t GetEveryuseEnabled() const { return everyuseEnabled_; }
    void SetEveryuseEnabled(int32_t enabled) { everyuseEnabled_ = enabled; }
    int32_t GetAuthRequired() const { return authRequired_; }
    void SetAuthRequired(int32_t required) { authRequired_ = required; }
    int32_t GetExtraValue() const { return extraValue_; }
    void SetExtraValue(int32_t value) { extraValue_ = value; }
    int32_t GetExtraCode() const { return extraCode_; }
    void SetExtraCode(int32_t code);
    int32_t GetGenre() const { return genre_; }
    void SetGenre(int32_t genre) { genre_ = genre; }

    // Seconds since 1970-01-01 00:00:00 UTC.
    int32_t GetFirstTime() const { return firstTime_; }
    void SetFirstTime(int32_t time) { firstTime_ = time; }
    int32_t GetLastRequestTime() const { return lastRequestTime_; }
    void SetLastRequestTime(int32_t time) { lastRequestTime_ = time; }
    int32_t GetLastNormalTime() const { return lastNormalTime_; }
    void SetLastNormalTime(int32_t time) { lastNormalTime_ = time; }
    int32_t GetLastReferenceTime() const { return lastReferenceTime_; }
    void SetLastReferenceTime(int32_t time) { lastReferenceTime_ = time; }

    // Display texts for list views and log lines. The genre shows its number plus one.
    std::string GetHttpBodySizeText() const { return std::to_string(httpBodySize_); }
    std::string GetReferenceCountText() const { return std::to_string(referenceCount_); }
    std::string GetErrorCountText() const { return std::to_string(errorCount_); }
    std::string GetHttpStatusText() const { return std::to_string(httpStatus_); }
    std::string GetEveryuseEnabledText() const { return std::to_string(everyuseEnabled_); }
    std::string GetGenreText() const { return std::to_string(int64_t{genre_} + 1); }
    std::string GetFirstTimeText() const { return FormatTimeText(firstTime_); }
    std::string GetLastRequestTimeText() const { return FormatTimeText(lastRequestTime_); }
    std::string GetLastNormalTimeText() const { return FormatTimeText(lastNormalTime_); }
    std::string GetLastReferenceTimeText() const { return FormatTimeText(lastReferenceTime_); }

    // "YYYY/MM/DD hh:mm:ss" in local time (19 characters).
    static std::string FormatTimeText(int32_t time);
    // The current time as a record time (clamped to the 32-bit range).
    static int32_t Now();
    // The longest run of whole characters of the text that fits in max bytes (the whole text
    // when it already fits).
    static std::string_view CutToCharacters(std::string_view text, size_t max);

private:
    std::string url_;
    std::string title_;
    std::string displayTitle_;
    std::string responseText_;
    std::string httpBody_;
    std::string authUser_;
    std::string authPassword_;
    int32_t httpBodySize_ = 0;
    int32_t referenceCount_ = 0;
    int32_t errorCount_ = 0;
    int32_t httpStatus_ = 0;
    int32_t firstTime_ = 0;
    int32_t lastRequestTime_ = 0;
    int32_t lastNormalTime_ = 0;
    int32_t everyuseEnabled_ = 1;
    int32_t lastReferenceTime_ = 0;
    int32_t authRequired_ = 0;
    int32_t extraValue_ = 0;
    int32_t extraCode_ = 0;
    int32_t genre_ = 0;
};

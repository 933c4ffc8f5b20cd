#include "records/URLInfo.h"

#include <cstdio>
#include <limits>

#include "platform/Clock.h"
#include "platform/Cp932.h"

namespace {

constexpr int32_t kHttpOk = 200;
constexpr std::string_view kBookmarkMark = "Bookmark";

// One more, wrapping past the largest value instead of overflowing.
int32_t Increment(int32_t count) {
    return static_cast<int32_t>(static_cast<uint32_t>(count) + 1u);
}

}  // namespace

URLInfo::URLInfo() {
    Clear();
}

URLInfo::URLInfo(std::string_view url) : URLInfo() {
    url_.assign(url);
}

URLInfo::URLInfo(const URLInfo& other) : URLInfo() {
    CopyFrom(other);
}

void URLInfo::Clear() {
    url_.clear();
    title_.clear();
    displayTitle_.clear();
    responseText_.clear();
    httpBody_.clear();
    authUser_.clear();
    authPassword_.clear();
    httpBodySize_ = 0;
    referenceCount_ = 0;
    errorCount_ = 0;
    httpStatus_ = 0;
    everyuseEnabled_ = 1;
    authRequired_ = 0;
    extraValue_ = 0;
    extraCode_ = 0;
    genre_ = 0;
    const int32_t now = Now();
    firstTime_ = now;
    lastRequestTime_ = now;
    lastNormalTime_ = now;
    lastReferenceTime_ = now;
}

void URLInfo::CopyFrom(const URLInfo& other) {
    url_ = other.url_;
    responseText_ = other.responseText_;
    SetHttpBody(other.httpBody_);
    referenceCount_ = other.referenceCount_;
    httpStatus_ = other.httpStatus_;
    firstTime_ = other.firstTime_;
    lastRequestTime_ = other.lastRequestTime_;
    lastNormalTime_ = other.lastNormalTime_;
    lastReferenceTime_ = other.lastReferenceTime_;
    everyuseEnabled_ = other.everyuseEnabled_;
    authRequired_ = other.authRequired_;
    authUser_ = other.authUser_;
    authPassword_ = other.authPassword_;
    extraValue_ = other.extraValue_;
    extraCode_ = other.extraCode_;
    genre_ = other.genre_;
}

void URLInfo::UpdateFrom(const URLInfo& newer) {
    // The newer form of the URL wins (with or without its trailing slash).
    url_ = newer.url_;
    lastRequestTime_ = newer.lastRequestTime_;
    if (!newer.responseText_.empty()) responseText_ = newer.responseText_;
    if (newer.httpStatus_ != 0) httpStatus_ = newer.httpStatus_;
    if (newer.httpStatus_ == kHttpOk) {
        if (newer.title_.find(kBookmarkMark) != std::string::npos) title_ = newer.title_;
        SetHttpBody(newer.httpBody_);
        lastNormalTime_ = newer.lastNormalTime_;
        AddReference();
    } else {
        AddError();
    }
    genre_ = newer.genre_;
}

void URLInfo::AddReference() {
    referenceCount_ = Increment(referenceCount_);
    lastReferenceTime_ = Now();
}

void URLInfo::AddError() {
    errorCount_ = Increment(errorCount_);
}

void URLInfo::SetTitle(std::string_view title) {
    title_.assign(CutToCharacters(title, kTitleMax));
}

void URLInfo::SetDisplayTitle(std::string_view title) {
    displayTitle_.assign(CutToCharacters(title, kTitleMax));
}

void URLInfo::SetHttpBody(std::string_view text, bool append) {
    if (append) {
        httpBody_.append(text);
    } else {
        httpBody_.assign(text);
    }
    // The size field is 32-bit; a body beyond that reads as the largest size.
    const size_t size = httpBody_.size();
    httpBodySize_ = size > static_cast<size_t>(std::numeric_limits<int32_t>::max())
                        ? std::numeric_limits<int32_t>::max()
                        : static_cast<int32_t>(size);
}

void URLInfo::SetExtraCode(int32_t code) {
    extraCode_ = code >= 0 && code <= kExtraCodeMax ? code : 0;
}

std::string URLInfo::FormatTimeText(int32_t time) {
    const platform::LocalTime local = platform::Clock::ToLocal(time);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    return text;
}

int32_t URLInfo::Now() {
    const int64_t now = platform::Clock::Now();
    if (now > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (now < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(now);
}

std::string_view URLInfo::CutToCharacters(std::string_view text, size_t max) {
    if (text.size() <= max) return text;
    size_t end = 0;
    while (end < text.size()) {
        const size_t length = platform::Cp932::CharLength(text, end);
        const size_t next = end + (length == 0 ? 1 : length);
        if (next > max) break;
        end = next;
    }
    return text.substr(0, end);
}

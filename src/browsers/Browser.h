#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browsers/BrowserProfile.h"

// The browser adapter: knows where one browser family keeps its bookmarks, reads them into a
// profile and writes a profile back out in that browser's format. Owns its profiles.
class Browser {
public:
    Browser() = default;
    virtual ~Browser() = default;
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // While non-zero, the line-by-line readers stop between lines.
    int32_t GetStopFlag() const { return stopFlag_; }
    void SetStopFlag(int32_t value) { stopFlag_ = value; }

    // Finds the browser's profiles and appends them; called once per adapter at start-up.
    virtual void Initialize() {}
    // Replaces the profile's items with what is found at path; the profile's item count.
    virtual int Load(const std::string& path, BrowserProfile* profile);
    // Writes the profile's items in the browser's format; the number of entries written.
    virtual int Save(const std::string& path, BrowserProfile* profile);

    // The profile at index; null when the index is out of range.
    BrowserProfile* GetProfile(int index) const;
    // Appends the profile, takes it over; its index (-1 for a null profile).
    int AddProfile(std::unique_ptr<BrowserProfile> profile);
    int GetProfileCount() const { return static_cast<int>(profiles_.size()); }
    void SetProgramPath(const std::string& path) { programPath_ = path; }
    const std::string& GetProgramPath() const { return programPath_; }

protected:
    // The nesting level of the reader: raised on entry to each recursive reading step, lowered on
    // its exit; new items take it as their depth.
    int32_t GetDepth() const { return depth_; }
    void RaiseDepth() { ++depth_; }
    void LowerDepth() { --depth_; }

private:
    std::vector<std::unique_ptr<BrowserProfile>> profiles_;
    int32_t depth_ = 0;
    int32_t stopFlag_ = 0;
    std::string programPath_;
};

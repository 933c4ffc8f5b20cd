#include "browsers/Browser.h"

int Browser::Load(const std::string&, BrowserProfile*) {
    return 0;
}

int Browser::Save(const std::string&, BrowserProfile*) {
    return 0;
}

BrowserProfile* Browser::GetProfile(int index) const {
    if (index < 0 || index >= GetProfileCount()) return nullptr;
    return profiles_[static_cast<size_t>(index)].get();
}

int Browser::AddProfile(std::unique_ptr<BrowserProfile> profile) {
    if (!profile) return -1;
    profiles_.push_back(std::move(profile));
    return GetProfileCount() - 1;
}

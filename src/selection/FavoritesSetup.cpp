#include "selection/FavoritesSetup.h"

#include "browsers/BrowserProfile.h"
#include "browsers/MSBrowser.h"
#include "browsers/NNV4Browser.h"
#include "browsers/NNV6Browser.h"
#include "browsers/NNV7Browser.h"
#include "browsers/Opera6Browser.h"
#include "encoding/EncodingString.h"

FavoritesSetup::FavoritesSetup() : settings_("", "") {
    browsers_[0] = std::make_unique<MSBrowser>();
    browsers_[1] = std::make_unique<NNV4Browser>();
    browsers_[2] = std::make_unique<NNV6Browser>();
    browsers_[3] = std::make_unique<NNV7Browser>();
    browsers_[4] = std::make_unique<Opera6Browser>();
    ResetSettings();
}

FavoritesSetup::~FavoritesSetup() {
    looseProfiles_.clear();
    for (int kind = kKindCount; kind >= 1; --kind) browsers_[kind - 1].reset();
}

void FavoritesSetup::ResetSettings() {
    for (auto& browser : browsers_) browser->Initialize();
    backup_ = kDefaultBackup;
    autoConvert_ = kDefaultAutoConvert;
    EncodingString::SetAutoConvertLevel(autoConvert_);
}

void FavoritesSetup::ListProfiles(std::vector<BrowserProfile*>& profiles) const {
    if (offerDetected_) {
        // Internet Explorer has one profile per user; only the first is offered.
        if (BrowserProfile* first = browsers_[0]->GetProfile(0)) profiles.push_back(first);
        for (int kind = 2; kind <= kKindCount; ++kind) {
            const Browser& browser = *browsers_[kind - 1];
            for (int index = 0; index < browser.GetProfileCount(); ++index)
                profiles.push_back(browser.GetProfile(index));
        }
    }
    for (const auto& loose : looseProfiles_) profiles.push_back(loose.get());
}

BrowserProfile* FavoritesSetup::AddLooseProfile(int kind, const std::string& path) {
    if (!GetBrowser(kind)) return nullptr;
    auto profile = std::make_unique<BrowserProfile>();
    profile->SetKind(kind);
    profile->SetFavoritesPath(path);
    looseProfiles_.push_back(std::move(profile));
    return looseProfiles_.back().get();
}

int FavoritesSetup::LoadProfile(BrowserProfile* profile) {
    if (!profile) return 0;
    Browser* browser = GetBrowser(profile->GetKind());
    if (!browser) return 0;
    return browser->Load(profile->GetFavoritesPath(), profile);
}

int FavoritesSetup::SaveKind(int kind, const std::string& path, BrowserProfile* profile) {
    Browser* browser = GetBrowser(kind);
    if (!browser || !profile) return 0;
    return browser->Save(path, profile);
}

Browser* FavoritesSetup::GetBrowser(int kind) const {
    if (kind < 1 || kind > kKindCount) return nullptr;
    return browsers_[kind - 1].get();
}

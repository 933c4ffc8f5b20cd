#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "support/ProfileSection.h"

class Browser;
class BrowserProfile;

// The settings object shared with Korvadel. Here it owns the five browser adapters, one per
// browser kind, and gives the built-in backup count and automatic-conversion level. No settings
// file is bound, so the built-in values hold for the whole run.
class FavoritesSetup {
public:
    static constexpr int kKindCount = 5;
    static constexpr int kDefaultBackup = 2;
    static constexpr int kDefaultAutoConvert = 1;

    // Builds the adapters in kind order and lets each find its browser's profiles.
    FavoritesSetup();
    // Destroys the adapters from the highest kind down.
    ~FavoritesSetup();
    FavoritesSetup(const FavoritesSetup&) = delete;
    FavoritesSetup& operator=(const FavoritesSetup&) = delete;

    // Runs each adapter's profile search, then puts every setting back to its built-in value;
    // the automatic-conversion level also sets the EUC decision threshold.
    void ResetSettings();

    int GetBackupCount() const { return backup_; }
    int GetAutoConvertLevel() const { return autoConvert_; }

    // Appends the first Internet Explorer profile, then every Netscape 4.x, 6.x, 7.x and Opera 6
    // profile (the adapters keep owning them), then the loose profiles in the order added.
    void ListProfiles(std::vector<BrowserProfile*>& profiles) const;
    // Adds a profile of a kind (1 to 5) that stands for a bookmark file or, for Internet
    // Explorer, a favorites folder outside any detected installation: it is read by the adapter
    // of its kind like a detected profile, has no user and no proxy settings, and is owned here.
    // Null for an unknown kind.
    BrowserProfile* AddLooseProfile(int kind, const std::string& path);
    // Whether ListProfiles offers the detected profiles (the default) or the loose ones only.
    void SetOfferDetected(bool offer) { offerDetected_ = offer; }
    // Loads the profile with the adapter of its kind; 0 for an unknown kind.
    int LoadProfile(BrowserProfile* profile);
    // Saves the profile in the format of the kind; 0 for an unknown kind.
    int SaveKind(int kind, const std::string& path, BrowserProfile* profile);

    // The adapter of a kind (1 to 5), or null.
    Browser* GetBrowser(int kind) const;

private:
    ProfileSection settings_;
    std::array<std::unique_ptr<Browser>, kKindCount> browsers_;
    std::vector<std::unique_ptr<BrowserProfile>> looseProfiles_;
    bool offerDetected_ = true;
    int backup_ = kDefaultBackup;
    int autoConvert_ = kDefaultAutoConvert;
};

#pragma once

#include <string>
#include <vector>

#include "browsers/NNBrowser.h"
#include "browsers/NNProfileFinder.h"

// The Netscape 6.x adapter: finds the installation in the registry and the Mozilla profiles
// listed in "registry.dat" below the "AppData" folder; reads and writes "bookmarks.html" in UTF-8.
class NNV6Browser : public NNBrowser {
public:
    // Installation check, program path, then one profile per profile folder that holds both
    // "bookmarks.html" and "prefs.js".
    void Initialize() override;
    int Load(const std::string& path, BrowserProfile* profile) override;
    int Save(const std::string& path, BrowserProfile* profile) override;

protected:
    // The candidate profile folders of the Mozilla "registry.dat".
    void get_profile_folder(std::vector<std::string>& folders);
    // Turns the candidate folders into profiles.
    void get_proxy_information();

private:
    static const NNProfileFinder::Version kVersion;
};

#pragma once

#include <string>
#include <vector>

#include "browsers/NNBrowser.h"
#include "browsers/NNProfileFinder.h"

// The Netscape 4.x adapter: finds the installation in the registry and the user profiles listed
// in "nsreg.dat" in the Windows folder; reads and writes "bookmark.htm" in Shift-JIS.
class NNV4Browser : public NNBrowser {
public:
    // Installation check, program path, then one profile per user folder that holds both
    // "bookmark.htm" and "prefs.js".
    void Initialize() override;
    int Load(const std::string& path, BrowserProfile* profile) override;
    int Save(const std::string& path, BrowserProfile* profile) override;

protected:
    // The candidate profile folders of "nsreg.dat" in the Windows folder.
    void get_netscape_profile(std::vector<std::string>& folders);
    // Turns the candidate folders into profiles.
    void get_proxy_information();

private:
    static const NNProfileFinder::Version kVersion;
};

#include "browsers/NNV6Browser.h"

#include <string>
#include <vector>

const NNProfileFinder::Version NNV6Browser::kVersion = {
    "NNV6Browser", BrowserProfile::kNetscape6, "SOFTWARE\\Netscape\\Netscape 6",
    "PathToExe",   "bookmarks.html",           4,
};

void NNV6Browser::Initialize() {
    std::string programPath;
    if (!NNProfileFinder::ReadInstallation(kVersion, programPath)) return;
    // Nothing reads the program path; it is recorded as the Netscape 4.x adapter records its own.
    SetProgramPath(programPath);
    get_proxy_information();
}

void NNV6Browser::get_profile_folder(std::vector<std::string>& folders) {
    NNProfileFinder::FindMozillaFolders(kVersion.className, folders);
}

void NNV6Browser::get_proxy_information() {
    std::vector<std::string> folders;
    get_profile_folder(folders);
    NNProfileFinder::AddProfiles(*this, kVersion, folders);
}

int NNV6Browser::Load(const std::string& path, BrowserProfile* profile) {
    return LoadBookmarkFile(kVersion.className, path, profile);
}

int NNV6Browser::Save(const std::string& path, BrowserProfile* profile) {
    return SaveBookmarkFile(kVersion.className, path, profile, kEncodingUTF8, Netscape6Header());
}

#include "browsers/NNV4Browser.h"

#include <string>
#include <vector>

#include "platform/SystemInfo.h"
#include "support/Log.h"

const NNProfileFinder::Version NNV4Browser::kVersion = {
    "NNV4Browser",
    BrowserProfile::kNetscape4,
    "SOFTWARE\\Netscape\\Netscape Navigator",
    "Install Directory",
    "bookmark.htm",
    3,
};

namespace {

// Room of the Windows folder's buffer, terminating zero included.
constexpr size_t kWindowsFolderLimit = 259;

}  // namespace

void NNV4Browser::Initialize() {
    std::string installDirectory;
    if (!NNProfileFinder::ReadInstallation(kVersion, installDirectory)) return;
    SetProgramPath(installDirectory + "\\Program\\netscape.exe");
    get_proxy_information();
}

void NNV4Browser::get_netscape_profile(std::vector<std::string>& folders) {
    const std::string windows = platform::SystemInfo::WindowsFolder();
    if (windows.empty() || windows.size() >= kWindowsFolderLimit) {
        LogMessage(LOG_W,
                   "NNV4Browser::get_netscape_profile GetWindowDirectoryが取得できませんでした。");
        return;
    }
    const size_t first = folders.size();
    if (NNProfileFinder::ReadProfileList(windows + "\\nsreg.dat", "ProfileLocation", folders) ==
        NNProfileFinder::ListRead::NoBuffer) {
        LogSystemError("NNV4Browser::get_netscape_profile");
        return;
    }
    for (size_t i = first; i < folders.size(); ++i) {
        LogMessage(LOG_D, "NNV4Browser::get_netscape_profile 見つけたファイル名[%s]",
                   folders[i].c_str());
    }
}

void NNV4Browser::get_proxy_information() {
    std::vector<std::string> folders;
    get_netscape_profile(folders);
    NNProfileFinder::AddProfiles(*this, kVersion, folders);
}

int NNV4Browser::Load(const std::string& path, BrowserProfile* profile) {
    return LoadBookmarkFile(kVersion.className, path, profile);
}

int NNV4Browser::Save(const std::string& path, BrowserProfile* profile) {
    return SaveBookmarkFile(kVersion.className, path, profile, kEncodingShiftJIS,
                            Netscape4Header());
}

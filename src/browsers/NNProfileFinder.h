#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/Browser.h"
#include "browsers/BrowserProfile.h"

// Finds the user profiles of a Netscape installation, for the three Netscape adapters: the
// installation in the registry, the profile folders named in a profile list file ("nsreg.dat" of
// 4.x, "registry.dat" of Mozilla), and the proxy settings in each profile's "prefs.js". The
// adapters differ only in the facts of their Version.
class NNProfileFinder {
public:
    struct Version {
        const char* className;   // the adapter's class, first word of its log lines
        int32_t kind;            // kind of the profiles it creates
        const char* productKey;  // below HKEY_LOCAL_MACHINE; holds "CurrentVersion"
        const char* valueName;   // read in "<productKey>\<version>\Main"
        const char* bookmarkFile;
        int userFromEnd;  // component of the prefs path, counted from its end, naming the user
    };

    // Outcome of reading a profile list file.
    enum class ListRead {
        Read,
        Missing,   // the file cannot be opened
        NoBuffer,  // the file does not fit in a read buffer: past kListSizeLimit or out of memory
    };

    // Profile list files are a few kilobytes; a larger file is not read.
    static constexpr size_t kListSizeLimit = 4 * 1024 * 1024;

    // The installation check: "CurrentVersion" of the product key, then the value of
    // "<productKey>\<version>\Main". False when either is missing or the version is empty.
    static bool ReadInstallation(const Version& version, std::string& value);

    // Reads the profile list file whole and scans it for the key. Nothing is found when the file is
    // Missing or NoBuffer; NoBuffer sets the system error.
    static ListRead ReadProfileList(const std::string& file, std::string_view key,
                                    std::vector<std::string>& folders);
    // At every byte position where the key occurs, the candidate folder is the zero-terminated
    // string that starts one byte after the key (running to the end of the bytes when no zero
    // follows), with a backslash appended. Only the bytes are used, not the records around them.
    static void ScanProfileList(std::string_view bytes, std::string_view key,
                                std::vector<std::string>& folders);

    // The candidate folders of "%s\Mozilla\registry.dat" in the "AppData" user shell folder
    // (Netscape 6.x and 7.x), logged as the adapter's get_profile_folder.
    static void FindMozillaFolders(const char* className, std::vector<std::string>& folders);

    // Appends one profile for each candidate folder that holds both the bookmark file and
    // "prefs.js", in the order of the candidates.
    static void AddProfiles(Browser& browser, const Version& version,
                            const std::vector<std::string>& folders);

    // Stores the proxy settings of a "prefs.js" in the profile: host, port and bypass list of its
    // last "network.proxy.http", "network.proxy.http_port" and "network.proxy.no_proxies_on"
    // lines, only when both host and port are non-empty. Lines without their delimiters count
    // for nothing.
    static void ReadProxy(const std::string& prefsPath, BrowserProfile& profile);

    // The component `fromEnd` of the path counted from its end (drive, folders, name and
    // extension as the path splitter gives them); empty when the path has no more components.
    static std::string ProfileName(const std::string& prefsPath, int fromEnd);

    // Mozilla stores folders in UTF-8: the folder converted from UTF-8 to Shift-JIS when it is
    // well-formed UTF-8 holding bytes of 0x80 or above; empty otherwise.
    static std::string FolderFromUtf8(const std::string& folder);
};

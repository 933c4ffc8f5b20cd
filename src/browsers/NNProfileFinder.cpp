#include "browsers/NNProfileFinder.h"

#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Environment.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "support/CommonTools.h"
#include "support/Log.h"

namespace {

// Buffer size of the registry values read, terminating zero included.
constexpr size_t kValueLimit = 260;
// Proxy lines are short; a longer line of "prefs.js" is kept only up to here.
constexpr size_t kPrefsLineLimit = 64 * 1024;

constexpr std::string_view kHostLine = "user_pref(\"network.proxy.http\"";
constexpr std::string_view kPortLine = "user_pref(\"network.proxy.http_port\"";
constexpr std::string_view kBypassLine = "user_pref(\"network.proxy.no_proxies_on\"";

// The text from start up to end; empty when end does not lie after start.
std::string Between(const std::string& line, size_t start, size_t end) {
    return start < end && end <= line.size() ? line.substr(start, end - start) : std::string();
}

// Host: from after the first comma, blank and double quote up to the first double quote that is
// followed by ");". False when a delimiter is missing.
bool ParseHost(const std::string& line, std::string& host) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) return false;
    const size_t start = comma + 3;
    const size_t end = line.find("\");", start);
    if (end == std::string::npos) return false;
    host = Between(line, start, end);
    return true;
}

// Port: from two characters after the first comma up to the first ")" after it.
bool ParsePort(const std::string& line, std::string& port) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) return false;
    const size_t close = line.find(')', comma);
    if (close == std::string::npos) return false;
    port = Between(line, comma + 2, close);
    return true;
}

// Bypass list: from three characters after the first comma up to the character before the first
// ")" after it, which drops the closing quote.
bool ParseBypass(const std::string& line, std::string& bypass) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) return false;
    const size_t close = line.find(')', comma);
    if (close == std::string::npos) return false;
    bypass = Between(line, comma + 3, close - 1);
    return true;
}

bool StartsWith(const std::string& line, std::string_view prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

// Bytes of the well-formed UTF-8 sequence (RFC 3629) at pos; 0 when it is malformed.
size_t Utf8SequenceLength(std::string_view text, size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace

bool NNProfileFinder::ReadInstallation(const Version& version, std::string& value) {
    std::string current;
    if (platform::Registry::ReadString(platform::RegistryRoot::LocalMachine, version.productKey,
                                       "CurrentVersion", kValueLimit,
                                       current) != platform::RegistryRead::Found ||
        current.empty()) {
        return false;
    }
    const std::string versionKey = std::string(version.productKey) + "\\" + current + "\\Main";
    return platform::Registry::ReadString(platform::RegistryRoot::LocalMachine, versionKey,
                                          version.valueName, kValueLimit,
                                          value) == platform::RegistryRead::Found;
}

NNProfileFinder::ListRead NNProfileFinder::ReadProfileList(const std::string& file,
                                                           std::string_view key,
                                                           std::vector<std::string>& folders) {
    platform::File input;
    if (!input.Open(file, platform::File::Mode::Read, false)) return ListRead::Missing;
    // Read at most one byte past the limit, so that neither a huge file nor a device that never
    // ends is held in memory.
    std::string bytes;
    try {
        char buffer[65536];
        for (size_t got; (got = input.Read(buffer, sizeof buffer)) > 0;) {
            bytes.append(buffer, got);
            if (bytes.size() > kListSizeLimit) {
                platform::SystemError::SetLast(EFBIG);
                return ListRead::NoBuffer;
            }
        }
    } catch (const std::bad_alloc&) {
        platform::SystemError::SetLast(ENOMEM);
        return ListRead::NoBuffer;
    }
    ScanProfileList(bytes, key, folders);
    return ListRead::Read;
}

void NNProfileFinder::ScanProfileList(std::string_view bytes, std::string_view key,
                                      std::vector<std::string>& folders) {
    if (key.empty()) return;
    for (size_t at = bytes.find(key); at != std::string_view::npos; at = bytes.find(key, at + 1)) {
        // The byte right after the key is its terminator; the value starts after it.
        const size_t start = at + key.size() + 1;
        std::string folder;
        if (start < bytes.size()) {
            const size_t end = bytes.find('\0', start);
            folder.assign(bytes.substr(start, end == std::string_view::npos ? end : end - start));
        }
        folder += '\\';
        folders.push_back(std::move(folder));
    }
}

void NNProfileFinder::FindMozillaFolders(const char* className, std::vector<std::string>& folders) {
    std::string appData;
    const platform::ShellFolderRead read =
        platform::Environment::UserShellFolder("AppData", kValueLimit, appData);
    if (read == platform::ShellFolderRead::NoKey) {
        LogMessage(LOG_W, "%s::get_profile_folder GetWindowDirectoryが取得できませんでした。",
                   className);
        return;
    }
    // Without the folder there is no file to read: an empty one would name the drive root.
    if (read != platform::ShellFolderRead::Found || appData.empty()) return;
    const size_t first = folders.size();
    const std::string file = appData + "\\Mozilla\\registry.dat";
    if (ReadProfileList(file, "directory", folders) == ListRead::NoBuffer) {
        const std::string text = std::string(className) + "::get_profile_folder";
        LogSystemError(text.c_str());
        return;
    }
    for (size_t i = first; i < folders.size(); ++i) {
        LogMessage(LOG_D, "%s::get_profile_folder 見つけたファイル名[%s]", className,
                   folders[i].c_str());
    }
}

void NNProfileFinder::AddProfiles(Browser& browser, const Version& version,
                                  const std::vector<std::string>& folders) {
    for (const std::string& candidate : folders) {
        std::string folder = candidate;
        std::string bookmarkPath = folder + version.bookmarkFile;
        if (!platform::FileSystem::Exists(bookmarkPath)) {
            const std::string converted = FolderFromUtf8(folder);
            if (converted.empty() ||
                !platform::FileSystem::Exists(converted + version.bookmarkFile)) {
                LogMessage(
                    LOG_D,
                    "%s::get_proxy_information お気に入りファイルが見つかりませんでした。[%s]",
                    version.className, bookmarkPath.c_str());
                continue;
            }
            folder = converted;
            bookmarkPath = folder + version.bookmarkFile;
        }
        const std::string prefsPath = folder + "prefs.js";
        if (!platform::FileSystem::Exists(prefsPath)) {
            LogMessage(LOG_D,
                       "%s::get_proxy_information プロファイル情報が見つかりませんでした。[%s]",
                       version.className, prefsPath.c_str());
            continue;
        }
        auto profile = std::make_unique<BrowserProfile>();
        profile->SetUser(ProfileName(prefsPath, version.userFromEnd));
        profile->SetKind(version.kind);
        profile->SetFavoritesPath(bookmarkPath);
        ReadProxy(prefsPath, *profile);
        browser.AddProfile(std::move(profile));
    }
}

void NNProfileFinder::ReadProxy(const std::string& prefsPath, BrowserProfile& profile) {
    platform::File input;
    if (!input.Open(prefsPath, platform::File::Mode::Read, true)) return;
    std::string host;
    std::string port;
    std::string bypass;
    std::string line;
    while (input.ReadLine(line, kPrefsLineLimit)) {
        if (StartsWith(line, kHostLine)) {
            ParseHost(line, host);
        } else if (StartsWith(line, kPortLine)) {
            ParsePort(line, port);
        } else if (StartsWith(line, kBypassLine)) {
            ParseBypass(line, bypass);
        }
    }
    if (!host.empty() && !port.empty()) profile.SetProxy(host, port, bypass);
}

std::string NNProfileFinder::ProfileName(const std::string& prefsPath, int fromEnd) {
    std::vector<std::string> components;
    CommonTools::SplitPath(prefsPath, components);
    if (fromEnd <= 0 || components.size() <= static_cast<size_t>(fromEnd)) return std::string();
    return components[components.size() - static_cast<size_t>(fromEnd)];
}

std::string NNProfileFinder::FolderFromUtf8(const std::string& folder) {
    bool high = false;
    for (size_t pos = 0; pos < folder.size();) {
        const size_t length = Utf8SequenceLength(folder, pos);
        if (length == 0) return std::string();
        high = high || length > 1;
        pos += length;
    }
    return high ? platform::Cp932::FromUtf8(folder) : std::string();
}

#include "platform/WindowsRoot.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Cp932.h"
#include "platform/FolderNameCache.h"
#include "platform/SjisText.h"
#include "platform/SystemNotices.h"

namespace platform {

namespace {

// The folders that hold the profiles: Vista and later, then XP and 2000.
constexpr const char* kProfileFolders[] = {"Users", "Documents and Settings"};
// Profiles of the system itself, never a person's.
constexpr const char* kSystemProfiles[] = {"All Users", "Default User", "Default",
                                           "Public",    "LocalService", "NetworkService"};
// Usual names of the Windows folder, looked at first.
constexpr const char* kWindowsFolders[] = {"WINDOWS", "WINNT"};

bool IsFolder(const std::string& native) {
    struct stat info {};
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A real folder, not a link (Vista's junctions, such as "Default User", show as links).
bool IsOwnFolder(const std::string& native) {
    struct stat info {};
    return lstat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string RealPath(const std::string& native) {
    char buffer[PATH_MAX];
    if (!realpath(native.c_str(), buffer)) return {};
    return buffer;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return SjisText::EqualNoCase(Cp932::FromUtf8(a), Cp932::FromUtf8(b));
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The entry of `folder` named `name` in any letter case; empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& name) {
    std::string found;
    if (!FolderNameCache::Find(folder, name, found)) return {};
    struct stat info {};
    return lstat((folder + "/" + found).c_str(), &info) == 0 ? found : std::string();
}

// The root's folder that holds system32, usual names first; empty when there is none.
std::string FindWindowsFolder(const std::string& root) {
    std::vector<std::string> names = FolderNames(root);
    std::stable_partition(names.begin(), names.end(), [](const std::string& name) {
        return std::any_of(std::begin(kWindowsFolders), std::end(kWindowsFolders),
                           [&](const char* usual) { return EqualNoCase(name, usual); });
    });
    for (const std::string& name : names) {
        const std::string folder = root + "/" + name;
        if (!IsOwnFolder(folder)) continue;
        const std::string system32 = FindEntry(folder, "system32");
        if (!system32.empty() && IsFolder(folder + "/" + system32)) return name;
    }
    return {};
}

struct Profile {
    std::string parent;  // UTF-8 name of the folder holding it
    std::string name;    // UTF-8 folder name
    bool vista = false;
};

std::vector<Profile> FindProfiles(const std::string& root) {
    std::vector<Profile> profiles;
    for (const char* folderName : kProfileFolders) {
        const std::string parent = FindEntry(root, folderName);
        // On Vista, Documents and Settings is a link to Users.
        if (parent.empty() || !IsOwnFolder(root + "/" + parent)) continue;
        for (const std::string& name : FolderNames(root + "/" + parent)) {
            if (!IsOwnFolder(root + "/" + parent + "/" + name)) continue;
            const auto same = [&](const char* other) { return EqualNoCase(name, other); };
            if (std::any_of(std::begin(kSystemProfiles), std::end(kSystemProfiles), same)) continue;
            const bool seen = std::any_of(profiles.begin(), profiles.end(), [&](const Profile& p) {
                return EqualNoCase(p.name, name);
            });
            if (!seen) profiles.push_back({parent, name, std::strcmp(folderName, "Users") == 0});
        }
    }
    std::sort(profiles.begin(), profiles.end(),
              [](const Profile& a, const Profile& b) { return a.name < b.name; });
    return profiles;
}

std::string Message(const char* utf8) {
    return Cp932::FromUtf8(utf8);
}

std::string Quoted(const std::string& utf8) {
    return Message("「") + Cp932::FromUtf8(utf8) + Message("」");
}

std::string UserList(const std::vector<Profile>& profiles) {
    std::string list;
    for (const Profile& profile : profiles) {
        if (!list.empty()) list += Message("、");
        list += Cp932::FromUtf8(profile.name);
    }
    return list;
}

// Reads "X:=DIR" into the drive map; an error text when it is malformed or names no folder.
std::string AddDrive(const std::string& option, std::array<std::string, 26>& drives) {
    const std::string malformed =
        Message("ドライブの指定") + Quoted(option) +
        Message("が正しくありません。「X:=フォルダ」の形で、C: 以外のドライブを指定してください。");
    if (option.size() < 4 || option[1] != ':' || option[2] != '=') return malformed;
    const char letter = static_cast<char>(option[0] | 0x20);
    if (letter < 'a' || letter > 'z' || letter == 'c') return malformed;
    const std::string folder = RealPath(option.substr(3));
    if (folder.empty() || !IsFolder(folder))
        return Message("ドライブ") + option.substr(0, 2) + Message("のフォルダ") +
               Quoted(option.substr(3)) + Message("がありません。");
    drives[letter - 'a'] = folder;
    return {};
}

}  // namespace

std::vector<std::string> WindowsRoot::Users(const std::string& root) {
    std::vector<std::string> users;
    for (const Profile& profile : FindProfiles(root)) users.push_back(profile.name);
    return users;
}

std::string WindowsRoot::Use(const WindowsRootOptions& options) {
    const std::string root = RealPath(options.root);
    if (root.empty() || !IsFolder(root)) {
        const char* reason = std::strerror(root.empty() ? errno : ENOTDIR);
        return Message("Windowsのドライブ") + Quoted(options.root) + Message("を開けません（") +
               Cp932::FromUtf8(reason ? reason : "") + Message("）。");
    }
    auto source = std::make_shared<WindowsRoot>();
    source->verbose_ = options.verbose;
    source->drives_['c' - 'a'] = root;
    source->drives_['z' - 'a'].assign(1, '/');  // the program's own folder and the output folders
    for (const std::string& option : options.drives) {
        if (std::string error = AddDrive(option, source->drives_); !error.empty()) return error;
    }

    const std::string windows = FindWindowsFolder(root);
    const std::vector<Profile> profiles = FindProfiles(root);
    if (windows.empty() && profiles.empty()) {
        return Quoted(options.root) +
               Message(
                   "はWindowsのドライブではありません（system32を含むWindowsフォルダも、"
                   "ユーザーのプロファイルもありません）。");
    }
    const Profile* chosen = nullptr;
    if (!options.user.empty()) {
        for (const Profile& profile : profiles) {
            if (EqualNoCase(profile.name, options.user)) chosen = &profile;
        }
        if (!chosen) {
            return Message("ユーザー") + Quoted(options.user) + Message("のプロファイルが") +
                   Quoted(options.root) + Message("にありません。ある ユーザー: ") +
                   UserList(profiles);
        }
    } else if (profiles.size() > 1) {
        return Quoted(options.root) +
               Message("には複数のユーザーがいます。--user で選んでください: ") +
               UserList(profiles);
    } else if (profiles.size() == 1) {
        chosen = &profiles.front();
    }

    std::vector<SystemNotice> notices;
    if (!windows.empty()) {
        source->windowsFolder_ = "C:\\" + Cp932::FromUtf8(windows);
        std::string native = root + "/" + windows;
        std::string internal = source->windowsFolder_;
        for (const char* name : {"system32", "config", "software"}) {
            const std::string found = FindEntry(native, name);
            native += "/" + (found.empty() ? std::string(name) : found);
            internal += "\\" + Cp932::FromUtf8(found.empty() ? std::string(name) : found);
        }
        source->softwareHive_ = native;
        source->softwareHiveName_ = internal;
    } else {
        notices.push_back({SystemNotice::Kind::NoWindowsFolder, true, "C:\\", {}});
    }
    if (chosen) {
        source->vistaLayout_ = chosen->vista;
        source->profilesFolder_ = "C:\\" + Cp932::FromUtf8(chosen->parent);
        source->user_ = Cp932::FromUtf8(chosen->name);
        const std::string folder = root + "/" + chosen->parent + "/" + chosen->name;
        const std::string hive = FindEntry(folder, "NTUSER.DAT");
        const std::string internal = source->profilesFolder_ + "\\" + source->user_ + "\\";
        if (hive.empty()) {
            notices.push_back({SystemNotice::Kind::NoUserHive, true, internal + "NTUSER.DAT", {}});
        } else {
            source->userHive_ = folder + "/" + hive;
            source->userHiveName_ = internal + Cp932::FromUtf8(hive);
        }
    } else {
        notices.push_back({SystemNotice::Kind::NoProfiles, true, "C:\\", {}});
        source->profilesFolder_ = "C:\\Documents and Settings";
    }

    Select(source);
    for (SystemNotice& notice : notices) SystemNotices::Add(std::move(notice));
    // Open both hives now, so that their problems are known before anything is shown.
    RegistryKey key;
    Registry::OpenKey(RegistryRoot::CurrentUser, "", key);
    Registry::OpenKey(RegistryRoot::LocalMachine, "", key);
    return {};
}

void WindowsRoot::UseWinePrefix() {
    Select(nullptr);
}

std::array<std::string, 26> WindowsRoot::Drives() const {
    return drives_;
}

RegistrySource WindowsRoot::Registry(RegistryRoot root) const {
    RegistrySource source;
    source.format = RegistrySource::Format::Hive;
    source.verbose = verbose_;
    if (root == RegistryRoot::CurrentUser) {
        if (userHive_.empty()) return {};
        source.file = userHive_;
        source.name = userHiveName_;
    } else {
        if (softwareHive_.empty()) return {};
        source.file = softwareHive_;
        source.name = softwareHiveName_;
        source.mount = "SOFTWARE";
    }
    return source;
}

std::string WindowsRoot::WindowsFolder() const {
    return windowsFolder_;
}

std::string WindowsRoot::LogonUser() const {
    return user_;
}

std::vector<std::pair<std::string, std::string>> WindowsRoot::DefaultEnvironment() const {
    const std::string home = profilesFolder_.substr(2) + "\\" + user_;
    const std::string programFiles =
        Registry::IsWin64() ? "C:\\Program Files (x86)" : "C:\\Program Files";
    std::vector<std::pair<std::string, std::string>> variables = {
        {"USERPROFILE", "C:" + home},
        {"USERNAME", user_},
        {"HOMEDRIVE", "C:"},
        {"HOMEPATH", home},
        {"SystemDrive", "C:"},
        {"SystemRoot", windowsFolder_},
        {"windir", windowsFolder_},
        {"ComSpec", windowsFolder_ + "\\system32\\cmd.exe"},
        {"ProgramFiles", programFiles},
        {"CommonProgramFiles", programFiles + "\\Common Files"},
        {"OS", "Windows_NT"},
    };
    if (vistaLayout_) {
        variables.insert(variables.end(), {{"APPDATA", "%USERPROFILE%\\AppData\\Roaming"},
                                           {"LOCALAPPDATA", "%USERPROFILE%\\AppData\\Local"},
                                           {"TEMP", "%USERPROFILE%\\AppData\\Local\\Temp"},
                                           {"TMP", "%USERPROFILE%\\AppData\\Local\\Temp"},
                                           {"ALLUSERSPROFILE", "C:\\ProgramData"},
                                           {"ProgramData", "C:\\ProgramData"},
                                           {"PUBLIC", profilesFolder_ + "\\Public"}});
    } else {
        variables.insert(variables.end(), {{"APPDATA", "%USERPROFILE%\\Application Data"},
                                           {"TEMP", "%USERPROFILE%\\Local Settings\\Temp"},
                                           {"TMP", "%USERPROFILE%\\Local Settings\\Temp"},
                                           {"ALLUSERSPROFILE", profilesFolder_ + "\\All Users"}});
    }
    return variables;
}

bool WindowsRoot::InheritsProcessEnvironment() const {
    return false;
}

}  // namespace platform

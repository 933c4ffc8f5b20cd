#include "browsers/MSBrowser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Environment.h"
#include "platform/File.h"
#include "platform/FolderReader.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "platform/SystemInfo.h"
#include "platform/UrlCheck.h"
#include "platform/WriteBatch.h"
#include "support/CommonTools.h"
#include "support/Log.h"
#include "support/UserPrompt.h"

namespace {

// Lines this long are not shortcut lines: they are not taken as URLs.
constexpr size_t kLineLimit = 64 * 1024;
// Shortcut files are a few hundred bytes; a larger file is some other file and is not read.
constexpr size_t kSizeLimit = 1024 * 1024;

constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// Buffer size of the registry values read, terminating zero included.
constexpr size_t kValueLimit = 260;
constexpr size_t npos = std::string_view::npos;

// Byte offset of the first "http" that starts a character, or npos.
size_t FindHttp(std::string_view line) {
    for (size_t pos = 0; pos < line.size(); pos += platform::Cp932::CharLength(line, pos)) {
        if (line.compare(pos, 4, "http") == 0) return pos;
    }
    return std::string::npos;
}

// Whether a single-byte character cannot stand in a Windows file name.
bool IsForbiddenInName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x01 && byte <= 0x1F) || std::string_view("/:*?\"<>|").find(c) != npos;
}

// The item's path as Windows file names can carry it: in each name every forbidden character
// becomes one "_", stepping by characters so that a trail byte (0x5C, 0x7C) stays inside its
// character. A path that does not start with a backslash is a title standing alone (an item
// made from a database record): it is one name, and a backslash in it is replaced too.
std::string FileNamePath(const std::string& path) {
    const bool separated = !path.empty() && path[0] == '\\';
    std::string result;
    result.reserve(path.size());
    for (size_t pos = 0; pos < path.size();) {
        const size_t length = platform::Cp932::CharLength(path, pos);
        const char c = path[pos];
        if (length == 1 && (IsForbiddenInName(c) || (c == '\\' && !separated))) {
            result += '_';
        } else {
            result.append(path, pos, length);
        }
        pos += length;
    }
    return result;
}

// Whether every name of a file-name path stays inside the folder it is joined to: "." and ".."
// leave it. The names are split at backslashes by characters.
bool StaysInside(const std::string& path) {
    size_t start = !path.empty() && path[0] == '\\' ? 1 : 0;
    for (size_t pos = start; pos <= path.size();) {
        const size_t length = platform::Cp932::CharLength(path, pos);
        if (length == 0 || (length == 1 && path[pos] == '\\')) {
            const std::string_view name(path.data() + start, pos - start);
            if (name == "." || name == "..") return false;
            start = pos + 1;
        }
        pos += length == 0 ? 1 : length;
    }
    return true;
}

// The URL of a shortcut file's bytes: the first line starting "URL=" whose text from its first
// "http" on passes the URL check; empty when there is none.
std::string ShortcutURL(std::string_view content) {
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find('\n', start);
        const bool ended = end != npos;
        if (!ended) end = content.size();
        std::string_view line = content.substr(start, end - start);
        if (ended && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (line.size() < kLineLimit && line.substr(0, 4) == "URL=") {
            const size_t http = FindHttp(line);
            if (http != npos && platform::UrlCheck::IsValid(line.substr(http))) {
                return std::string(line.substr(http));
            }
        }
    }
    return std::string();
}

}  // namespace

void MSBrowser::Initialize() {
    auto profile = std::make_unique<BrowserProfile>();
    profile->SetKind(BrowserProfile::kInternetExplorer);
    profile->SetFavoritesPath(ReadFavoritesFolder());
    profile->SetUser(platform::SystemInfo::LogonUser());
    std::string host;
    std::string port;
    std::string bypass;
    ReadProxySettings(host, port, bypass);
    profile->SetProxy(host, port, bypass);
    AddProfile(std::move(profile));
}

std::string MSBrowser::ReadFavoritesFolder() {
    std::string path;
    const platform::ShellFolderRead read =
        platform::Environment::UserShellFolder("Favorites", kValueLimit, path);
    if (read == platform::ShellFolderRead::NoKey) {
        LogMessage(LOG_I, "RegがOpen出来ません。");
        LogMessage(LOG_W, "MSBrowser::Initialize I.E.が存在していないかもしれません。");
    }
    if (read != platform::ShellFolderRead::Found) path.clear();
    return path;
}

void MSBrowser::ReadProxySettings(std::string& host, std::string& port, std::string& bypass) {
    platform::RegistryKey key;
    if (!platform::Registry::OpenKey(platform::RegistryRoot::CurrentUser, kInternetSettingsKey,
                                     key)) {
        return;
    }
    std::string server;
    if (key.ReadString("ProxyServer", kValueLimit, server) == platform::RegistryRead::Found) {
        ParseProxyServer(server, host, port);
    }
    if (key.ReadString("ProxyOverride", kValueLimit, bypass) != platform::RegistryRead::Found) {
        bypass.clear();
    }
}

void MSBrowser::ParseProxyServer(const std::string& value, std::string& host, std::string& port) {
    std::string server = value;
    const size_t http = value.find("http=");
    if (http != std::string::npos) {
        const size_t start = http + 5;
        const size_t end = value.find(';', start);
        server = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    const size_t colon = server.find(':');
    if (colon == std::string::npos) {
        host = server;
        port.clear();
    } else {
        host = server.substr(0, colon);
        port = server.substr(colon + 1);
    }
}

std::string MSBrowser::ShortcutText(const std::string& url) {
    return "[DEFAULT]\nBASEURL=" + url + "\n[InternetShortcut]\nURL=" + url +
           "\nModified=C01E14E0FE9EBF012E\n";
}

std::string MSBrowser::ReadShortcutURL(const std::string& file) {
    platform::File input;
    if (!input.Open(file, platform::File::Mode::Read, true)) return std::string();
    // Read at most one byte past the limit: a larger file is some other file, and a device that
    // never ends (a link to one in the tree) is cut off there instead of read for ever.
    std::string content;
    char buffer[4096];
    for (size_t got; (got = input.Read(buffer, sizeof buffer)) > 0;) {
        content.append(buffer, got);
        if (content.size() > kSizeLimit) return std::string();
    }
    return ShortcutURL(content);
}

int MSBrowser::Load(const std::string& path, BrowserProfile* profile) {
    if (path.empty() || profile == nullptr) {
        LogMessage(LOG_D, "(MSBrowser::Load) [%s]が存在しません。", path.c_str());
        return 0;
    }
    LogMessage(LOG_I, "MSBrowser::Load 開始");
    LogMessage(LOG_I, "MSBrowser::Load 読込(%s)", path.c_str());
    profile->RemoveAllItems();
    readFolders_.clear();
    stamped_ = false;
    common_.reset();
    const int count = file_finder(path, std::string(), *profile);
    readFolders_.clear();
    common_.reset();
    LogMessage(LOG_I, "MSBrowser::Load 終了");
    return count;
}

int MSBrowser::file_finder(const std::string& folder, const std::string& relativePath,
                           BrowserProfile& profile) {
    LogMessage(LOG_V, "MSBrowser::file_finder Directory(%s)を検索します。", folder.c_str());
    RaiseDepth();
    platform::FolderIdentity identity;
    if (platform::FileSystem::GetFolderIdentity(folder, identity)) {
        readFolders_.emplace(identity.device, identity.inode);
    }
    std::vector<platform::FolderEntry> entries;
    if (platform::FileSystem::ListFolder(folder, entries)) {
        platform::FolderReader files;
        for (const platform::FolderEntry& entry : entries) {
            get_url(entry, folder, relativePath, profile, files);
        }
    }
    LowerDepth();
    LogMessage(LOG_V, "MSBrowser::file_finder (%d)のDirectory を見つけました。",
               profile.GetCount());
    return profile.GetCount();
}

bool MSBrowser::AlreadyRead(const std::string& folder) const {
    platform::FolderIdentity identity;
    return platform::FileSystem::GetFolderIdentity(folder, identity) &&
           readFolders_.count({identity.device, identity.inode}) != 0;
}

std::unique_ptr<FavoritesItem> MSBrowser::NewItem(const std::string& url, const std::string& title,
                                                  const std::string& relativePath) {
    // Items read within the same second share one stamp, whose text is made once.
    const int64_t now = platform::Clock::Now();
    if (!stamped_ || stamp_.GetCreated() != now) {
        stamp_.SetCreated(now);
        stamped_ = true;
    }
    auto item = std::make_unique<FavoritesItem>(stamp_);
    item->SetURL(url);
    item->SetName(title);
    std::string path;
    path.reserve(relativePath.size() + 1 + title.size());
    path.append(relativePath).append(1, '\\').append(title);
    item->SetPath(path);
    item->ShareParentPath(relativePath, common_);
    item->SetDepth(GetDepth());
    item->SetReserved(0);
    return item;
}

void MSBrowser::get_url(const platform::FolderEntry& entry, const std::string& folder,
                        const std::string& relativePath, BrowserProfile& profile,
                        platform::FolderReader& files) {
    if (entry.isFolder) {
        if (entry.name == "." || entry.name == "..") return;
        if (entry.path == folder || AlreadyRead(entry.path)) {
            LogMessage(LOG_V,
                       "MSBrowser::file_finder(get_url) "
                       "同じ階層をループしますので抜けます。Directory=(%s/%s)\n",
                       folder.c_str(), entry.path.c_str());
            return;
        }
        std::unique_ptr<FavoritesItem> item = NewItem(std::string(), entry.title, relativePath);
        const std::string itemPath = item->GetPath();
        profile.AddItem(std::move(item));
        file_finder(entry.path, itemPath, profile);
        return;
    }
    const std::string url = ReadShortcutURLIn(files, folder, entry);
    if (url.empty()) return;
    profile.AddItem(NewItem(url, entry.title, relativePath));
}

std::string MSBrowser::ReadShortcutURLIn(platform::FolderReader& files, const std::string& folder,
                                         const platform::FolderEntry& entry) {
    // The folder is opened at its first file; should that fail (no descriptor left), each file
    // is read by its path instead.
    if (!files.IsOpen() && !files.Open(folder)) return ReadShortcutURL(entry.path);
    std::string content;
    if (!files.ReadSmall(entry.name, kSizeLimit, content)) return std::string();
    return ShortcutURL(content);
}

int MSBrowser::Save(const std::string& path, BrowserProfile* profile) {
    LogMessage(LOG_I, "MSBrowser::Save 開始");
    LogMessage(LOG_I, "MSBrowser::Save 読込(%s)", path.c_str());
    int count = 0;
    if (profile != nullptr && profile->GetCount() > 0) {
        const uint32_t attributes = platform::FileSystem::GetAttributes(path);
        if (attributes == platform::FileSystem::kInvalidAttributes) {
            UserPrompt::Show(platform::Cp932::FromUtf8("出力先のフォルダが存在しません。"));
        } else if ((attributes & platform::FileSystem::kAttributeDirectory) == 0) {
            UserPrompt::Show(platform::Cp932::FromUtf8("出力先はフォルダではありません。"));
        } else {
            std::unordered_set<std::string> written;
            // The output folders are checked once each, not once per shortcut made in them.
            const platform::WriteBatch batch;
            // One file object for every shortcut, so that its buffer is made once.
            platform::File output;
            for (auto position = profile->GetHeadPosition(); position;) {
                SaveItem(path, profile->GetFavoritesPath(), *profile->GetNext(position), output,
                         written, count);
            }
        }
    }
    LogMessage(LOG_I, "MSBrowser::Save 終了(%d)", count);
    return count;
}

void MSBrowser::SaveItem(const std::string& folder, const std::string& favoritesPath,
                         const FavoritesItem& item, platform::File& output,
                         std::unordered_set<std::string>& writtenFiles, int& count) const {
    if (item.IsSeparator()) return;
    const std::string fileNamePath = FileNamePath(item.GetPath());
    if (!StaysInside(fileNamePath)) {
        LogMessage(LOG_E, "MSBrowser::Save 出力先フォルダの外を指す名前なので出力しません。(%s)",
                   item.GetPath().c_str());
        return;
    }
    if (item.IsFolder()) {
        const std::string target = CommonTools::MakePath(folder, fileNamePath, "");
        if (platform::FileSystem::CreateFolder(target) !=
            platform::FileSystem::CreateResult::Created) {
            LogSystemError("MSBrowser::Save 指定フォルダの生成が出来ません。");
        }
        return;
    }
    std::string target = CommonTools::MakePath(folder, fileNamePath, "") + ".url";
    // Two names may become the same file name: the first item written to it keeps it. A copy
    // would overwrite an earlier item's file, so copies are checked against the files written;
    // a new file is created only where none exists, which is the same check.
    const bool copies = !favoritesPath.empty();
    if (copies && writtenFiles.count(target) != 0) {
        LogMessage(LOG_W, "MSBrowser::Save 同名のファイルが存在します。(%s)", target.c_str());
        return;
    }
    // A profile read from a Favorites folder still has its shortcut files: copy them unchanged.
    // Without a favorites path there is nothing to copy from.
    if (!favoritesPath.empty()) {
        const std::string source =
            CommonTools::MakePath(favoritesPath, item.GetPath(), "") + ".url";
        if (platform::FileSystem::Exists(source)) {
            if (platform::FileSystem::CopyFile(source, target)) {
                writtenFiles.insert(target);
                ++count;
            } else {
                LogSystemError("MSBrowser::Save 指定ファイルのコピーが出来ません。");
            }
            return;
        }
    }
    // Creating only a new file checks for an existing one (in any letter case) in the same step.
    const platform::FileSystem::CreateResult created = output.CreateNew(target, true);
    if (created == platform::FileSystem::CreateResult::AlreadyExists) {
        LogMessage(LOG_W, "MSBrowser::Save 同名のファイルが存在します。(%s)", target.c_str());
        return;
    }
    if (created == platform::FileSystem::CreateResult::Failed) {
        LogSystemError("MSBrowser::Save 指定フォルダの生成が出来ません。");
        return;
    }
    const bool written = output.Write(ShortcutText(item.GetURL()));
    if (!output.Close() || !written) {
        // A partial shortcut would block the next run as "same name exists": remove it.
        const int error = platform::SystemError::Last();
        platform::FileSystem::DeleteFile(target);
        platform::SystemError::SetLast(error);
        LogSystemError("MSBrowser::Save 指定フォルダの生成が出来ません。");
        return;
    }
    if (copies) writtenFiles.insert(std::move(target));
    ++count;
}

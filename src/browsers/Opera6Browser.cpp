#include "browsers/Opera6Browser.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/EncodingString.h"
#include "mapping/KrvMapFile.h"
#include "platform/Clock.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "platform/SystemInfo.h"
#include "support/Log.h"

namespace {

constexpr const char* kRegistryKey = "Software\\Opera Software";
// Buffer size of the registry value and of the hotlist path, terminating zero included.
constexpr size_t kPathLimit = 260;
// Buffer size of the proxy values.
constexpr size_t kProxyLimit = 1024;
// Folders nest no deeper than where their path reaches this many bytes; see analyze_hotlist.
constexpr size_t kFolderPathCap = 260;

// What the paths kept may add up to at most, a guard against millions of tiny items below the
// cap: four times the file's size and 64 MiB, where real hotlists need less than the file's
// size. Reading stops there.
uint64_t PathBudget(uint64_t fileSize) {
    return 4 * fileSize + (uint64_t{64} << 20);
}
// Hotlists are written in pieces of about this size.
constexpr size_t kWriteChunk = 64 * 1024;

constexpr const char* kHeader =
    "Opera Hotlist version 2.0\r\nOptions:encoding=utf8,version=3\r\n\r\n";

std::string IniValue(std::string_view section, std::string_view key, std::string_view fallback,
                     size_t limit, const std::string& ini) {
    std::string value;
    platform::IniFile::GetString(section, key, fallback, limit, value, ini);
    return value;
}

// "host:port" split at the first colon; without one all of it is the host.
void SplitServer(const std::string& server, std::string& host, std::string& port) {
    const size_t colon = server.find(':');
    host = server.substr(0, colon);
    port = colon == std::string::npos ? std::string() : server.substr(colon + 1);
}

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// A block line's key and value: the text after the indentation (blanks and tabs).
std::string_view AfterIndentation(std::string_view line) {
    const size_t start = line.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

// A written value stays on its line: line breaks would start new lines, and so new keys or
// blocks, in the file.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return line;
}

std::string ToUtf8(const std::string& sjis) {
    std::string utf8;
    EncodingString().Convert(EncodingString::kSJISToUTF8, utf8, OneLine(sjis), 0);
    return utf8;
}

// The next line of the mapped hotlist, ended at LF with one CR before it removed, read in place
// from the file's read position, which it advances; false at the end of the data.
bool NextLine(KrvMapFile& file, std::string_view& line) {
    const char* data = reinterpret_cast<const char*>(file.GetPointer(-1));
    const int32_t start = file.GetReadPosition();
    const uint32_t end = file.GetMapSize();
    if (data == nullptr || start < 0 || static_cast<uint32_t>(start) >= end) return false;
    const char* first = data + start;
    const char* feed = static_cast<const char*>(std::memchr(first, '\n', end - start));
    if (feed == nullptr) {
        line = std::string_view(first, end - start);
        file.Seek(0, static_cast<int32_t>(end));
        return true;
    }
    line = std::string_view(first, static_cast<size_t>(feed - first));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    file.Seek(0, static_cast<int32_t>(feed + 1 - data));
    return true;
}

std::string CreatedField(int64_t created) {
    char field[32];
    std::snprintf(field, sizeof field, "%10d", static_cast<int>(created));
    return field;
}

}  // namespace

void Opera6Browser::Initialize() {
    std::string directory;
    if (platform::Registry::ReadString(platform::RegistryRoot::CurrentUser, kRegistryKey,
                                       "Last Directory", kPathLimit,
                                       directory) != platform::RegistryRead::Found) {
        return;
    }
    SetProgramPath(directory + "\\Opera6.exe");
    const std::string ini = directory + "\\opera6.ini";

    auto profile = std::make_unique<BrowserProfile>();
    profile->SetKind(BrowserProfile::kOpera6);
    profile->SetFavoritesPath(IniValue("User Prefs", "Hot List File Ver2", "", kPathLimit, ini));
    std::string host;
    std::string port;
    std::string bypass;
    if (IniValue("Proxy", "Use HTTP", "0", kProxyLimit, ini) == "1") {
        SplitServer(IniValue("Proxy", "HTTP Server", "", kProxyLimit, ini), host, port);
    }
    if (IniValue("Proxy", "No Proxy Servers Check", "0", kProxyLimit, ini) == "1") {
        bypass = IniValue("Proxy", "No Proxy Servers", "", kProxyLimit, ini);
    }
    profile->SetProxy(host, port, bypass);
    profile->SetUser(platform::SystemInfo::LogonUser());
    AddProfile(std::move(profile));
}

int Opera6Browser::Load(const std::string& path, BrowserProfile* profile) {
    LogMessage(LOG_I, "Opera6Browser::Load 開始");
    LogMessage(LOG_I, "Opera6Browser::Load 読込(%s)", path.c_str());
    if (profile == nullptr) return 0;
    stamp_.reset();
    common_.reset();
    KrvMapFile file;
    if (file.Open(path, KrvMapFile::kModeRead | KrvMapFile::kTypeBinary) &&
        file.Attach("FavoritesFile", file.GetFileLength())) {
        profile->RemoveAllItems();
        cappedDepth_ = 0;
        analyze_hotlist(file, std::string(), *profile);
        if (cappedDepth_ > 0) {
            LogMessage(LOG_W,
                       "Opera6Browser::Load 階層が深すぎるので%d階層目より深い項目を%d階層目に"
                       "読み込みました。(%s)",
                       cappedDepth_, cappedDepth_, path.c_str());
        }
    }
    file.Reset();
    common_.reset();
    LogMessage(LOG_I, "Opera6Browser::Load 終了");
    return profile->GetCount();
}

int Opera6Browser::analyze_hotlist(KrvMapFile& file, const std::string& folderPath,
                                   BrowserProfile& profile) {
    // The paths of the folders being read, innermost last; each is one level of depth.
    std::vector<std::string> levels{folderPath};
    // Every item keeps the whole path of its folder, so a chain of nested folders would cost
    // memory growing with the square of its depth. A folder whose path would pass
    // kFolderPathCap (MAX_PATH: no favorites folder of the Windows this data comes from can be
    // longer) is kept, but its contents, and everything nested deeper, stay in the deepest
    // folder that fits. `capped` counts the folders open below it.
    size_t capped = 0;
    const uint64_t pathBudget = PathBudget(file.GetFileLength());
    uint64_t pathBytes = 0;
    RaiseDepth();
    int count = 0;
    std::string_view line;
    while (!levels.empty() && !GetStopFlag() && NextLine(file, line)) {
        if (StartsWith(line, "#FOLDER") || StartsWith(line, "#URL")) {
            // An item keeps its folder's path twice: as its parent and within its own.
            pathBytes += 2 * (levels.back().size() + 1);
            if (pathBytes > pathBudget) {
                LogMessage(
                    LOG_E,
                    "Opera6Browser::analyze_hotlist 階層が深すぎるので読込を中止します。(%d)",
                    count);
                break;
            }
        }
        if (StartsWith(line, "#FOLDER")) {
            const FavoritesItem* folder = make_krvinfo(file, levels.back(), profile);
            if (folder && capped == 0 && folder->GetPath().size() <= kFolderPathCap) {
                levels.push_back(folder->GetPath());
                RaiseDepth();
            } else if (folder) {
                if (capped++ == 0 && cappedDepth_ == 0) cappedDepth_ = GetDepth();
            }
        } else if (StartsWith(line, "#URL")) {
            if (make_krvinfo(file, levels.back(), profile)) ++count;
        } else if (StartsWith(line, "-")) {
            if (capped > 0) {
                --capped;
                continue;
            }
            levels.pop_back();
            LowerDepth();
        }
    }
    // Folders still open at the end of the data (or when stopped) end with it.
    for (size_t open = levels.size(); open > 0; --open) LowerDepth();
    return count;
}

FavoritesItem* Opera6Browser::make_krvinfo(KrvMapFile& file, const std::string& folderPath,
                                           BrowserProfile& profile) {
    std::string& name = nameBuffer_;
    std::string& url = urlBuffer_;
    name.clear();
    url.clear();
    bool named = false;
    std::string& value = valueBuffer_;
    std::string_view line;
    while (!GetStopFlag() && NextLine(file, line)) {
        if (line.find('=') == std::string_view::npos) break;  // the end of the block
        const std::string_view key = AfterIndentation(line);
        if (StartsWith(key, "SHORT NAME=")) continue;
        if (StartsWith(key, "NAME=")) {
            value.assign(key.substr(5));
            encoding_.Convert(EncodingString::kUTF8ToSJIS, name, value, 0);
            named = true;
        } else if (StartsWith(key, "URL=")) {
            value.assign(key.substr(4));
            encoding_.Convert(EncodingString::kUTF8ToSJIS, url, value, 0);
        }
    }
    if (!named) {
        LogMessage(LOG_I, "Opera6Browser::make_krvinfo 見つけたURL情報が異常でした。");
        return nullptr;
    }
    FavoritesItem* added = nullptr;
    try {
        std::unique_ptr<FavoritesItem> item = NewItem();
        std::string& path = pathBuffer_;
        path.assign(folderPath).append("\\").append(name);
        item->SetPath(path);
        item->SetName(name);
        item->SetURL(url);
        item->ShareParentPath(folderPath, common_);
        item->SetDepth(GetDepth());
        item->SetReserved(0);
        added = item.get();
        if (!profile.AddItem(std::move(item))) added = nullptr;
    } catch (const std::bad_alloc&) {
        // Paths grow with the nesting; an item whose texts find no memory is dropped like one
        // the profile cannot take.
        added = nullptr;
    }
    if (!added) {
        LogMessage(LOG_E,
                   "Opera6Browser::make_krvinfo 登録出来なかったのでデータを破棄しました。[%s]",
                   url.c_str());
    }
    return added;
}

std::unique_ptr<FavoritesItem> Opera6Browser::NewItem() {
    // Formatting the local time costs more than reading a block: items read within the same
    // second are copied from one stamped item instead.
    const int64_t now = platform::Clock::Now();
    if (!stamp_ || stamp_->GetCreated() != now) {
        stamp_ = std::make_unique<FavoritesItem>();
        stamp_->SetCreated(now);
    }
    return std::make_unique<FavoritesItem>(*stamp_);
}

std::string Opera6Browser::BlockText(const FavoritesItem& item, int64_t created) {
    const std::string name = ToUtf8(item.GetName());
    if (item.IsFolder()) {
        return "#FOLDER\r\n\tNAME=" + name + "\r\n\tCREATED=" + CreatedField(created) +
               "\r\n\tVISITED=0\r\n\tORDER=13\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n";
    }
    return "#URL\r\n\tNAME=" + name + "\r\n\tURL=" + ToUtf8(item.GetURL()) +
           "\r\n\tCREATED=" + CreatedField(created) +
           "\r\n\tVISITED=0\r\n\tORDER=0\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n";
}

int Opera6Browser::Save(const std::string& path, BrowserProfile* profile) {
    LogMessage(LOG_I, "Opera6Browser::Save 開始");
    LogMessage(LOG_I, "Opera6Browser::Save 読込(%s)", path.c_str());
    int count = 0;
    platform::File output;
    if (!output.Open(path, platform::File::Mode::Write, false)) {
        LogSystemError("Opera6Browser::Save *ERROR*: ファイルが作成出来ません。");
        LogMessage(LOG_I, "Opera6Browser::Save 終了");
        return 0;
    }
    std::string text = kHeader;
    bool written = true;
    // The depths of the folders written and not yet closed, innermost last.
    std::vector<int32_t> openFolders;
    for (auto position = profile ? profile->GetHeadPosition() : BrowserProfile::kNoPosition;
         position && written;) {
        const FavoritesItem& item = *profile->GetNext(position);
        while (!openFolders.empty() && openFolders.back() >= item.GetDepth()) {
            text += "-\r\n";
            openFolders.pop_back();
        }
        text += BlockText(item, platform::Clock::Now());
        if (item.IsFolder()) openFolders.push_back(item.GetDepth());
        ++count;
        if (text.size() >= kWriteChunk) {
            written = output.Write(text);
            text.clear();
        }
    }
    for (size_t open = openFolders.size(); open > 0; --open) text += "-\r\n";
    written = written && output.Write(text);
    if (!output.Close() || !written) {
        // A cut-off hotlist would pass for a whole one: it is removed and the save fails.
        const int error = platform::SystemError::Last();
        platform::FileSystem::DeleteFile(path);
        platform::SystemError::SetLast(error);
        LogSystemError("Opera6Browser::Save *ERROR*: ファイルへの書込みが出来ません。");
        count = 0;
    }
    LogMessage(LOG_I, "Opera6Browser::Save 終了");
    return count;
}

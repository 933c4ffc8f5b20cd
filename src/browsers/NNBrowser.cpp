#include "browsers/NNBrowser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "encoding/EncodingString.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/UrlCheck.h"
#include "support/Log.h"

namespace {

// The four tokens of the reader, tested in this order.
constexpr std::string_view kBookmarkToken = "<DT><A HREF=";
constexpr std::string_view kHeadingToken = "<DT><H3 ";
constexpr std::string_view kListToken = "<DL>";
constexpr std::string_view kEndListToken = "</DL>";

// Bookmark lines are at most some kilobytes (icons included); a longer line is cut here, so a
// binary file without line feeds cannot take unbounded memory.
constexpr size_t kLineLimit = 16 * 1024 * 1024;

// Every item and every open level keeps the whole path of its folders, so a small file of many
// nested headings would ask for memory that grows with the square of its depth. A list whose
// folder path would pass this many bytes (MAX_PATH: no favorites folder of the Windows this
// data comes from can be longer) is not opened as a level of its own: its items, and those of
// every list nested in it, stay in the deepest level that fits.
constexpr size_t kFolderPathCap = 260;

// What the paths kept may add up to at most, a guard against millions of tiny items below the
// cap: four times the file's size and 64 MiB, where real bookmark files need less than the
// file's size (their lines are longer than their paths). Reading stops there.
uint64_t PathBudget(uint64_t fileSize) {
    return 4 * fileSize + (uint64_t{64} << 20);
}

// Byte offset of the first "http" that starts a character, or npos: a trail byte followed by
// "ttp" is not the start of an address.
size_t FindHttp(std::string_view line) {
    const size_t first = line.find("http");
    if (first == std::string_view::npos) return first;
    // Up to the first byte of 0x80 or above every byte is a character of its own.
    size_t pos = 0;
    while (pos < first && static_cast<unsigned char>(line[pos]) < 0x80) ++pos;
    if (pos == first) return first;
    for (; pos < line.size(); pos += platform::Cp932::CharLength(line, pos)) {
        if (line.compare(pos, 4, "http") == 0) return pos;
    }
    return std::string_view::npos;
}

// Reads the lines of an open file a block at a time rather than byte by byte. A line ends at
// LF, with one CR before it removed, and is cut at kLineLimit, as the platform's text reader
// does. Finish puts the file right after the last line taken, where a line-by-line reader
// would have left it.
class LineReader {
public:
    explicit LineReader(platform::File& file) : file_(file), start_(file.Tell()) {}

    bool Next(std::string& line) {
        line.clear();
        bool any = false;
        while (pos_ < end_ || Fill()) {
            any = true;
            const char* begin = buffer_.data() + pos_;
            const size_t available = end_ - pos_;
            const void* feed = std::memchr(begin, '\n', available);
            const size_t take = feed != nullptr
                                    ? static_cast<size_t>(static_cast<const char*>(feed) - begin)
                                    : available;
            if (line.size() < kLineLimit) {
                line.append(begin, std::min(take, kLineLimit - line.size()));
            }
            pos_ += take;
            consumed_ += take;
            if (feed != nullptr) {
                ++pos_;
                ++consumed_;
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return true;
            }
        }
        return any;
    }

    void Finish() {
        if (start_ >= 0) file_.Seek(start_ + static_cast<int64_t>(consumed_));
    }

private:
    bool Fill() {
        pos_ = 0;
        end_ = file_.Read(buffer_.data(), buffer_.size());
        return end_ > 0;
    }

    platform::File& file_;
    const int64_t start_;
    uint64_t consumed_ = 0;
    std::array<char, 64 * 1024> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
};

// A level of the file's nested lists: its folder path and the path of its last heading, which
// a "<DL>" opens.
struct Level {
    std::string path;
    std::string lastHeading;
};

// Items of one read share the created time of the second they were read in; the created text
// is formatted once per second instead of once per item.
class CreatedStamp {
public:
    const FavoritesItem& Now() {
        const int64_t now = platform::Clock::Now();
        if (!valid_ || now != stamp_.GetCreated()) {
            stamp_.SetCreated(now);
            valid_ = true;
        }
        return stamp_;
    }

private:
    FavoritesItem stamp_;
    bool valid_ = false;
};

// The written texts of one folder or bookmark, indented by four blanks per level of depth. As
// the blank is right-aligned in a field of that width, a width below one still gives one blank
// and a negative one its size.
std::string Indent(int32_t depth) {
    int64_t width = static_cast<int64_t>(depth) * 4;
    if (width < 0) width = -width;
    return std::string(width < 1 ? 1 : static_cast<size_t>(width), ' ');
}

std::string DateText(int64_t seconds) {
    return std::to_string(static_cast<int32_t>(seconds));
}

std::string Encode(int code, const std::string& text) {
    if (code == NNBrowser::kEncodingShiftJIS) return text;
    std::string out;
    EncodingString().Convert(code, out, text, 0);
    return out;
}

// Writes to the bookmark file until the first failure; after it, nothing more is written.
class BookmarkWriter {
public:
    explicit BookmarkWriter(platform::File& file) : file_(file) {}
    void Write(const std::string& text) {
        if (!failed_ && !file_.Write(text)) failed_ = true;
    }
    bool Failed() const { return failed_; }

private:
    platform::File& file_;
    bool failed_ = false;
};

}  // namespace

std::string NNBrowser::Netscape4Header() {
    return platform::Cp932::FromUtf8(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n\n"
        "<!-- これは自動生成されたファイルです。\n\n"
        "プログラムが読み書きを実行します。\n\n"
        "編集禁止! -->\n\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\n\n"
        "<TITLE>Korvadel生成 のブックマーク</TITLE>\n\n"
        "<H1>Korvadel生成 のブックマーク</H1>\n\n");
}

std::string NNBrowser::Netscape6Header() {
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
           "<!-- This is an automatically generated file.\n"
           "It will be read and overwritten.\n"
           "Do Not Edit! -->\n"
           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
           "<TITLE>Bookmarks</TITLE>\n"
           "<H1>Bookmarks</H1>\n";
}

std::string NNBrowser::OpeningText(int64_t addDate) {
    return platform::Cp932::FromUtf8("<DL><p>\n\n    <DT><H3 ADD_DATE=\"" + DateText(addDate) +
                                     "\">Korvadel 追加フォルダ</H3>\n\n    <DL><p>\n\n");
}

const char* NNBrowser::ClosingText() {
    return "    </DL><p>\n\n<HR>\n\n</DL>\n";
}

namespace {

// Appends a bookmark or folder item of the current level; 1 when it was appended.
// `common` holds the fields shared with the item appended before.
int AppendItem(BrowserProfile& profile, const FavoritesItem& stamp, const std::string& url,
               const std::string& name, const std::string& levelPath, int32_t depth,
               std::string& scratch, std::shared_ptr<const FavoritesItem::Common>& common) {
    auto item = std::make_unique<FavoritesItem>(stamp);
    scratch.assign(levelPath).append(1, '\\').append(name);
    item->SetPath(scratch);
    item->ShareParentPath(levelPath, common);
    item->SetName(name);
    item->SetURL(url);
    item->SetDepth(depth);
    item->SetReserved(0);
    if (profile.AddItem(std::move(item))) return 1;
    LogMessage(LOG_E, "NNBrowser::analyze_favorites 登録出来なかったのでデータを破棄しました。[%s]",
               url.c_str());
    return 0;
}

// The address and link text of a converted bookmark line; false when the line holds no
// address that passes the URL check.
bool ParseBookmark(const std::string& line, std::string& url, std::string& name) {
    const size_t http = FindHttp(line);
    if (http == std::string::npos) return false;
    const size_t quote = line.find('"', http);
    if (quote == std::string::npos) return false;
    url.assign(line, http, quote - http);
    if (!platform::UrlCheck::IsValid(url)) return false;
    name.clear();
    const size_t open = line.find('>', quote + 1);
    if (open == std::string::npos) return true;
    const size_t close = line.find('<', open + 1);
    if (close != std::string::npos) name.assign(line, open + 1, close - open - 1);
    return true;
}

// The name of a converted heading line, searched from the heading token; false when the line
// has no '">' after the token or no "</H3>" after that.
bool ParseHeading(const std::string& line, size_t rawToken, std::string& name) {
    // The conversion drops tabs and shortens multi-byte text, so the token is looked up again
    // in the converted line; the raw position stands in only if the token was lost.
    size_t token = line.find(kHeadingToken);
    if (token == std::string::npos) token = rawToken;
    if (token > line.size()) return false;
    const size_t pair = line.find("\">", token);
    if (pair == std::string::npos) return false;
    const size_t start = pair + 2;
    const size_t end = line.find("</H3>", start);
    if (end == std::string::npos) return false;
    name.assign(line, start, end - start);
    return true;
}

}  // namespace

int NNBrowser::analyze_favorites(platform::File& file, const std::string& path,
                                 BrowserProfile& profile) {
    // The nested lists are kept on this stack, not on the call stack, so no depth of nesting
    // can overflow it; each "<DL>" pushes a level and each "</DL>" pops one.
    std::vector<Level> levels;
    levels.push_back({path, std::string()});
    RaiseDepth();
    int count = 0;
    EncodingString encoding;
    CreatedStamp stamp;
    std::shared_ptr<const FavoritesItem::Common> common;
    std::string raw;
    std::string line;
    std::string url;
    std::string name;
    std::string scratch;
    size_t pathBytes = 0;
    uint64_t fileSize = 0;
    file.Size(fileSize);
    const uint64_t pathBudget = PathBudget(fileSize);
    // Counts the bytes of folder paths about to be kept; ends the reading past the budget.
    auto withinBudget = [&](size_t bytes) {
        pathBytes += bytes;
        if (pathBytes <= pathBudget) return true;
        LogMessage(LOG_E, "NNBrowser::analyze_favorites 階層が深すぎるので読込を中止します。(%d)",
                   count);
        for (; !levels.empty(); levels.pop_back()) LowerDepth();
        return false;
    };
    // The lists open below the cap, ended by their "</DL>" before any level.
    size_t capped = 0;
    auto reader = std::make_unique<LineReader>(file);
    while (!levels.empty() && reader->Next(raw)) {
        // When asked to stop, each open level ends after one more line read.
        if (GetStopFlag() != 0) {
            if (capped > 0) {
                --capped;
            } else {
                levels.pop_back();
                LowerDepth();
            }
            continue;
        }
        if (raw.find('<') == std::string::npos) continue;
        Level& level = levels.back();
        size_t token;
        if (raw.find(kBookmarkToken) != std::string::npos) {
            encoding.ConvertAuto(0, line, raw, 0);
            if (ParseBookmark(line, url, name) && withinBudget(2 * (level.path.size() + 1))) {
                count += AppendItem(profile, stamp.Now(), url, name, level.path, GetDepth(),
                                    scratch, common);
            }
        } else if ((token = raw.find(kHeadingToken)) != std::string::npos) {
            encoding.ConvertAuto(0, line, raw, 0);
            if (ParseHeading(line, token, name) && withinBudget(2 * (level.path.size() + 1))) {
                // A heading below the cap opens no level: its name would be a stale one.
                if (capped == 0) level.lastHeading = level.path + "\\" + name;
                count += AppendItem(profile, stamp.Now(), std::string(), name, level.path,
                                    GetDepth(), scratch, common);
            }
        } else if (raw.find(kListToken) != std::string::npos) {
            if (capped > 0 || level.lastHeading.size() > kFolderPathCap) {
                if (capped++ == 0 && cappedDepth_ == 0) cappedDepth_ = GetDepth();
                continue;
            }
            if (!withinBudget(2 * level.lastHeading.size())) break;
            std::string nested = level.lastHeading;
            levels.push_back({std::move(nested), std::string()});
            RaiseDepth();
        } else if (raw.find(kEndListToken) != std::string::npos) {
            if (capped > 0) {
                --capped;
                continue;
            }
            levels.pop_back();
            LowerDepth();
        }
    }
    for (; !levels.empty(); levels.pop_back()) LowerDepth();
    reader->Finish();
    return count;
}

int NNBrowser::SaveNetscapeBookmarks(platform::File& file, int code, BrowserProfile& profile,
                                     BrowserProfile::Position& position, FavoritesItem*& item,
                                     int32_t parentDepth) {
    // One frame per open folder list, kept on this stack instead of the call stack. Each list
    // notes its own time for the ADD_DATE of its entries.
    struct Frame {
        int32_t parentDepth;
        std::string date;
        const FavoritesItem* folder;
        int count;
    };
    std::vector<Frame> frames;
    frames.push_back({parentDepth, DateText(platform::Clock::Now()), nullptr, 0});
    BookmarkWriter writer(file);
    for (;;) {
        if (item == nullptr || item->GetDepth() <= frames.back().parentDepth) {
            const Frame done = std::move(frames.back());
            if (frames.size() == 1) {
                if (writer.Failed()) writeFailed_ = true;
                return done.count;
            }
            frames.pop_back();
            frames.back().count += done.count;
            writer.Write(Indent(done.folder->GetDepth()) + "</DL><p>\n\n");
            LogMessage(LOG_D, "NNBrowser::SaveNetscapeBookmarks %s / %s / %d",
                       done.folder->GetURL().c_str(), done.folder->GetName().c_str(),
                       done.folder->GetDepth());
            continue;
        }
        const std::string indent = Indent(item->GetDepth());
        Frame& frame = frames.back();
        if (item->IsFolder()) {
            writer.Write(Encode(code, indent + "<DT><H3 ADD_DATE=\"" + frame.date + "\">" +
                                          item->GetName() + "</H3>\n\n" + indent + "<DL><p>\n\n"));
            const FavoritesItem* folder = item;
            item = profile.GetNext(position);
            frames.push_back({folder->GetDepth(), DateText(platform::Clock::Now()), folder, 0});
            continue;
        }
        if (item->IsSeparator()) {
            writer.Write(indent + "<HR><p>\n\n");
        } else {
            writer.Write(Encode(code, indent + "<DT><A HREF=\"" + item->GetURL() +
                                          "\" ADD_DATE=\"" + frame.date +
                                          "\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" +
                                          item->GetName() + "</A>\n\n"));
            ++frame.count;
        }
        LogMessage(LOG_D, "NNBrowser::SaveNetscapeBookmarks %s / %s / %d", item->GetURL().c_str(),
                   item->GetName().c_str(), item->GetDepth());
        item = profile.GetNext(position);
    }
}

int NNBrowser::LoadBookmarkFile(const char* adapter, const std::string& path,
                                BrowserProfile* profile) {
    LogMessage(LOG_I, "%s::Load 開始", adapter);
    LogMessage(LOG_I, "%s::Load 読込(%s)", adapter, path.c_str());
    platform::File file;
    if (profile != nullptr && file.Open(path, platform::File::Mode::Read, true)) {
        profile->RemoveAllItems();
        cappedDepth_ = 0;
        analyze_favorites(file, std::string(), *profile);
        file.Close();
        if (cappedDepth_ > 0) {
            LogMessage(LOG_W,
                       "%s::Load 階層が深すぎるので%d階層目より深い項目を%d階層目に"
                       "読み込みました。(%s)",
                       adapter, cappedDepth_, cappedDepth_, path.c_str());
        }
    }
    LogMessage(LOG_I, "%s::Load 終了", adapter);
    return profile != nullptr ? profile->GetCount() : 0;
}

int NNBrowser::SaveBookmarkFile(const char* adapter, const std::string& path,
                                BrowserProfile* profile, int code, const std::string& header) {
    LogMessage(LOG_I, "%s::Save 開始", adapter);
    LogMessage(LOG_I, "%s::Save 読込(%s)", adapter, path.c_str());
    int result = -1;
    platform::File file;
    if (file.Open(path, platform::File::Mode::Write, true)) {
        result = 0;
        writeFailed_ = false;
        bool written = file.Write(Encode(code, header)) &&
                       file.Write(Encode(code, OpeningText(platform::Clock::Now())));
        BrowserProfile::Position position =
            profile != nullptr ? profile->GetHeadPosition() : BrowserProfile::kNoPosition;
        if (written && position != BrowserProfile::kNoPosition) {
            FavoritesItem* item = profile->GetNext(position);
            result = SaveNetscapeBookmarks(file, code, *profile, position, item, 0);
            written = !writeFailed_;
        }
        written = written && file.Write(ClosingText());
        if (!file.Close() || !written) {
            // A cut-off file would pass for a complete one: it is removed and the save fails.
            const int error = platform::SystemError::Last();
            platform::FileSystem::DeleteFile(path);
            platform::SystemError::SetLast(error);
            LogSystemError((std::string(adapter) + "::Save 書き込みが出来ません。").c_str());
            result = -1;
        }
    } else {
        LogSystemError((std::string(adapter) + "::Save ファイルが作成出来ません。").c_str());
    }
    LogMessage(LOG_I, "%s::Save 終了", adapter);
    return result;
}

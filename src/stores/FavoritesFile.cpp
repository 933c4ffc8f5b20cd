#include "stores/FavoritesFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "encoding/EncodingString.h"
#include "mapping/KrvMapFile.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "records/URLDB.h"
#include "records/URLInfo.h"
#include "selection/FavoritesSetup.h"
#include "support/CommonTools.h"
#include "support/Log.h"
#include "support/UserPrompt.h"

using platform::Cp932;
using platform::FileSystem;

namespace {

constexpr int kFieldCount = 20;
constexpr int kDefaultBackupSlots = 2;
constexpr int kMaxBackupSlots = 5;
// Records are gathered in memory and written in blocks of about this size.
constexpr size_t kWriteBlock = 1 << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    size_t end = text.size();
    while (end > start && IsBlank(text[end - 1])) --end;
    return text.substr(start, end - start);
}

// The leading decimal integer as atoi reads it: blanks, an optional sign, digits; 0 without
// digits. Values beyond the 32-bit range stop at its ends.
int32_t LeadingInt(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > int64_t{INT32_MAX} + 1) break;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Numeric fields: an empty value reads as -1.
int32_t FieldInt(std::string_view value) {
    return value.empty() ? -1 : LeadingInt(value);
}

int HexDigitValue(unsigned char c) {
    return c > 64 ? c - 55 : c - 48;
}

// Fills records line by line: a record ends where a field number is lower than the one before.
class RecordReader {
public:
    explicit RecordReader(URLDB& database) : database_(database) {}

    // False when no memory is left for a new record.
    bool Line(std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#') return true;
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos || comma == 0) return true;
        const int32_t key = LeadingInt(line.substr(0, comma));
        if (key < 0 || key >= kFieldCount) return true;
        if (previousKey_ >= 0 && key < previousKey_) Finish();
        if (!record_) {
            record_ = std::unique_ptr<URLInfo>(new (std::nothrow) URLInfo());
            if (!record_) return false;
        }
        Store(*record_, key, line.substr(comma + 1));
        previousKey_ = key;
        return true;
    }

    // Hands the record being filled to the database, which drops it when its URL is empty or
    // already there.
    void Finish() {
        if (record_) database_.BulkAdd(std::move(record_));
        record_.reset();
        previousKey_ = -1;
    }

    // Forgets the record being filled.
    void Drop() {
        record_.reset();
        previousKey_ = -1;
    }

private:
    static void Store(URLInfo& record, int key, std::string_view value) {
        switch (key) {
            case 0:
                record.SetURL(value);
                break;
            case 1:
                record.SetTitle(value);
                break;
            case 2:
                record.SetDisplayTitle(value);
                break;
            case 3:
                record.SetResponseText(value);
                break;
            case 4:
                record.SetHttpBody(value, true);
                break;
            case 5:
                record.SetHttpBodySize(FieldInt(value));
                break;
            case 6:
                record.SetReferenceCount(FieldInt(value));
                break;
            case 7:
                record.SetErrorCount(FieldInt(value));
                break;
            case 8:
                record.SetHttpStatus(FieldInt(value));
                break;
            case 9:
                record.SetFirstTime(FieldInt(value));
                break;
            case 10:
                record.SetLastRequestTime(FieldInt(value));
                break;
            case 11:
                record.SetLastNormalTime(FieldInt(value));
                break;
            case 12:
                record.SetEveryuseEnabled(FieldInt(value));
                break;
            case 13:
                record.SetLastReferenceTime(FieldInt(value));
                break;
            case 14:
                record.SetAuthRequired(FieldInt(value));
                break;
            case 15:
                record.SetAuthUser(value);
                break;
            case 16:
                record.SetAuthPassword(FavoritesFile::DecodePassword(std::string(value)));
                break;
            case 17:
                record.SetExtraValue(FieldInt(value));
                break;
            case 18:
                record.SetExtraCode(FieldInt(value));
                break;
            case 19:
                record.SetGenre(FieldInt(value));
                break;
        }
    }

    URLDB& database_;
    std::unique_ptr<URLInfo> record_;
    int previousKey_ = -1;
};

// Appends "<number>,<value>" and CR LF.
void AppendText(std::string& out, const char* number, std::string_view value) {
    out += number;
    out += ',';
    out += value;
    out += "\r\n";
}

void AppendInt(std::string& out, const char* number, int32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    AppendText(out, number, std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void AppendFull(std::string& out, const URLInfo& record) {
    AppendText(out, "0", record.GetURL());
    AppendText(out, "1", record.GetTitle());
    AppendText(out, "2", record.GetDisplayTitle());
    AppendText(out, "3", record.GetResponseText());
    if (!record.GetHttpBody().empty()) AppendText(out, "4", record.GetHttpBody());
    AppendInt(out, "5", record.GetHttpBodySize());
    AppendInt(out, "6", record.GetReferenceCount());
    AppendInt(out, "7", record.GetErrorCount());
    AppendInt(out, "8", record.GetHttpStatus());
    AppendInt(out, "9", record.GetFirstTime());
    AppendInt(out, "10", record.GetLastRequestTime());
    AppendInt(out, "11", record.GetLastNormalTime());
    AppendInt(out, "12", record.GetEveryuseEnabled());
    AppendInt(out, "13", record.GetLastReferenceTime());
    AppendInt(out, "14", record.GetAuthRequired());
    AppendText(out, "15", record.GetAuthUser());
    AppendText(out, "16", FavoritesFile::EncodePassword(record.GetAuthPassword()));
    AppendInt(out, "17", record.GetExtraValue());
    AppendInt(out, "18", record.GetExtraCode());
    AppendInt(out, "19", record.GetGenre());
}

void AppendLight(std::string& out, const URLInfo& record) {
    AppendText(out, "0", record.GetURL());
    AppendText(out, "1", record.GetTitle());
    AppendText(out, "2", record.GetDisplayTitle());
    AppendInt(out, "14", record.GetAuthRequired());
    AppendText(out, "15", record.GetAuthUser());
    // The password is encoded as in the full form, so that it is never exported readable and
    // survives being loaded back.
    AppendText(out, "16", FavoritesFile::EncodePassword(record.GetAuthPassword()));
}

bool FileAt(const std::string& path) {
    return FileSystem::Exists(path) && !FileSystem::IsFolder(path);
}

}  // namespace

FavoritesFile::FavoritesFile() : databasePath_(CommonTools::MakeDataPath(kDatabaseName)) {}

std::string FavoritesFile::EncodePassword(const std::string& password) {
    if (password.empty()) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(password.size() * 2);
    for (unsigned char byte : password) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return EncodingString().EncodeBase64(hex);
}

std::string FavoritesFile::DecodePassword(const std::string& value) {
    if (value.empty()) return {};
    const std::string hex = EncodingString().DecodeBase64(value);
    if (hex.size() % 2 != 0) return {};
    std::string password;
    password.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigitValue(static_cast<unsigned char>(hex[i]));
        const int low = HexDigitValue(static_cast<unsigned char>(hex[i + 1]));
        const char byte = static_cast<char>((high * 16 + low) & 0xFF);
        // The password is text: it ends at a zero byte.
        if (byte == '\0') break;
        password += byte;
    }
    return password;
}

int FavoritesFile::Load(const std::string& path, URLDB& database) {
    database.SetRecentEnabled(0);
    LogMessage(LOG_I, "FavoritesFile::Load Start ");
    int result = 0;
    KrvMapFile map;
    if (map.Open(path, KrvMapFile::kModeRead | KrvMapFile::kTypeBinary) &&
        map.Attach("FavoritesFile", map.GetFileLength())) {
        std::string line;
        if (map.ReadLine(line) && line.compare(0, 5, "size=") == 0) {
            LogMessage(LOG_D, "FavoritesFile::Load 読込時のURL数 (%s) ", line.c_str());
            RecordReader reader(database);
            database.BeginBulkAdd();
            bool reading = true;
            std::string_view view;
            try {
                while (reading && !KrvMapFile::GetFailureFlag() && map.ReadLineView(view)) {
                    result = 1;
                    reading = reader.Line(view);
                }
                if (reading) reader.Finish();
            } catch (const std::bad_alloc&) {
                // Out of memory: the records added so far stay, the one being read is dropped.
            }
            reader.Drop();
            database.EndBulkAdd();
        } else {
            LogMessage(LOG_W, "FavoritesFile::Load フォーマットが違うファイルが読み込まれました。");
        }
    }
    map.Reset();
    database.SetRecentEnabled(1);
    LogMessage(LOG_I, "FavoritesFile::Load Stop ");
    return result;
}

int FavoritesFile::Save(std::string& path, const URLDB& database, const FavoritesSetup& setup) {
    return Write(path, database, setup, Form::kFull);
}

int FavoritesFile::SaveLight(std::string& path, const URLDB& database,
                             const FavoritesSetup& setup) {
    return Write(path, database, setup, Form::kLight);
}

int FavoritesFile::Write(std::string& path, const URLDB& database, const FavoritesSetup& setup,
                         Form form) {
    if (!PrepareTarget(path, setup.GetBackupCount())) return 0;
    const char* failure = form == Form::kFull
                              ? "FavoritesFile::Save *ERROR*: 書込みに失敗しました。"
                              : "FavoritesFile::SaveLight *ERROR*: 書込みに失敗しました。";
    platform::File file;
    if (!file.Open(path, platform::File::Mode::Write, false)) {
        LogSystemError(failure);
        return 0;
    }

    const int count = database.GetCount();
    std::string block = "size=" + std::to_string(count) + "\r\n";
    if (form == Form::kFull)
        LogMessage(LOG_D, "FavoritesFile::Save 書込み時のURL数 Size=(%d) ", count);
    bool written = true;
    for (int index = 0; index < count && written; ++index) {
        const URLInfo* record = database.GetAt(index);
        if (form == Form::kFull)
            AppendFull(block, *record);
        else
            AppendLight(block, *record);
        if (block.size() >= kWriteBlock) {
            written = file.Write(block);
            block.clear();
        }
    }
    if (written) written = file.Write(block);
    if (!file.Close()) written = false;
    if (!written) {
        LogSystemError(failure);
        return 0;
    }
    return 1;
}

bool FavoritesFile::PrepareTarget(std::string& path, int backupCount) {
    if (MakeBackupFile(path, backupCount)) return true;
    UserPrompt::Show(Cp932::FromUtf8("権限等の問題で前回データのバックアップに失敗しました。"));
    // Without a backup the old file makes way; the user has just been told.
    if (FileSystem::DeleteFile(path)) return true;
    UserPrompt::Show(
        Cp932::FromUtf8("urldb.dbにデータを保存できません。別名称を入力してください。\n"
                        "その後ファイルの権限チェックをしてください。\n"
                        "ファイルが壊れているときは\"CHKDSK /F\"等を実行後\n"
                        "バックアップしたファイルの名称をurldb.dbに修正してください。"));
    const auto chosen = UserPrompt::Current().AskSaveFileName(
        "", path, Cp932::FromUtf8("URLDB文書(*.DB)|*.DB|その他(*.*)|*.*||"));
    if (!chosen) return false;
    path = *chosen;
    return true;
}

int FavoritesFile::MakeBackupFile(const std::string& path, int count) {
    const int slots = count >= 1 && count <= kMaxBackupSlots ? count : kDefaultBackupSlots;
    if (!FileAt(path)) return 1;

    struct Slot {
        std::string name;
        int64_t modified = 0;
    };
    std::vector<Slot> taken;
    for (int i = 1; i <= slots; ++i) {
        std::string name = path + "." + std::to_string(i);
        if (!FileSystem::Exists(name)) {
            if (FileSystem::MoveFile(path, name)) return 1;
            LogMessage(LOG_E,
                       "FavoritesFile::MakeBackupFile 権限などの問題でバックアップが出来ません。");
            continue;
        }
        Slot slot{std::move(name), 0};
        FileSystem::GetModificationTime(slot.name, slot.modified);
        taken.push_back(std::move(slot));
    }
    std::stable_sort(taken.begin(), taken.end(),
                     [](const Slot& a, const Slot& b) { return a.modified < b.modified; });
    for (const Slot& slot : taken) {
        if (!FileSystem::DeleteFile(slot.name)) {
            LogMessage(LOG_E,
                       "FavoritesFile::MakeBackupFile "
                       "権限などの問題でバックアップファイルが削除出来ません。[%s]",
                       slot.name.c_str());
            continue;
        }
        if (FileSystem::MoveFile(path, slot.name)) return 1;
        LogMessage(LOG_E,
                   "FavoritesFile::MakeBackupFile 権限などの問題でバックアップが出来ません。[%s]",
                   slot.name.c_str());
        return 0;
    }
    return 0;
}

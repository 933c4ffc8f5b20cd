#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Cp932.h"
#include "platform/HiveFile.h"
#include "platform/Prefix.h"
#include "platform/SystemNotices.h"
#include "platform/SystemSource.h"

namespace platform {

namespace registry_detail {

// A value whose folded name and data are ranges of its Store's text. Offsets rather than
// strings keep millions of tiny values within a small multiple of the file's size.
struct Value {
    uint32_t owner = 0;  // while a file is parsed: the key line the value followed
    uint32_t name = 0, nameSize = 0;
    uint32_t data = 0, dataSize = 0;
    uint32_t type = kRegNone;
    bool isString = false;  // data holds text (REG_SZ, REG_EXPAND_SZ and their hex forms)
};

struct Store {
    std::u16string text;        // folded key paths, folded value names and value data
    std::vector<Value> values;  // grouped by key, each key's values sorted by name, unique

    std::u16string_view Text(uint32_t at, uint32_t size) const {
        return std::u16string_view(text).substr(at, size);
    }
};

struct Key {
    const Store* store = nullptr;
    uint32_t first = 0, count = 0;  // the key's values in store->values
};

// A key of a Wine registry file, found by its folded path in the Store's text.
struct PathKey {
    uint32_t path = 0, pathSize = 0;
    Key key;
};

// Only the keys the file names are stored, so memory follows the file's size however deep its
// paths go; a key that only holds subkeys is found by its descendants.
struct Hive {
    bool loaded = false;  // the file was there and had the right header
    bool win64 = false;
    Store store;
    std::vector<PathKey> keys;  // sorted by path, unique
    Key empty;                  // stands for the root and for keys that only hold subkeys

    // A binary hive is read key by key as keys are opened: `keys` stays empty and `read` keeps
    // each key looked up (null when missing) for as long as the hive lives.
    std::unique_ptr<HiveFile> file;
    std::vector<std::u16string> mount;  // folded path of the key the file's root stands for
    mutable std::mutex readMutex;
    struct ReadKey {
        Store store;
        Key key;
    };
    mutable std::map<std::u16string, std::unique_ptr<ReadKey>> read;
};

}  // namespace registry_detail

using registry_detail::Hive;
using registry_detail::Key;
using registry_detail::PathKey;
using registry_detail::Store;
using registry_detail::Value;

namespace {

// Registry files beyond this size are taken as damaged; real ones stay far below it.
constexpr off_t kMaxFileSize = 128 * 1024 * 1024;
constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

char16_t FoldUnit(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

std::u16string Fold(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& unit : folded) unit = FoldUnit(unit);
    return folded;
}

// A key path as the map holds it: folded components joined by single backslashes, empty
// components (doubled, leading or trailing backslashes) dropped.
std::vector<std::u16string> SplitPath(std::u16string_view path) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > start) parts.push_back(Fold(path.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

// SplitPath and JoinPath in one pass, appending to `out` without a string per component.
void AppendNormalPath(std::u16string_view path, std::u16string& out) {
    const size_t start = out.size();
    bool pending = false;  // a separator is due before the next unit
    for (const char16_t unit : path) {
        if (unit == u'\\') {
            pending = out.size() > start;
            continue;
        }
        if (pending) out += u'\\';
        pending = false;
        out += FoldUnit(unit);
    }
}

std::u16string JoinPath(const std::vector<std::u16string>& parts, size_t from = 0) {
    std::u16string joined;
    for (size_t i = from; i < parts.size(); ++i) {
        if (!joined.empty()) joined += u'\\';
        joined += parts[i];
    }
    return joined;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads an escaped string from `pos` up to the unescaped `delimiter`, which is consumed.
// False when the line ends first. Each escape gives one UTF-16 unit; bytes stand for
// themselves (the file is ASCII; stray high bytes are taken as Latin-1).
bool Unescape(std::string_view line, size_t& pos, char delimiter, std::u16string& out) {
    static constexpr std::string_view kLetters = "abtnvfre";
    static constexpr char16_t kControls[] = {7, 8, 9, 10, 11, 12, 13, 27};
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == delimiter) return true;
        if (c != '\\') {
            out += static_cast<char16_t>(static_cast<unsigned char>(c));
            continue;
        }
        if (pos >= line.size()) return false;
        const char escaped = line[pos++];
        if (size_t letter = kLetters.find(escaped); letter != std::string_view::npos) {
            out += kControls[letter];
        } else if (escaped == 'x') {
            unsigned unit = 0;
            int digits = 0;
            for (; digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0; ++digits)
                unit = unit * 16 + static_cast<unsigned>(HexDigit(line[pos++]));
            out += digits ? static_cast<char16_t>(unit) : u'x';
        } else if (escaped >= '0' && escaped <= '7') {
            unsigned unit = static_cast<unsigned>(escaped - '0');
            for (int digits = 1;
                 digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits)
                unit = unit * 8 + static_cast<unsigned>(line[pos++] - '0');
            out += static_cast<char16_t>(unit);
        } else {
            out += static_cast<char16_t>(static_cast<unsigned char>(escaped));
        }
    }
    return false;
}

// Reads a registry file line by line, with one line of look-ahead for hex continuations.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        return true;
    }
    size_t Position() const { return pos_; }
    void Rewind(size_t position) { pos_ = position; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Parses "aa,bb,...", following a trailing backslash onto indented continuation lines.
// False on a malformed byte or a continuation that is missing.
bool ParseHexBytes(std::string_view rest, LineReader& reader, std::string& bytes) {
    size_t pos = 0;
    while (true) {
        while (pos < rest.size() && (IsBlank(rest[pos]) || rest[pos] == ',')) ++pos;
        if (pos >= rest.size()) return true;
        if (rest[pos] == '\\' && pos + 1 == rest.size()) {
            const size_t mark = reader.Position();
            std::string_view next;
            if (!reader.Next(next) || next.empty() || !IsBlank(next[0])) {
                reader.Rewind(mark);  // the next line is a line of its own
                return false;
            }
            rest = next;
            pos = 0;
            continue;
        }
        const int high = HexDigit(rest[pos]);
        const int low = pos + 1 < rest.size() ? HexDigit(rest[pos + 1]) : -1;
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        pos += 2;
    }
}

// Reads "(N):" after "str" or "hex"; N is hexadecimal.
bool ParseTypeSuffix(std::string_view data, size_t& pos, uint32_t& type) {
    if (pos < data.size() && data[pos] == ':') {
        ++pos;
        return true;
    }
    if (pos >= data.size() || data[pos] != '(') return false;
    ++pos;
    uint32_t number = 0;
    int digits = 0;
    for (; pos < data.size() && HexDigit(data[pos]) >= 0 && digits < 8; ++pos, ++digits)
        number = number * 16 + static_cast<uint32_t>(HexDigit(data[pos]));
    if (digits == 0 || data.substr(pos, 2) != "):") return false;
    pos += 2;
    type = number;
    return true;
}

// The data after "=": a string, str:/str(N):, dword: or hex:/hex(N):. False when malformed.
// Appends the data to `text`, where value.data points.
bool ParseData(std::string_view data, LineReader& reader, Value& value, std::u16string& text) {
    size_t pos = 0;
    value.data = static_cast<uint32_t>(text.size());
    if (data.starts_with("\"") || data.starts_with("str")) {
        value.type = kRegSz;
        if (data[0] != '"') {
            pos = 3;
            if (!ParseTypeSuffix(data, pos, value.type) || pos >= data.size() || data[pos] != '"')
                return false;
        }
        ++pos;
        value.isString = value.type == kRegSz || value.type == kRegExpandSz;
        return Unescape(data, pos, '"', text);
    }
    if (data.starts_with("dword:")) {
        value.type = kRegDword;
        return true;
    }
    if (data.starts_with("hex")) {
        value.type = kRegBinary;
        pos = 3;
        if (!ParseTypeSuffix(data, pos, value.type)) return false;
        std::string bytes;
        if (!ParseHexBytes(data.substr(pos), reader, bytes)) return false;
        if (value.type == kRegSz || value.type == kRegExpandSz) {
            value.isString = true;
            for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
                const char16_t unit =
                    static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
                if (unit == 0) break;
                text += unit;
            }
        }
        return true;
    }
    return false;
}

void ParseValueLine(std::string_view line, LineReader& reader, uint32_t owner, Store& store) {
    const size_t mark = store.text.size();
    Value value;
    value.owner = owner;
    value.name = static_cast<uint32_t>(mark);
    size_t pos = 1;
    bool ok = line[0] != '"' || Unescape(line, pos, '"', store.text);
    for (size_t i = mark; i < store.text.size(); ++i) store.text[i] = FoldUnit(store.text[i]);
    value.nameSize = static_cast<uint32_t>(store.text.size() - mark);
    ok = ok && pos < line.size() && line[pos] == '=' &&
         ParseData(line.substr(pos + 1), reader, value, store.text);
    if (!ok) {
        store.text.resize(mark);
        return;
    }
    value.dataSize = static_cast<uint32_t>(store.text.size() - value.data);
    store.values.push_back(value);
}

// Merges key lines naming the same path into the first of them, and keeps the last of values
// whose names are equal, as a file read line by line into a map would.
void Index(std::vector<PathKey>& lines, Hive& hive) {
    Store& store = hive.store;
    auto path = [&](const PathKey& key) { return store.Text(key.path, key.pathSize); };
    std::vector<uint32_t> order(lines.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return path(lines[a]) < path(lines[b]); });
    std::vector<uint32_t> merged(lines.size());
    for (uint32_t i : order) {
        if (hive.keys.empty() || path(hive.keys.back()) != path(lines[i]))
            hive.keys.push_back(lines[i]);
        merged[i] = static_cast<uint32_t>(hive.keys.size() - 1);
    }
    order = {};
    lines = {};
    std::vector<Value>& values = store.values;
    for (Value& value : values) value.owner = merged[value.owner];
    merged = {};
    auto name = [&](const Value& value) { return store.Text(value.name, value.nameSize); };
    std::stable_sort(values.begin(), values.end(), [&](const Value& a, const Value& b) {
        return a.owner != b.owner ? a.owner < b.owner : name(a) < name(b);
    });
    size_t kept = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const bool last = i + 1 == values.size() || values[i + 1].owner != values[i].owner ||
                          name(values[i + 1]) != name(values[i]);
        if (last) values[kept++] = values[i];
    }
    values.resize(kept);
    values.shrink_to_fit();
    for (PathKey& key : hive.keys) key.key.store = &store;
    for (uint32_t i = 0; i < kept; ++i) {
        Key& key = hive.keys[values[i].owner].key;
        if (key.count++ == 0) key.first = i;
    }
    hive.keys.shrink_to_fit();
}

void Parse(std::string_view text, Hive& hive) {
    LineReader reader(text);
    std::string_view line;
    if (!reader.Next(line) || line != kHeader) return;
    hive.loaded = true;
    std::vector<PathKey> lines;  // each key line in file order
    bool current = false;
    bool seenKey = false;
    std::u16string path;
    while (reader.Next(line)) {
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '#') {
            if (!seenKey && line.starts_with("#arch=")) hive.win64 = line == "#arch=win64";
            continue;
        }
        if (line[0] == '[') {
            seenKey = true;
            path.clear();
            size_t pos = 1;
            current = Unescape(line, pos, ']', path);
            if (current) {
                PathKey key;
                key.path = static_cast<uint32_t>(hive.store.text.size());
                AppendNormalPath(path, hive.store.text);
                key.pathSize = static_cast<uint32_t>(hive.store.text.size() - key.path);
                lines.push_back(key);
            }
            continue;
        }
        if (current && (line[0] == '"' || line[0] == '@'))
            ParseValueLine(line, reader, static_cast<uint32_t>(lines.size() - 1), hive.store);
    }
    path = {};
    Index(lines, hive);
}

bool ReadFile(const std::string& path, std::string& content) {
    // Non-blocking, so that a FIFO in place of the file is refused below instead of waiting for
    // a writer; regular files ignore the flag.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxFileSize;
    if (ok) {
        content.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < content.size()) {
            const ssize_t got = read(fd, content.data() + done, content.size() - done);
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        content.resize(done);
    }
    close(fd);
    return ok;
}

std::shared_ptr<const Hive> LoadWineText(const std::string& file) {
    auto hive = std::make_shared<Hive>();
    std::string content;
    if (ReadFile(file, content)) Parse(content, *hive);
    return hive;
}

std::string ReasonText(int error) {
    const char* text = std::strerror(error);
    return text ? Cp932::FromUtf8(text) : std::string();
}

std::shared_ptr<const Hive> LoadHiveFile(const RegistrySource& source) {
    auto hive = std::make_shared<Hive>();
    HiveFile::Opening opening;
    hive->file = HiveFile::Open(source.file, source.verbose, opening);
    if (!hive->file) {
        SystemNotices::Add(
            {SystemNotice::Kind::HiveRefused, true, source.name, ReasonText(opening.error)});
        return hive;
    }
    if (opening.dirty) SystemNotices::Add({SystemNotice::Kind::HiveDirty, false, source.name, {}});
    hive->loaded = true;
    hive->mount = SplitPath(Cp932::ToUtf16(source.mount));
    // A 64-bit system keeps the keys of 32-bit programs apart.
    if (hive->mount.size() == 1 && hive->mount[0] == u"software")
        hive->win64 = hive->file->Child(hive->file->Root(), u"wow6432node") != 0;
    return hive;
}

std::shared_ptr<const Hive> LoadHive(RegistryRoot root) {
    const RegistrySource source = SystemSource::Current()->Registry(root);
    switch (source.format) {
        case RegistrySource::Format::WineText:
            return LoadWineText(source.file);
        case RegistrySource::Format::Hive:
            return LoadHiveFile(source);
        case RegistrySource::Format::None:
            break;
    }
    return std::make_shared<Hive>();
}

std::mutex cacheMutex;
uint64_t cacheGeneration = 0;
std::shared_ptr<const Hive> cache[2];

std::shared_ptr<const Hive> GetHive(RegistryRoot root) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    const uint64_t generation = Prefix::Generation();
    if (generation != cacheGeneration) {
        cache[0].reset();
        cache[1].reset();
        cacheGeneration = generation;
    }
    const bool user = root == RegistryRoot::CurrentUser;
    std::shared_ptr<const Hive>& slot = cache[user ? 0 : 1];
    if (!slot) slot = LoadHive(root);
    return slot;
}

// The key below a hive file's root, read once.
const Key* FindInFile(const Hive& hive, const std::vector<std::u16string>& parts) {
    std::lock_guard<std::mutex> lock(hive.readMutex);
    std::unique_ptr<Hive::ReadKey>& slot = hive.read[JoinPath(parts)];
    if (slot) return &slot->key;
    size_t node = hive.file->Root();
    for (const std::u16string& part : parts) {
        node = hive.file->Child(node, part);
        if (node == 0) return nullptr;
    }
    slot = std::make_unique<Hive::ReadKey>();
    Store& store = slot->store;
    for (HiveFile::Value& stored : hive.file->Values(node)) {
        Value value;
        value.type = stored.type;
        value.isString = stored.type == kRegSz || stored.type == kRegExpandSz;
        value.name = static_cast<uint32_t>(store.text.size());
        for (const char16_t unit : stored.name) store.text += FoldUnit(unit);
        value.nameSize = static_cast<uint32_t>(store.text.size() - value.name);
        value.data = static_cast<uint32_t>(store.text.size());
        if (value.isString) {
            for (size_t i = 0; i + 1 < stored.data.size(); i += 2) {
                const char16_t unit =
                    static_cast<char16_t>(static_cast<unsigned char>(stored.data[i]) |
                                          (static_cast<unsigned char>(stored.data[i + 1]) << 8));
                if (unit == 0) break;
                store.text += unit;
            }
        }
        value.dataSize = static_cast<uint32_t>(store.text.size() - value.data);
        store.values.push_back(value);
    }
    // The first of two values whose names differ only in case, as a lookup finds it.
    auto name = [&](const Value& value) { return store.Text(value.name, value.nameSize); };
    std::stable_sort(store.values.begin(), store.values.end(),
                     [&](const Value& a, const Value& b) { return name(a) < name(b); });
    auto end = std::unique(store.values.begin(), store.values.end(),
                           [&](const Value& a, const Value& b) { return name(a) == name(b); });
    store.values.erase(end, store.values.end());
    slot->key = {&store, 0, static_cast<uint32_t>(store.values.size())};
    return &slot->key;
}

const Key* FindKey(const Hive& hive, const std::u16string& path) {
    if (!hive.loaded) return nullptr;
    if (hive.file) {
        std::vector<std::u16string> parts = SplitPath(path);
        const size_t mounted = std::min(parts.size(), hive.mount.size());
        if (!std::equal(parts.begin(), parts.begin() + mounted, hive.mount.begin())) return nullptr;
        if (parts.size() < hive.mount.size()) return &hive.empty;  // above the file's root
        parts.erase(parts.begin(), parts.begin() + hive.mount.size());
        return FindInFile(hive, parts);
    }
    const Store& store = hive.store;
    auto first = [&](std::u16string_view wanted) {
        return std::lower_bound(hive.keys.begin(), hive.keys.end(), wanted,
                                [&](const PathKey& key, std::u16string_view text) {
                                    return store.Text(key.path, key.pathSize) < text;
                                });
    };
    auto found = first(path);
    if (found != hive.keys.end() && store.Text(found->path, found->pathSize) == path)
        return &found->key;
    if (path.empty()) return &hive.empty;
    // Keys that only hold subkeys are not written: such a key exists when a descendant does.
    const std::u16string below = path + u'\\';
    auto next = first(below);
    if (next != hive.keys.end() && store.Text(next->path, next->pathSize).starts_with(below))
        return &hive.empty;
    return nullptr;
}

}  // namespace

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(const RegistryKey&) = default;
RegistryKey& RegistryKey::operator=(const RegistryKey&) = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

bool RegistryKey::IsOpen() const {
    return key_ != nullptr;
}

void RegistryKey::Close() {
    key_ = nullptr;
    hive_.reset();
}

RegistryRead RegistryKey::ReadString(std::string_view name, size_t limit, std::string& value,
                                     uint32_t* type) const {
    value.clear();
    if (!key_) return RegistryRead::NotFound;
    if (key_->count == 0) return RegistryRead::NotFound;
    const Store& store = *key_->store;
    const std::u16string wanted = Fold(Cp932::ToUtf16(name));
    const Value* begin = store.values.data() + key_->first;
    const Value* end = begin + key_->count;
    const Value* found =
        std::lower_bound(begin, end, wanted, [&](const Value& value, const std::u16string& text) {
            return store.Text(value.name, value.nameSize) < text;
        });
    if (found == end || store.Text(found->name, found->nameSize) != wanted)
        return RegistryRead::NotFound;
    if (type) *type = found->type;
    if (!found->isString) return RegistryRead::WrongType;
    std::u16string_view data = store.Text(found->data, found->dataSize);
    data = data.substr(0, data.find(u'\0'));  // the ANSI text ends at the first zero
    std::string text = Cp932::FromUtf16(data);
    if (text.size() + 1 > limit) return RegistryRead::TooLong;
    value = std::move(text);
    return RegistryRead::Found;
}

bool Registry::OpenKey(RegistryRoot root, std::string_view path, RegistryKey& key) {
    key.Close();
    std::shared_ptr<const Hive> hive = GetHive(root);
    const std::vector<std::u16string> parts = SplitPath(Cp932::ToUtf16(path));
    const Key* found = nullptr;
    if (root == RegistryRoot::LocalMachine && hive->win64 && parts.size() >= 2 &&
        parts[0] == u"software" && parts[1] != u"wow6432node") {
        found = FindKey(*hive, u"software\\wow6432node\\" + JoinPath(parts, 1));
    }
    if (!found) found = FindKey(*hive, JoinPath(parts));
    if (!found) return false;
    key.hive_ = std::move(hive);
    key.key_ = found;
    return true;
}

RegistryRead Registry::ReadString(RegistryRoot root, std::string_view path, std::string_view name,
                                  size_t limit, std::string& value) {
    value.clear();
    RegistryKey key;
    if (!OpenKey(root, path, key)) return RegistryRead::NotFound;
    return key.ReadString(name, limit, value);
}

bool Registry::IsWin64() {
    std::shared_ptr<const Hive> system = GetHive(RegistryRoot::LocalMachine);
    if (system->loaded) return system->win64;
    return GetHive(RegistryRoot::CurrentUser)->win64;
}

}  // namespace platform

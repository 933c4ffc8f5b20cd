#include "platform/IniFile.h"

#include <cerrno>
#include <cstdint>
#include <optional>

#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/SystemInfo.h"
#include "platform/Utf8.h"

namespace platform {

namespace {

// Settings files are small; a larger file is not read, and so never rewritten.
constexpr uint64_t kMaxFileSize = 16 * 1024 * 1024;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// The file is held as Unicode text, as Windows holds it: every character of the file survives a
// rewrite, and only the names and values passed in go through code page 932.
using Text = std::u16string;
using TextView = std::u16string_view;

enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

// One line of a section: "name=value", or a line without "=" (value absent), comments included.
struct Entry {
    Text name;
    std::optional<Text> value;
};

struct Section {
    Text name;
    bool header = true;  // false for the keys before any section header
    std::vector<Entry> entries;
};

struct Document {
    Encoding encoding = Encoding::kAnsi;
    std::vector<Section> sections;
};

bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

TextView Trim(TextView text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char16_t Fold(char16_t c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c - 'A' + 'a') : c;
}

// Names compare without regard to ASCII letter case.
bool EqualNoCase(TextView a, TextView b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// A name or value passed in, as the ANSI functions take it.
Text FromAnsi(std::string_view text) {
    return Cp932::ToUtf16(text);
}

std::string ToAnsi(TextView text) {
    return Cp932::FromUtf16(text);
}

// A bare file name lives in the Windows folder, as on Windows.
std::string Resolve(const std::string& path) {
    if (path.find_first_of("\\:") != std::string::npos) return path;
    return SystemInfo::WindowsFolder() + "\\" + path;
}

Text Utf16Units(std::string_view bytes, bool bigEndian) {
    Text text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

// The file's text: a byte-order mark selects UTF-8 or UTF-16, anything else is code page 932.
Text Decode(std::string_view bytes, Encoding& encoding) {
    if (bytes.starts_with(kUtf8Bom)) {
        encoding = Encoding::kUtf8;
        return Utf8::ToUtf16(bytes.substr(kUtf8Bom.size()));
    }
    if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
        const bool bigEndian = bytes.starts_with(kUtf16BeBom);
        encoding = bigEndian ? Encoding::kUtf16Be : Encoding::kUtf16Le;
        return Utf16Units(bytes.substr(2), bigEndian);
    }
    encoding = Encoding::kAnsi;
    return Cp932::ToUtf16(bytes);
}

std::string Encode(TextView text, Encoding encoding) {
    switch (encoding) {
        case Encoding::kAnsi: {
            std::string bytes = ToAnsi(text);
            // Bytes that begin like a byte-order mark would be read back as another encoding
            // (a first line of 0xFF 0xFE once the blank lines before it are dropped): such a file
            // is written as UTF-8 with its mark, which keeps every character.
            if (bytes.starts_with(kUtf8Bom) || bytes.starts_with(kUtf16LeBom) ||
                bytes.starts_with(kUtf16BeBom))
                return std::string(kUtf8Bom) + Utf8::FromUtf16(text);
            return bytes;
        }
        case Encoding::kUtf8:
            return std::string(kUtf8Bom) + Utf8::FromUtf16(text);
        case Encoding::kUtf16Le:
        case Encoding::kUtf16Be: {
            const bool bigEndian = encoding == Encoding::kUtf16Be;
            std::string bytes(bigEndian ? kUtf16BeBom : kUtf16LeBom);
            bytes.reserve(2 + 2 * text.size());
            for (const char16_t unit : text) {
                const char high = static_cast<char>(unit >> 8);
                const char low = static_cast<char>(unit & 0xFF);
                bytes += bigEndian ? high : low;
                bytes += bigEndian ? low : high;
            }
            return bytes;
        }
    }
    return {};
}

TextView SectionName(TextView line) {
    line.remove_prefix(1);
    return Trim(line.substr(0, line.find(u']')));
}

Document Parse(std::string_view bytes) {
    Document document;
    const Text text = Decode(bytes, document.encoding);
    const TextView all(text);
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find(u'\n', pos);
        if (end == TextView::npos) end = all.size();
        const TextView line = Trim(all.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == u'[') {
            document.sections.push_back(Section{Text(SectionName(line)), true, {}});
            continue;
        }
        if (document.sections.empty()) document.sections.push_back(Section{Text(), false, {}});
        Entry entry;
        const size_t equals = line.find(u'=');
        if (equals == TextView::npos) {
            entry.name = line;
        } else {
            entry.name = Trim(line.substr(0, equals));
            entry.value = Text(Trim(line.substr(equals + 1)));
        }
        document.sections.back().entries.push_back(std::move(entry));
    }
    return document;
}

std::string Serialize(const Document& document) {
    Text text;
    for (const Section& section : document.sections) {
        if (section.header) text += u"[" + section.name + u"]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.name;
            if (entry.value) text += u"=" + *entry.value;
            text += u"\r\n";
        }
    }
    return Encode(text, document.encoding);
}

// Reads and parses the file. A missing file is an empty document; false when the file exists
// but cannot be read (or is too large to be a settings file).
bool Load(const std::string& path, Document& document) {
    document = Document{};
    if (!FileSystem::Exists(path)) return true;
    uint64_t size = 0;
    if (!FileSystem::GetSize(path, size)) return false;
    if (size > kMaxFileSize) {
        SystemError::SetLast(EFBIG);
        return false;
    }
    std::string bytes;
    if (!File::ReadWhole(path, bytes)) return false;
    document = Parse(bytes);
    return true;
}

Section* FindSection(Document& document, std::string_view name) {
    const Text wanted(Trim(FromAnsi(name)));
    for (Section& section : document.sections) {
        if (EqualNoCase(section.name, wanted)) return &section;
    }
    return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
    const Text wanted(Trim(FromAnsi(name)));
    for (Entry& entry : section.entries) {
        if (EqualNoCase(entry.name, wanted)) return &entry;
    }
    return nullptr;
}

std::optional<std::string> FindValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    Document document;
    if (!Load(Resolve(path), document)) return std::nullopt;
    Section* found = FindSection(document, section);
    Entry* entry = found ? FindEntry(*found, key) : nullptr;
    if (!entry || !entry->value) return std::nullopt;
    TextView value = *entry->value;
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == u'"' || value.front() == u'\'')) {
        value = value.substr(1, value.size() - 2);
    }
    return ToAnsi(value);
}

// Cuts text to at most `size` - 1 bytes without splitting a double-byte character.
std::string Fit(std::string_view text, size_t size) {
    if (size == 0) return {};
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t length = Cp932::CharLength(text, pos);
        if (pos + length > size - 1) break;
        pos += length;
    }
    return std::string(text.substr(0, pos));
}

char FoldByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlankByte(char c) {
    return IsBlank(static_cast<unsigned char>(c));
}

uint32_t ParseNumber(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlankByte(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    unsigned base = 10;
    if (text.size() > pos + 1 && text[pos] == '0') {
        const char marker = FoldByte(text[pos + 1]);
        base = marker == 'x' ? 16 : marker == 'o' ? 8 : marker == 'b' ? 2 : 10;
        if (base != 10) pos += 2;
    }
    uint32_t number = 0;
    for (; pos < text.size(); ++pos) {
        const char c = FoldByte(text[pos]);
        const unsigned digit = (c >= '0' && c <= '9')   ? static_cast<unsigned>(c - '0')
                               : (c >= 'a' && c <= 'z') ? static_cast<unsigned>(c - 'a' + 10)
                                                        : 99;
        if (digit >= base) break;
        number = number * base + digit;
    }
    return negative ? 0u - number : number;
}

// Loads, changes and rewrites the file; a file that exists but cannot be read is left alone.
template <typename Change>
bool Rewrite(const std::string& path, Change change) {
    const std::string resolved = Resolve(path);
    Document document;
    if (!Load(resolved, document)) return false;
    if (!change(document)) return true;
    // The new text goes to a file beside the old one, which it then replaces in one step: a
    // write that fails part-way (a full disk) leaves the old file whole.
    const std::string temporary = resolved + ".new";
    if (File::WriteWhole(temporary, Serialize(document), false) &&
        FileSystem::ReplaceFile(temporary, resolved)) {
        return true;
    }
    const int error = SystemError::Last();
    FileSystem::DeleteFile(temporary);
    SystemError::SetLast(error);
    return false;
}

}  // namespace

size_t IniFile::GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, size_t size, std::string& value,
                          const std::string& path) {
    const std::optional<std::string> found = FindValue(path, section, key);
    // The default loses its trailing blanks, as Windows strips them from the buffer.
    while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
    value = Fit(found ? std::string_view(*found) : defaultValue, size);
    return value.size();
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue,
                    const std::string& path) {
    const std::optional<std::string> found = FindValue(path, section, key);
    if (!found || found->empty()) return defaultValue;
    return static_cast<int>(ParseNumber(*found));
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& path) {
    return Rewrite(path, [&](Document& document) {
        Section* target = FindSection(document, section);
        if (!target) {
            document.sections.push_back(Section{Text(Trim(FromAnsi(section))), true, {}});
            target = &document.sections.back();
        }
        if (Entry* entry = FindEntry(*target, key)) {
            entry->value = FromAnsi(value);
        } else {
            target->entries.push_back(Entry{Text(Trim(FromAnsi(key))), FromAnsi(value)});
        }
        return true;
    });
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key, const std::string& path) {
    return Rewrite(path, [&](Document& document) {
        Section* target = FindSection(document, section);
        Entry* entry = target ? FindEntry(*target, key) : nullptr;
        if (!entry) return false;
        target->entries.erase(target->entries.begin() + (entry - target->entries.data()));
        return true;
    });
}

bool IniFile::DeleteSection(std::string_view section, const std::string& path) {
    return Rewrite(path, [&](Document& document) {
        Section* target = FindSection(document, section);
        if (!target) return false;
        document.sections.erase(document.sections.begin() + (target - document.sections.data()));
        return true;
    });
}

std::vector<std::string> IniFile::SectionNames(const std::string& path) {
    std::vector<std::string> names;
    Document document;
    if (!Load(Resolve(path), document)) return names;
    for (const Section& section : document.sections) {
        if (section.header) names.push_back(ToAnsi(section.name));
    }
    return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section, const std::string& path) {
    std::vector<std::string> names;
    Document document;
    if (!Load(Resolve(path), document)) return names;
    if (Section* found = FindSection(document, section)) {
        for (const Entry& entry : found->entries) {
            if (entry.value && !entry.name.starts_with(u';')) names.push_back(ToAnsi(entry.name));
        }
    }
    return names;
}

}  // namespace platform

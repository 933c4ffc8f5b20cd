#include "platform/IniFile.h"

#include <cerrno>
#include <cstdint>
#include <optional>

#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SjisText.h"
#include "platform/SystemError.h"
#include "platform/SystemInfo.h"

namespace platform {

namespace {

// Settings files are small; a larger file is not read, and so never rewritten.
constexpr uint64_t kMaxFileSize = 16 * 1024 * 1024;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of a section: "name=value", or a line without "=" (value absent), comments included.
struct Entry {
    std::string name;
    std::optional<std::string> value;
};

struct Section {
    std::string name;
    bool header = true;  // false for the keys before any section header
    std::vector<Entry> entries;
};

struct Document {
    bool utf8 = false;
    std::vector<Section> sections;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char FoldByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A bare file name lives in the Windows folder, as on Windows.
std::string Resolve(const std::string& path) {
    if (path.find_first_of("\\:") != std::string::npos) return path;
    return SystemInfo::WindowsFolder() + "\\" + path;
}

std::string_view SectionName(std::string_view line) {
    line.remove_prefix(1);
    size_t pos = 0;
    while (pos < line.size() && !(line[pos] == ']' && Cp932::CharLength(line, pos) == 1))
        pos += Cp932::CharLength(line, pos);
    return Trim(line.substr(0, pos));
}

Document Parse(std::string_view bytes) {
    Document document;
    std::string converted;
    if (bytes.starts_with(kUtf8Bom)) {
        document.utf8 = true;
        converted = Cp932::FromUtf8(bytes.substr(kUtf8Bom.size()));
        bytes = converted;
    }
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = Trim(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            document.sections.push_back(Section{std::string(SectionName(line)), true, {}});
            continue;
        }
        if (document.sections.empty()) document.sections.push_back(Section{"", false, {}});
        Entry entry;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            entry.name = line;
        } else {
            entry.name = Trim(line.substr(0, equals));
            entry.value = std::string(Trim(line.substr(equals + 1)));
        }
        document.sections.back().entries.push_back(std::move(entry));
    }
    return document;
}

std::string Serialize(const Document& document) {
    std::string text;
    for (const Section& section : document.sections) {
        if (section.header) text += "[" + section.name + "]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.name;
            if (entry.value) text += "=" + *entry.value;
            text += "\r\n";
        }
    }
    if (!document.utf8) return text;
    return std::string(kUtf8Bom) + Cp932::ToUtf8(text);
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
    name = Trim(name);
    for (Section& section : document.sections) {
        if (SjisText::EqualNoCase(section.name, name)) return &section;
    }
    return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
    name = Trim(name);
    for (Entry& entry : section.entries) {
        if (SjisText::EqualNoCase(entry.name, name)) return &entry;
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
    std::string value = *entry->value;
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
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

uint32_t ParseNumber(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
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
            document.sections.push_back(Section{std::string(Trim(section)), true, {}});
            target = &document.sections.back();
        }
        if (Entry* entry = FindEntry(*target, key)) {
            entry->value = std::string(value);
        } else {
            target->entries.push_back(Entry{std::string(Trim(key)), std::string(value)});
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
        if (section.header) names.push_back(section.name);
    }
    return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section, const std::string& path) {
    std::vector<std::string> names;
    Document document;
    if (!Load(Resolve(path), document)) return names;
    if (Section* found = FindSection(document, section)) {
        for (const Entry& entry : found->entries) {
            if (entry.value && !entry.name.starts_with(';')) names.push_back(entry.name);
        }
    }
    return names;
}

}  // namespace platform

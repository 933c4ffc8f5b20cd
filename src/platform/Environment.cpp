#include "platform/Environment.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Registry.h"
#include "platform/SjisText.h"
#include "platform/SystemSource.h"

namespace platform {

namespace {

constexpr std::string_view kUserEnvironment = "Environment";
constexpr std::string_view kSystemEnvironment =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr std::string_view kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr size_t kNoLimit = SIZE_MAX;

// One expansion's state. A name that refers to itself stays unexpanded inside its own value;
// each name is looked up once, so values that name others many times cost no more than their
// length; names nest at most kMaxNesting deep, so a long chain of values naming each other cannot
// exhaust the stack; no value grows beyond Windows' limit for an environment string.
struct InProgress {
    std::vector<std::string> busy;                                      // folded names
    std::unordered_map<std::string, std::optional<std::string>> known;  // by folded name
};

constexpr size_t kMaxValueLength = 32767;
constexpr size_t kMaxNesting = 64;

// The name as the lookups compare it: ASCII letters folded, double-byte characters kept.
std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (size_t pos = 0; pos < folded.size();) {
        const size_t length = Cp932::CharLength(folded, pos);
        if (length == 1 && folded[pos] >= 'A' && folded[pos] <= 'Z')
            folded[pos] = static_cast<char>(folded[pos] - 'A' + 'a');
        pos += length;
    }
    return folded;
}

bool LookUp(std::string_view name, std::string& value, InProgress& busy);

std::string ExpandWith(std::string_view text, InProgress& busy) {
    std::string out;
    size_t pos = 0;
    // Once the result is full, the rest of the text cannot change it.
    while (pos < text.size() && out.size() < kMaxValueLength) {
        const size_t open = text.find('%', pos);
        if (open == std::string_view::npos) break;
        const size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        out.append(text, pos, open - pos);
        std::string value;
        if (LookUp(text.substr(open + 1, close - open - 1), value, busy)) {
            out += value;
            pos = close + 1;
        } else {
            // Unset: keep "%NAME" and let the closing "%" open the next name.
            out.append(text, open, close - open);
            pos = close;
        }
    }
    if (pos < text.size() && out.size() < kMaxValueLength)
        out.append(text.substr(pos, kMaxValueLength - out.size()));
    if (out.size() > kMaxValueLength) out.resize(kMaxValueLength);
    return out;
}

bool FromRegistry(RegistryRoot root, std::string_view path, std::string_view name,
                  std::string& value, InProgress& busy) {
    RegistryKey key;
    if (!Registry::OpenKey(root, path, key)) return false;
    uint32_t type = kRegNone;
    std::string raw;
    if (key.ReadString(name, kNoLimit, raw, &type) != RegistryRead::Found) return false;
    value = type == kRegExpandSz ? ExpandWith(raw, busy) : raw;
    return true;
}

// The variables the system sets up for every process when the registry does not name them.
bool FromDefaults(std::string_view name, std::string& value, InProgress& busy) {
    for (const auto& [known, text] : SystemSource::Current()->DefaultEnvironment()) {
        if (SjisText::EqualNoCase(name, known)) {
            value = ExpandWith(text, busy);
            return true;
        }
    }
    return false;
}

bool FromProcess(std::string_view name, std::string& value) {
    if (!SystemSource::Current()->InheritsProcessEnvironment()) return false;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view line = *entry;
        const size_t equals = line.find('=', 1);
        if (equals == std::string_view::npos) continue;
        if (SjisText::EqualNoCase(Cp932::FromUtf8(line.substr(0, equals)), name)) {
            value = Cp932::FromUtf8(line.substr(equals + 1));
            return true;
        }
    }
    return false;
}

bool LookUp(std::string_view name, std::string& value, InProgress& busy) {
    if (name.empty()) return false;
    std::string folded = FoldName(name);
    if (auto found = busy.known.find(folded); found != busy.known.end()) {
        if (found->second) value = *found->second;
        return found->second.has_value();
    }
    if (busy.busy.size() >= kMaxNesting) return false;
    for (const std::string& open : busy.busy) {
        if (open == folded) return false;
    }
    busy.busy.push_back(folded);
    const bool found =
        FromRegistry(RegistryRoot::CurrentUser, kUserEnvironment, name, value, busy) ||
        FromRegistry(RegistryRoot::LocalMachine, kSystemEnvironment, name, value, busy) ||
        FromDefaults(name, value, busy) || FromProcess(name, value);
    busy.busy.pop_back();
    if (found && value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    busy.known.emplace(std::move(folded), found ? std::optional<std::string>(value) : std::nullopt);
    return found;
}

}  // namespace

bool Environment::Get(std::string_view name, std::string& value) {
    value.clear();
    InProgress busy;
    return LookUp(name, value, busy);
}

std::string Environment::Expand(std::string_view text) {
    InProgress busy;
    return ExpandWith(text, busy);
}

bool Environment::Expand(std::string_view text, size_t limit, std::string& out) {
    out = Expand(text);
    if (out.size() + 1 <= limit) return true;
    out.clear();
    return false;
}

ShellFolderRead Environment::UserShellFolder(std::string_view name, size_t limit,
                                             std::string& path) {
    path.clear();
    RegistryKey key;
    if (!Registry::OpenKey(RegistryRoot::CurrentUser, kUserShellFolders, key))
        return ShellFolderRead::NoKey;
    std::string raw;
    switch (key.ReadString(name, limit, raw)) {
        case RegistryRead::Found:
            break;
        case RegistryRead::TooLong:
            return ShellFolderRead::TooLong;
        default:
            return ShellFolderRead::NoValue;
    }
    return Expand(raw, limit, path) ? ShellFolderRead::Found : ShellFolderRead::TooLong;
}

}  // namespace platform

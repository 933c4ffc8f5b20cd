#include "platform/PathMap.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/Cp932.h"
#include "platform/FolderNameCache.h"
#include "platform/Prefix.h"
#include "platform/SjisText.h"
#include "platform/SystemNotices.h"
#include "platform/SystemSource.h"

namespace platform {

namespace {

// Native root of each drive letter a-z; empty when the drive is not mapped.
struct DriveMap {
    uint64_t generation = 0;
    std::array<std::string, 26> roots;
    uint32_t noted = 0;  // drives reported as unmapped, by bit
};

std::mutex driveMutex;
DriveMap driveMap;

bool PathExists(const std::string& native) {
    struct stat info {};
    return lstat(native.c_str(), &info) == 0;
}

std::string RealPath(const std::string& native) {
    char buffer[PATH_MAX];
    if (!realpath(native.c_str(), buffer)) return {};
    return buffer;
}

void RefreshDrives() {
    if (driveMap.generation != Prefix::Generation()) {
        driveMap.roots = SystemSource::Current()->Drives();
        driveMap.generation = Prefix::Generation();
        driveMap.noted = 0;
    }
}

std::array<std::string, 26> Drives() {
    std::lock_guard<std::mutex> lock(driveMutex);
    RefreshDrives();
    return driveMap.roots;
}

std::string DriveRoot(int drive) {
    std::lock_guard<std::mutex> lock(driveMutex);
    RefreshDrives();
    return driveMap.roots[drive];
}

// Whether the drive's native root is `root`, without copying it.
bool HasRoot(int drive, const std::string& root) {
    std::lock_guard<std::mutex> lock(driveMutex);
    RefreshDrives();
    return driveMap.roots[drive] == root;
}

// Reports each drive without a mapping once per emulated system.
void NoteUnmapped(int drive) {
    {
        std::lock_guard<std::mutex> lock(driveMutex);
        if (driveMap.noted & (1u << drive)) return;
        driveMap.noted |= 1u << drive;
    }
    std::string name(1, static_cast<char>('A' + drive));
    SystemNotices::Add({SystemNotice::Kind::UnmappedDrive, false, name + ":", {}});
}

int DriveIndex(char letter) {
    if (letter >= 'a' && letter <= 'z') return letter - 'a';
    if (letter >= 'A' && letter <= 'Z') return letter - 'A';
    return -1;
}

std::vector<std::string> NativeNames(std::string_view path) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        if (slash > start) names.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

// Resolves "." and ".." lexically, never above the root, as GetFullPathName does.
std::vector<std::string> Normalize(std::vector<std::string> names) {
    size_t kept = 0;
    for (std::string& name : names) {
        if (name == ".") continue;
        if (name == "..") {
            if (kept > 0) --kept;
            continue;
        }
        if (&names[kept] != &name) names[kept] = std::move(name);
        ++kept;
    }
    names.resize(kept);
    return names;
}

// A name in UTF-8; ASCII names are the same in both forms and are not converted.
std::string Utf8Name(std::string_view name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) return Cp932::ToUtf8(name);
    }
    return std::string(name);
}

std::string JoinNative(const std::string& root, const std::string& name) {
    if (!root.empty() && root.back() == '/') return root + name;
    return root + "/" + name;
}

// `lookExactFirst`: whether a status call on the exact path comes before the folder's names are
// asked; for a file about to be made the answer is almost always "missing", so asking the names
// at once saves that call and gives the same path.
std::string BuildNative(const std::string& root, const std::vector<std::string>& names,
                        bool lookExactFirst) {
    std::string exact = root;
    std::vector<std::string> utf8Names;
    std::vector<size_t> prefixLengths;  // of exact after each name
    utf8Names.reserve(names.size());
    prefixLengths.reserve(names.size());
    for (const std::string& name : names) {
        utf8Names.push_back(Utf8Name(name));
        exact = JoinNative(exact, utf8Names.back());
        prefixLengths.push_back(exact.size());
    }
    if (names.empty() || (lookExactFirst && PathExists(exact))) return exact;
    const auto folderOf = [&](size_t count) {
        return count > 0 ? exact.substr(0, prefixLengths[count - 1]) : root;
    };
    // Windows names are not case-sensitive; like Wine, look for a name of another case when the
    // exact one is missing. The search starts in the deepest folder that exists, usually the
    // parent, so that only the last name is looked for.
    size_t kept = names.size() - 1;
    std::string found;
    while (!FolderNameCache::Find(folderOf(kept), utf8Names[kept], found) && kept > 0) --kept;
    std::string native = JoinNative(folderOf(kept), found);
    for (size_t i = kept + 1; i < utf8Names.size(); ++i) {
        std::string next = JoinNative(native, utf8Names[i]);
        if (!PathExists(next)) {
            FolderNameCache::Find(native, utf8Names[i], found);
            next = JoinNative(native, found);
        }
        native = std::move(next);
    }
    return native;
}

std::string NativeCurrentFolder() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return "/";
    return buffer;
}

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && DriveIndex(path[0]) >= 0;
}

}  // namespace

std::string PathMap::ToNative(std::string_view internal) {
    return Resolve(internal, true);
}

std::string PathMap::ToNewNative(std::string_view internal) {
    // The folder part of the last path resolved on this thread, kept with its native form: a
    // tree writes many files into each folder, and only the last name differs between them.
    thread_local std::string memoRoot;
    thread_local std::string memoFolder;  // internal, up to and with the last separator
    thread_local std::string memoNative;  // its native form before any letter-case lookup
    if (!HasDrive(internal)) return Resolve(internal, false);
    size_t cut = 0;
    for (size_t i = 2; i < internal.size(); i += Cp932::CharLength(internal, i)) {
        if (SjisText::IsSeparator(internal[i])) cut = i + 1;
    }
    const std::string_view last = internal.substr(cut);
    if (cut == 0 || last.empty() || last == "." || last == "..") return Resolve(internal, false);
    const int drive = DriveIndex(internal[0]);
    const std::string_view folder = internal.substr(0, cut);
    if (memoFolder != folder || memoRoot.empty() || !HasRoot(drive, memoRoot)) {
        const std::string root = DriveRoot(drive);
        if (root.empty()) return Resolve(internal, false);
        std::string native = root;
        for (const std::string& name : Normalize(SjisText::SplitNames(folder.substr(2))))
            native = JoinNative(native, Utf8Name(name));
        memoRoot = root;
        memoFolder = folder;
        memoNative = std::move(native);
    }
    // As the search in Resolve, which starts in the folder holding the last name.
    std::string found;
    if (FolderNameCache::Find(memoNative, Utf8Name(last), found))
        return JoinNative(memoNative, found);
    return Resolve(internal, false);
}

std::string PathMap::Resolve(std::string_view internal, bool lookExactFirst) {
    std::string absolute;
    if (HasDrive(internal)) {
        absolute = std::string(internal);
    } else if (internal.size() >= 2 && SjisText::IsSeparator(internal[0]) &&
               SjisText::IsSeparator(internal[1])) {
        return {};  // UNC paths name no drive of the emulated system
    } else if (!internal.empty() && SjisText::IsSeparator(internal[0])) {
        absolute = CurrentFolder().substr(0, 2) + std::string(internal);
    } else {
        absolute = CurrentFolder() + "\\" + std::string(internal);
    }
    // Without a current folder (it has no internal form) a path without drive names nothing.
    if (!HasDrive(absolute)) return {};
    const int drive = DriveIndex(absolute[0]);
    const std::string root = DriveRoot(drive);
    if (root.empty()) {
        NoteUnmapped(drive);
        return {};
    }
    return BuildNative(root, Normalize(SjisText::SplitNames(std::string_view(absolute).substr(2))),
                       lookExactFirst);
}

std::string PathMap::ToInternal(std::string_view native) {
    std::string absolute(native);
    if (absolute.empty() || absolute[0] != '/')
        absolute = JoinNative(NativeCurrentFolder(), absolute);
    std::vector<std::string> parts = Normalize(NativeNames(absolute));
    std::string canonical;
    for (const std::string& part : parts) canonical += "/" + part;
    if (canonical.empty()) canonical = "/";
    // Resolve links in the existing part, so that a path through a link into a drive maps to it.
    std::string resolved = RealPath(canonical);
    if (resolved.empty()) {
        size_t slash = canonical.rfind('/');
        std::string parent = RealPath(slash == 0 ? "/" : canonical.substr(0, slash));
        if (!parent.empty())
            resolved = JoinNative(parent, canonical.substr(slash + 1));
        else
            resolved = canonical;
    }

    const auto drives = Drives();
    int best = -1;
    size_t bestLength = 0;
    for (int letter = 0; letter < 26; ++letter) {
        const std::string& root = drives[letter];
        if (root.empty()) continue;
        bool inside = root == "/" || resolved == root ||
                      (resolved.compare(0, root.size(), root) == 0 && resolved[root.size()] == '/');
        if (inside && (best < 0 || root.size() > bestLength)) {
            best = letter;
            bestLength = root.size();
        }
    }
    std::string rest;
    if (best < 0) {
        best = 'z' - 'a';  // as Wine does, anything else is on Z:
        rest = resolved;
    } else {
        rest = drives[best] == "/" ? resolved : resolved.substr(bestLength);
    }
    std::string internal;
    internal += static_cast<char>('A' + best);
    internal += ':';
    for (const std::string& name : NativeNames(rest)) {
        const std::string converted = Cp932::FromUtf8(name);
        // A backslash in a name (or a character such as U+00A5 that becomes one) would split it
        // into other names: such a path has no internal form.
        const std::vector<std::string> split = SjisText::SplitNames(converted);
        if (split.size() != 1 || split[0] != converted) return {};
        internal += "\\" + converted;
    }
    if (internal.size() == 2) internal += '\\';
    return internal;
}

std::string PathMap::CurrentFolder() {
    return ToInternal(NativeCurrentFolder());
}

}  // namespace platform

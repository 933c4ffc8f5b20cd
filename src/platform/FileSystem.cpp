#include "platform/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/Cp932.h"
#include "platform/FaultSeam.h"
#include "platform/File.h"
#include "platform/FolderNameCache.h"
#include "platform/PathMap.h"
#include "platform/SjisText.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

using Op = FaultSeam::Operation;

// Resolves an internal path; an unmapped drive fails like a missing path.
bool Resolve(const std::string& path, std::string& native) {
    native = PathMap::ToNative(path);
    if (native.empty()) {
        SystemError::SetLast(ENOENT);
        return false;
    }
    return true;
}

bool Fail() {
    SystemError::SetLast(errno);
    return false;
}

// The simple upper-case form of one UTF-16 unit, as the NTFS up-case table gives it for the
// scripts file names use here; locale-free so that every machine lists folders alike.
char16_t UpperUnit(char16_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
        bool oddLower = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (oddLower) return (c & 1) ? c - 1 : c;
        return (c & 1) ? c : (c != 0x17F ? c - 1 : c);
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

bool NtfsLess(const std::u16string& a, const std::u16string& b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char16_t x = UpperUnit(a[i]);
        char16_t y = UpperUnit(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

// The name without its last extension, found by characters as _splitpath finds it.
std::string TitleOf(const std::string& name) {
    size_t dot = std::string::npos;
    for (size_t i = 0; i < name.size(); i += Cp932::CharLength(name, i)) {
        if (name[i] == '.') dot = i;
    }
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string JoinInternal(const std::string& folder, const std::string& name) {
    return SjisText::EndsWithSeparator(folder) ? folder + name : folder + '\\' + name;
}

}  // namespace

uint32_t FileSystem::GetAttributes(const std::string& path) {
    std::string native;
    if (!Resolve(path, native)) return kInvalidAttributes;
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) {
        Fail();
        return kInvalidAttributes;
    }
    return S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
}

bool FileSystem::Exists(const std::string& path) {
    return GetAttributes(path) != kInvalidAttributes;
}

bool FileSystem::IsFolder(const std::string& path) {
    uint32_t attributes = GetAttributes(path);
    return attributes != kInvalidAttributes && (attributes & kAttributeDirectory);
}

bool FileSystem::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::string native;
    if (!Resolve(folder, native)) return false;
    if (FaultSeam::ShouldFail(Op::Open, native)) return Fail();
    DIR* dir = opendir(native.c_str());
    if (!dir) return Fail();

    struct Named {
        std::u16string key;
        FolderEntry entry;
    };
    std::vector<Named> named;
    while (dirent* item = readdir(dir)) {
        const std::string utf8 = item->d_name;
        if (utf8 == "." || utf8 == "..") continue;
        std::string name = Cp932::FromUtf8(utf8);
        // A name that does not survive the trip to Shift-JIS and back cannot be reached
        // through an internal path, and a backslash would split it: skip both.
        if (Cp932::ToUtf8(name) != utf8) continue;
        bool hasBackslash = false;
        for (size_t i = 0; i < name.size(); i += Cp932::CharLength(name, i)) {
            if (name[i] == '\\') hasBackslash = true;
        }
        if (hasBackslash) continue;

        bool isFolder = item->d_type == DT_DIR;
        if (item->d_type != DT_DIR && item->d_type != DT_REG) {
            // A link or a file system that does not give the type: ask, following links.
            const std::string nativeEntry = native + (native.back() == '/' ? "" : "/") + utf8;
            struct stat info {};
            if (stat(nativeEntry.c_str(), &info) != 0) continue;  // a dangling link
            isFolder = S_ISDIR(info.st_mode);
        }
        Named entry;
        entry.entry.isFolder = isFolder;
        entry.entry.path = JoinInternal(folder, name);
        entry.entry.title = TitleOf(name);
        entry.entry.name = std::move(name);
        entry.key = Cp932::ToUtf16(entry.entry.name);
        named.push_back(std::move(entry));
    }
    closedir(dir);

    std::sort(named.begin(), named.end(),
              [](const Named& a, const Named& b) { return NtfsLess(a.key, b.key); });
    entries.reserve(named.size() + 2);
    for (const char* dots : {".", ".."}) {
        entries.push_back({JoinInternal(folder, dots), dots, TitleOf(dots), true});
    }
    for (Named& item : named) entries.push_back(std::move(item.entry));
    return true;
}

bool FileSystem::GetFolderIdentity(const std::string& folder, FolderIdentity& identity) {
    std::string native;
    if (!Resolve(folder, native)) return false;
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) return Fail();
    identity.device = static_cast<uint64_t>(info.st_dev);
    identity.inode = static_cast<uint64_t>(info.st_ino);
    return true;
}

FileSystem::CreateResult FileSystem::CreateFolder(const std::string& path) {
    std::string native;
    if (!Resolve(path, native)) return CreateResult::Failed;
    if (FaultSeam::ShouldFail(Op::CreateFolder, native)) {
        Fail();
        return CreateResult::Failed;
    }
    if (mkdir(native.c_str(), 0777) == 0) {
        FolderNameCache::NoteCreated(native);
        return CreateResult::Created;
    }
    Fail();
    return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
}

bool FileSystem::CopyFile(const std::string& source, const std::string& target) {
    File input;
    File output;
    if (!input.Open(source, File::Mode::Read, false)) return false;
    if (!output.Open(target, File::Mode::Write, false)) return false;
    // A copy cut off by a failed read or write would pass for the whole file: it is removed,
    // keeping the error of the failed call.
    auto removeTarget = [&] {
        const int error = SystemError::Last();
        output.Close();
        DeleteFile(target);
        SystemError::SetLast(error);
        return false;
    };
    std::vector<char> buffer(65536);
    for (;;) {
        const size_t got = input.Read(buffer.data(), buffer.size());
        if (got > 0 && !output.Write(std::string_view(buffer.data(), got))) return removeTarget();
        if (got < buffer.size()) break;
    }
    if (input.Failed()) return removeTarget();
    if (!output.Close()) return removeTarget();
    FolderNameCache::NoteCreated(output.NativePath());
    return true;
}

bool FileSystem::MoveFile(const std::string& source, const std::string& target) {
    std::string from;
    std::string to;
    if (!Resolve(source, from) || !Resolve(target, to)) return false;
    if (FaultSeam::ShouldFail(Op::Rename, from)) return Fail();
    struct stat info {};
    if (lstat(from.c_str(), &info) != 0) return Fail();
    // MoveFile never replaces an existing target.
    if (lstat(to.c_str(), &info) == 0) {
        SystemError::SetLast(EEXIST);
        return false;
    }
    if (rename(from.c_str(), to.c_str()) != 0) return Fail();
    FolderNameCache::NoteRemoved(from);
    FolderNameCache::NoteCreated(to);
    return true;
}

bool FileSystem::ReplaceFile(const std::string& source, const std::string& target) {
    std::string from;
    std::string to;
    if (!Resolve(source, from) || !Resolve(target, to)) return false;
    if (FaultSeam::ShouldFail(Op::Rename, from)) return Fail();
    // Through a link, the file it names is replaced, not the link itself.
    if (char* real = realpath(to.c_str(), nullptr)) {
        to = real;
        free(real);
    }
    if (rename(from.c_str(), to.c_str()) != 0) return Fail();
    FolderNameCache::NoteRemoved(from);
    FolderNameCache::NoteCreated(to);
    return true;
}

bool FileSystem::DeleteFile(const std::string& path) {
    std::string native;
    if (!Resolve(path, native)) return false;
    if (FaultSeam::ShouldFail(Op::Delete, native)) return Fail();
    if (unlink(native.c_str()) != 0) return Fail();
    FolderNameCache::NoteRemoved(native);
    return true;
}

bool FileSystem::GetModificationTime(const std::string& path, int64_t& seconds) {
    std::string native;
    if (!Resolve(path, native)) return false;
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) return Fail();
    seconds = static_cast<int64_t>(info.st_mtime);
    return true;
}

bool FileSystem::GetSize(const std::string& path, uint64_t& size) {
    std::string native;
    if (!Resolve(path, native)) return false;
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) return Fail();
    size = static_cast<uint64_t>(info.st_size);
    return true;
}

}  // namespace platform

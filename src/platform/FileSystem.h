#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One entry of a folder listing, as FindFirstFile/FindNextFile report it.
struct FolderEntry {
    std::string path;   // full internal path: the folder, a backslash, the name
    std::string name;   // file name with its extension
    std::string title;  // file name without its last extension ("a.b.url" -> "a.b", "a.b" -> "a")
    bool isFolder = false;
};

// Identity of a folder on disk, for loop detection.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// File-system operations on internal paths. Failures store the errno of the failed call in
// SystemError::Last().
class FileSystem {
public:
    static constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;
    static constexpr uint32_t kAttributeReadOnly = 0x01;
    static constexpr uint32_t kAttributeHidden = 0x02;
    static constexpr uint32_t kAttributeDirectory = 0x10;
    static constexpr uint32_t kAttributeArchive = 0x20;
    static constexpr uint32_t kAttributeNormal = 0x80;

    // GetFileAttributes: kInvalidAttributes when the path does not exist.
    static uint32_t GetAttributes(const std::string& path);
    static bool Exists(const std::string& path);
    static bool IsFolder(const std::string& path);

    // Every entry of a folder, "." and ".." first as NTFS lists them, then the names in NTFS
    // order (compared by the simple upper-case form of each UTF-16 unit, locale-free). False when
    // the folder cannot be read; entries whose names cannot be represented are skipped.
    static bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

    static bool GetFolderIdentity(const std::string& folder, FolderIdentity& identity);

    enum class CreateResult { Created, AlreadyExists, Failed };
    // Creates one folder (its parent must exist). An existing folder or file is AlreadyExists,
    // with SystemError::Last() set to EEXIST, as CreateDirectory fails on it.
    static CreateResult CreateFolder(const std::string& path);

    // CopyFile with overwriting (a copy that fails part-way leaves no target behind); MoveFile
    // (fails when the target exists); DeleteFile.
    static bool CopyFile(const std::string& source, const std::string& target);
    static bool MoveFile(const std::string& source, const std::string& target);
    static bool DeleteFile(const std::string& path);
    // MoveFileEx with MOVEFILE_REPLACE_EXISTING: the source takes the target's place in one
    // step. A target that is a symbolic link keeps the link; the file it points to is replaced.
    static bool ReplaceFile(const std::string& source, const std::string& target);

    // Last modification time in seconds since 1970 UTC.
    static bool GetModificationTime(const std::string& path, int64_t& seconds);
    // Size in bytes.
    static bool GetSize(const std::string& path, uint64_t& size);
};

}  // namespace platform

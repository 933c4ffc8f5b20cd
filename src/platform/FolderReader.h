#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Reads the small regular files of one folder by name. The folder is opened once and each file
// is opened relative to it, so that reading a file costs its open, one status call, one read
// and its close, however deep the folder lies. Only regular files are read: a folder, a named
// pipe or a device in the folder is refused without blocking. Failures store the errno in
// SystemError::Last().
class FolderReader {
public:
    FolderReader() = default;
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // Opens the folder at the internal path (closing the one open before); false when it
    // cannot be opened.
    bool Open(const std::string& folder);
    bool IsOpen() const { return descriptor_ >= 0; }

    // Reads the whole regular file `name` of the folder (a file name in code page 932, as the
    // folder listing gives it) into `content`; false when it cannot be opened or read, is not
    // a regular file, or is larger than `limit` bytes.
    bool ReadSmall(const std::string& name, size_t limit, std::string& content);

private:
    void Close();

    int descriptor_ = -1;
    std::string nativeFolder_;
};

}  // namespace platform

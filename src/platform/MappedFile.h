#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class File;

// A memory mapping of an open file (CreateFileMapping, MapViewOfFile, FlushViewOfFile,
// UnmapViewOfFile). The view is a copy of the file's bytes read into memory when it is mapped,
// not a system mapping: another process that shortens or rewrites the file meanwhile cannot
// make a later access fault (with mmap it would raise SIGBUS). A file that shrinks while its
// view is being read fails the MapView with EIO. A writable view goes back to the file on Flush
// and when it is unmapped. A mapping name is accepted and kept but has no effect. The mapping
// keeps its own handle of the file, so the File may be closed once it is created. One view at a
// time. Failures store the errno in SystemError::Last().
class MappedFile {
public:
    enum class Access { Read, ReadWrite };

    MappedFile();
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;

    // A mapping of `size` bytes of the file (0 = its current length). A read-write mapping
    // larger than the file grows the file to that size; a read-only one cannot be larger than
    // the file, and an empty file cannot be mapped whole, as on Windows. ReadWrite needs a file
    // open for reading and writing. Anything created before is closed first.
    bool Create(const File& file, Access access, uint64_t size, std::string_view name);
    bool IsCreated() const { return handle_ >= 0; }
    uint64_t Size() const { return size_; }
    const std::string& Name() const { return name_; }

    // Maps `length` bytes from `offset` (length 0 = to the end of the mapping); the view's
    // address, or null on failure or while another view is mapped.
    uint8_t* MapView(uint64_t offset = 0, size_t length = 0);
    uint8_t* View() const { return view_; }
    size_t ViewSize() const { return viewSize_; }

    // Writes `length` bytes of the view from `address` to the file (null address = the view's
    // start, length 0 = to the view's end). False when the range is outside the view.
    bool Flush(const void* address = nullptr, size_t length = 0);
    // Unmaps the view; false when there is none.
    bool UnmapView();
    // Unmaps the view and closes the mapping.
    void Close();

private:
    // Reads the view's bytes from the file; writes `length` of them from `from` back to it.
    bool ReadView();
    bool WriteBack(size_t from, size_t length);

    int handle_ = -1;
    std::string nativePath_;
    Access access_ = Access::Read;
    uint64_t size_ = 0;
    std::string name_;
    std::unique_ptr<uint8_t[]> bytes_;
    uint64_t viewOffset_ = 0;
    uint8_t* view_ = nullptr;
    size_t viewSize_ = 0;
};

}  // namespace platform

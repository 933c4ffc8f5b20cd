#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/File.h"
#include "platform/MappedFile.h"

// Memory-mapped access to one file: opens it, maps it whole on first use (or on Attach), and
// offers pointer access, positioned and appending writes below the mapped size, and a line
// reader over the mapped bytes. Sizes and positions are 32-bit: a file of 2 GiB or more is
// refused at Open. Every failed system call is logged with its system message; the operation
// returns 0 (or null) and leaves the object as it was.
class KrvMapFile {
public:
    // Open flags, with the values of the framework's file classes. Only the access bits and
    // kModeCreate / kModeNoTruncate change anything; the file is always read as bytes.
    enum OpenFlags : uint32_t {
        kModeRead = 0x0000,
        kModeWrite = 0x0001,
        kModeReadWrite = 0x0002,
        kModeCreate = 0x1000,
        kModeNoTruncate = 0x2000,
        kTypeText = 0x4000,
        kTypeBinary = 0x8000,
    };
    // Page protection of the mapping and access of its view.
    static constexpr uint32_t kPageReadOnly = 2;
    static constexpr uint32_t kPageReadWrite = 4;
    static constexpr uint32_t kViewRead = 4;
    static constexpr uint32_t kViewAllAccess = 0xF001F;

    // Where ReadLine ends a line: at CR LF only, or at LF with one CR before it removed.
    enum class LineEnd { CrLf, Lf };

    KrvMapFile() = default;
    ~KrvMapFile();
    KrvMapFile(const KrvMapFile&) = delete;
    KrvMapFile& operator=(const KrvMapFile&) = delete;

    // Closes anything open and opens the path; 1, or 0 with a warning when the file cannot be
    // opened or is 2 GiB or larger. Does not map the file.
    int Open(const std::string& path, uint32_t openFlags);
    // Maps `size` bytes of the open file (0 = all of it) under `name` and maps the view; 1 at
    // once when a mapping exists. A read-write mapping larger than the file grows the file. An
    // empty file cannot be mapped whole.
    int Attach(const std::string& name, uint32_t size);
    // Maps the whole mapping unless a view exists; the view or null.
    uint8_t* GetPointerOfMapView();
    // Flushes `length` bytes of the view from `address` to the file and ends the file at
    // `length` bytes; 1 or 0.
    int SetPointerOfMapView(const void* address, uint32_t length);
    // Unmaps the view, if any; 0 when unmapping failed.
    int Close();
    // Close, then closes the mapping; 0 when there was no mapping.
    int Detach();
    // Detach, closes the file, zeroes everything.
    void Reset();

    // The open file's current length (0 without a file).
    uint32_t GetFileLength() const;
    uint32_t GetMapSize() const { return mapSize_; }
    uint32_t GetDataEnd() const { return dataEnd_; }

    // Attach with the file's full path and current length, unless mapped; whether a view is
    // there. Every accessor below calls it first.
    bool EnsureMapped();
    // -1 gives the view's base, an offset below the mapped size that byte; else null.
    uint8_t* GetPointer(int64_t offset);
    // Copies `length` bytes to `offset`; 0 unless the write ends below the mapped size and the
    // mapping is writable. Raises the data end.
    int WriteAt(const void* bytes, uint32_t offset, uint32_t length);
    // Copies `length` bytes at the data end and advances it; 0 unless they end below the mapped
    // size and the mapping is writable.
    int Append(const void* bytes, uint32_t length);
    // Moves the read position: origin 0 to `offset`, 1 by `offset`, 2 to the file length minus
    // `offset`; kept within 0 and the largest 32-bit position. 1, or 0 when not mapped.
    int Seek(int origin, int32_t offset);
    int32_t GetReadPosition() const { return readPos_; }
    // The next line without its line end; 0 at the end of the data or when not mapped.
    int ReadLine(std::string& text, LineEnd lineEnd = LineEnd::CrLf);
    // ReadLine without the copy: the line as a view of the mapped bytes, valid until the view is
    // unmapped.
    int ReadLineView(std::string_view& text, LineEnd lineEnd = LineEnd::CrLf);

    // The mapping name of a path: every backslash and colon replaced by an underscore.
    static std::string MappingName(const std::string& path);

    // The process-wide failure flag, clear at start, set by a store that cannot grow; readers
    // of mapped files stop while it is set.
    static bool GetFailureFlag();
    static void SetFailureFlag(bool failed);

private:
    // The number of mapped bytes the line reader and the writers may touch.
    uint32_t ViewEnd() const;

    std::unique_ptr<platform::File> file_;
    uint32_t protection_ = 0;
    uint32_t viewAccess_ = 0;
    std::unique_ptr<platform::MappedFile> mapping_;
    uint8_t* view_ = nullptr;
    uint32_t mapSize_ = 0;
    uint32_t dataEnd_ = 0;
    int32_t readPos_ = 0;
    std::string path_;
};

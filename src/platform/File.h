#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace platform {

// An open file on an internal path. Text mode behaves as on Windows: writing turns each line
// feed into CR LF; ReadLine removes the line end (LF or CR LF). Binary mode passes bytes through.
// Failures store the errno of the failed call in SystemError::Last().
class File {
public:
    enum class Mode {
        Read,       // existing file, from the start
        Write,      // create or truncate
        Append,     // create or append at the end
        ReadWrite,  // existing file, read and write
        CreateNew,  // a new file only: fails with EEXIST when the path names anything already
    };

    File();
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    bool Open(const std::string& path, Mode mode, bool text);
    // Opens a new file for writing (Mode::CreateNew): AlreadyExists when the path names a file,
    // a folder or a link already (in any letter case), as CreateFile with CREATE_NEW fails.
    FileSystem::CreateResult CreateNew(const std::string& path, bool text);
    bool IsOpen() const;
    // Closes the file; false when the final flush or close fails.
    bool Close();

    // Reads one line without its line end; false at the end of the file (a last line without a
    // line end is still returned). Lines longer than `limit` bytes are returned whole; `limit`
    // only guards against unbounded growth on binary data (0 = no limit): the rest of such a
    // line is read and dropped.
    bool ReadLine(std::string& line, size_t limit = 0);
    // Reads up to `size` bytes; the count read (short at the end of the file or on an error).
    size_t Read(void* buffer, size_t size);
    // Whether a read failed (as opposed to reaching the end of the file).
    bool Failed() const;
    // Reads the rest of the file.
    bool ReadAll(std::string& content);

    bool Write(std::string_view bytes);
    bool Flush();
    bool Seek(int64_t offset);
    int64_t Tell();
    bool Size(uint64_t& size);
    // Ends the file at `length` bytes (shortening or zero-extending it) and moves the position
    // there (SetEndOfFile after a seek).
    bool SetLength(uint64_t length);

    // The native descriptor, for the memory mapping of the platform layer only.
    int NativeHandle() const;
    // The native path it was opened with, for the fault seam of the mapping.
    const std::string& NativePath() const { return nativePath_; }

    // Reads or writes a whole file in one call.
    static bool ReadWhole(const std::string& path, std::string& content);
    static bool WriteWhole(const std::string& path, std::string_view content, bool text);

private:
    bool OpenNew();

    static constexpr size_t kBufferSize = 4096;
    std::FILE* stream_ = nullptr;
    // The buffer of a stream opened by OpenNew; it outlives the stream.
    std::unique_ptr<char[]> buffer_;
    std::string nativePath_;
    bool text_ = false;
    bool writing_ = false;
};

}  // namespace platform

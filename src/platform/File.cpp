#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/Clock.h"
#include "platform/FaultSeam.h"
#include "platform/FolderNameCache.h"
#include "platform/PathMap.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

using Op = FaultSeam::Operation;

const char* ModeText(File::Mode mode) {
    switch (mode) {
        case File::Mode::Read:
            return "rb";
        case File::Mode::Write:
            return "wb";
        case File::Mode::Append:
            return "ab";
        case File::Mode::ReadWrite:
            return "r+b";
        case File::Mode::CreateNew:
            return "wb";
    }
    return "rb";
}

int OpenFlags(File::Mode mode) {
    switch (mode) {
        case File::Mode::Read:
            return O_RDONLY;
        case File::Mode::Write:
            return O_WRONLY | O_CREAT | O_TRUNC;
        case File::Mode::Append:
            return O_WRONLY | O_CREAT | O_APPEND;
        case File::Mode::ReadWrite:
            return O_RDWR;
        case File::Mode::CreateNew:
            return O_WRONLY | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

// Opens only regular files, as Windows has nothing else to open in a folder: a folder, a named
// pipe or a device is refused. Opening does not block, so a pipe without a writer cannot hang.
int OpenRegularFile(const std::string& nativePath, File::Mode mode) {
    const int descriptor = open(nativePath.c_str(), OpenFlags(mode) | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0) return -1;
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
        close(descriptor);
        errno = error;
        return -1;
    }
    // Back to blocking; of the status flags only O_APPEND stays. A regular file read never
    // blocks, so a file opened for reading keeps the flag and saves the call.
    if (mode != File::Mode::Read)
        fcntl(descriptor, F_SETFL, mode == File::Mode::Append ? O_APPEND : 0);
    return descriptor;
}

bool Fail() {
    SystemError::SetLast(errno);
    return false;
}

}  // namespace

File::File() = default;

File::~File() {
    if (stream_) std::fclose(stream_);
}

File::File(File&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      buffer_(std::move(other.buffer_)),
      nativePath_(std::move(other.nativePath_)),
      text_(other.text_),
      writing_(other.writing_) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (stream_) std::fclose(stream_);
        stream_ = std::exchange(other.stream_, nullptr);
        buffer_ = std::move(other.buffer_);
        nativePath_ = std::move(other.nativePath_);
        text_ = other.text_;
        writing_ = other.writing_;
    }
    return *this;
}

bool File::Open(const std::string& path, Mode mode, bool text) {
    Close();
    nativePath_ = PathMap::ToNative(path);
    text_ = text;
    writing_ = mode != Mode::Read;
    if (nativePath_.empty()) {
        SystemError::SetLast(ENOENT);
        return false;
    }
    if (FaultSeam::ShouldFail(Op::Open, nativePath_)) return Fail();
    if (mode == Mode::CreateNew) return OpenNew();
    const int descriptor = OpenRegularFile(nativePath_, mode);
    if (descriptor < 0) return Fail();
    stream_ = fdopen(descriptor, ModeText(mode));
    if (!stream_) {
        const int error = errno;
        close(descriptor);
        SystemError::SetLast(error);
        return false;
    }
    // A stream given its buffer does not ask the file's status for a buffer size on its first
    // read.
    if (mode == Mode::Read) {
        if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
        setvbuf(stream_, buffer_.get(), _IOFBF, kBufferSize);
    }
    return true;
}

// An exclusive creation only ever opens the regular file it has just made. fopen's "x" creates
// it in the same open call, and a stream given its buffer needs no status calls (fdopen's and
// the first write's), which count when a tree of many small files is written.
bool File::OpenNew() {
    stream_ = std::fopen(nativePath_.c_str(), "wbxe");
    if (!stream_) return Fail();
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    setvbuf(stream_, buffer_.get(), _IOFBF, kBufferSize);
    return true;
}

// As Open with Mode::CreateNew, resolving the path as one about to be made.
FileSystem::CreateResult File::CreateNew(const std::string& path, bool text) {
    Close();
    nativePath_ = PathMap::ToNewNative(path);
    text_ = text;
    writing_ = true;
    bool opened = false;
    if (nativePath_.empty()) {
        SystemError::SetLast(ENOENT);
    } else if (FaultSeam::ShouldFail(Op::Open, nativePath_)) {
        Fail();
    } else {
        opened = OpenNew();
    }
    if (opened) {
        FolderNameCache::NoteCreated(nativePath_);
        return FileSystem::CreateResult::Created;
    }
    return SystemError::Last() == EEXIST ? FileSystem::CreateResult::AlreadyExists
                                         : FileSystem::CreateResult::Failed;
}

bool File::IsOpen() const {
    return stream_ != nullptr;
}

bool File::Close() {
    if (!stream_) return true;
    std::FILE* stream = std::exchange(stream_, nullptr);
    if (writing_ && Clock::IsPinned()) {
        // Under a pinned clock a written file is dated "now", as under a faked system clock.
        std::fflush(stream);
        timespec times[2];
        times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(Clock::Now());
        times[0].tv_nsec = times[1].tv_nsec = 0;
        futimens(fileno(stream), times);
    }
    if (FaultSeam::ShouldFail(Op::Close, nativePath_)) {
        int error = errno;
        std::fclose(stream);
        SystemError::SetLast(error);
        return false;
    }
    if (std::fclose(stream) != 0) return Fail();
    return true;
}

bool File::ReadLine(std::string& line, size_t limit) {
    line.clear();
    if (!stream_) return false;
    bool any = false;
    int c;
    while ((c = getc_unlocked(stream_)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (limit == 0 || line.size() < limit) line.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r' && c == '\n') line.pop_back();
    return true;
}

size_t File::Read(void* buffer, size_t size) {
    if (!stream_) return 0;
    size_t got = std::fread(buffer, 1, size, stream_);
    if (got < size && std::ferror(stream_)) Fail();
    return got;
}

bool File::Failed() const {
    return stream_ && std::ferror(stream_);
}

bool File::ReadAll(std::string& content) {
    content.clear();
    if (!stream_) return false;
    char buffer[65536];
    for (;;) {
        size_t got = std::fread(buffer, 1, sizeof buffer, stream_);
        content.append(buffer, got);
        if (got < sizeof buffer) break;
    }
    return std::ferror(stream_) ? Fail() : true;
}

bool File::Write(std::string_view bytes) {
    if (!stream_) {
        SystemError::SetLast(EBADF);
        return false;
    }
    if (FaultSeam::ShouldFail(Op::Write, nativePath_)) return Fail();
    if (!text_) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) return Fail();
        return true;
    }
    // Text mode: every line feed is stored as CR LF, as the Windows runtime does. Short texts
    // (a shortcut, a line) are converted first and go to the stream in one call.
    if (bytes.size() <= kBufferSize) {
        thread_local std::string converted;
        converted.clear();
        for (size_t start = 0; start < bytes.size();) {
            const size_t feed = bytes.find('\n', start);
            const size_t end = feed == std::string_view::npos ? bytes.size() : feed;
            converted.append(bytes.data() + start, end - start);
            if (feed == std::string_view::npos) break;
            converted.append("\r\n", 2);
            start = feed + 1;
        }
        if (std::fwrite(converted.data(), 1, converted.size(), stream_) != converted.size())
            return Fail();
        return true;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        size_t feed = bytes.find('\n', start);
        size_t end = feed == std::string_view::npos ? bytes.size() : feed;
        if (end > start &&
            std::fwrite(bytes.data() + start, 1, end - start, stream_) != end - start)
            return Fail();
        if (feed == std::string_view::npos) break;
        if (std::fwrite("\r\n", 1, 2, stream_) != 2) return Fail();
        start = feed + 1;
    }
    return true;
}

bool File::Flush() {
    if (!stream_) return false;
    if (std::fflush(stream_) != 0) return Fail();
    return true;
}

bool File::Seek(int64_t offset) {
    if (!stream_) return false;
    if (fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) != 0) return Fail();
    return true;
}

int64_t File::Tell() {
    if (!stream_) return -1;
    return static_cast<int64_t>(ftello(stream_));
}

bool File::Size(uint64_t& size) {
    if (!stream_) return false;
    std::fflush(stream_);
    off_t current = ftello(stream_);
    if (fseeko(stream_, 0, SEEK_END) != 0) return Fail();
    off_t end = ftello(stream_);
    fseeko(stream_, current, SEEK_SET);
    if (end < 0) return Fail();
    size = static_cast<uint64_t>(end);
    return true;
}

bool File::SetLength(uint64_t length) {
    if (!stream_) {
        SystemError::SetLast(EBADF);
        return false;
    }
    if (std::fflush(stream_) != 0) return Fail();
    if (ftruncate(fileno(stream_), static_cast<off_t>(length)) != 0) return Fail();
    return Seek(static_cast<int64_t>(length));
}

int File::NativeHandle() const {
    return stream_ ? fileno(stream_) : -1;
}

bool File::ReadWhole(const std::string& path, std::string& content) {
    File file;
    if (!file.Open(path, Mode::Read, false)) return false;
    return file.ReadAll(content) && file.Close();
}

bool File::WriteWhole(const std::string& path, std::string_view content, bool text) {
    File file;
    if (!file.Open(path, Mode::Write, text)) return false;
    bool written = file.Write(content);
    bool closed = file.Close();
    return written && closed;
}

}  // namespace platform

#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

#include "platform/FaultSeam.h"
#include "platform/File.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

// The view is read and written in pieces of this size, so that a file changing meanwhile is
// seen between them and one system call never moves more than the kernel handles at once.
constexpr size_t kChunk = 4 * 1024 * 1024;

bool Fail(int error) {
    SystemError::SetLast(error);
    return false;
}

}  // namespace

MappedFile::MappedFile() = default;

MappedFile::~MappedFile() {
    Close();
}

MappedFile::MappedFile(MappedFile&& other) noexcept {
    *this = std::move(other);
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, -1);
        nativePath_ = std::move(other.nativePath_);
        access_ = other.access_;
        size_ = std::exchange(other.size_, 0);
        name_ = std::move(other.name_);
        bytes_ = std::move(other.bytes_);
        viewOffset_ = std::exchange(other.viewOffset_, 0);
        view_ = std::exchange(other.view_, nullptr);
        viewSize_ = std::exchange(other.viewSize_, 0);
    }
    return *this;
}

bool MappedFile::Create(const File& file, Access access, uint64_t size, std::string_view name) {
    Close();
    const int fd = file.NativeHandle();
    if (fd < 0) return Fail(EBADF);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0) return Fail(errno);
    if (access == Access::ReadWrite && (flags & O_ACCMODE) != O_RDWR) return Fail(EACCES);
    struct stat info {};
    if (fstat(fd, &info) != 0) return Fail(errno);
    const uint64_t length = static_cast<uint64_t>(info.st_size);
    if (size == 0) size = length;
    if (size == 0) return Fail(EINVAL);
    if (size > length) {
        if (access == Access::Read) return Fail(EINVAL);
        if (ftruncate(fd, static_cast<off_t>(size)) != 0) return Fail(errno);
    }
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return Fail(errno);
    handle_ = copy;
    nativePath_ = file.NativePath();
    access_ = access;
    size_ = size;
    name_ = name;
    return true;
}

uint8_t* MappedFile::MapView(uint64_t offset, size_t length) {
    if (handle_ < 0) {
        Fail(EBADF);
        return nullptr;
    }
    if (view_ || offset >= size_ || length > size_ - offset) {
        Fail(view_ ? EBUSY : EINVAL);
        return nullptr;
    }
    if (length == 0) length = static_cast<size_t>(size_ - offset);
    try {
        bytes_ = std::make_unique_for_overwrite<uint8_t[]>(length);
    } catch (const std::bad_alloc&) {
        Fail(ENOMEM);
        return nullptr;
    }
    viewOffset_ = offset;
    view_ = bytes_.get();
    viewSize_ = length;
    if (!ReadView()) {
        const int error = SystemError::Last();
        bytes_.reset();
        view_ = nullptr;
        viewSize_ = 0;
        Fail(error);
        return nullptr;
    }
    return view_;
}

bool MappedFile::ReadView() {
    for (size_t done = 0; done < viewSize_;) {
        if (FaultSeam::ShouldFail(FaultSeam::Operation::Read, nativePath_)) return Fail(errno);
        const size_t want = std::min(kChunk, viewSize_ - done);
        const ssize_t got =
            pread(handle_, view_ + done, want, static_cast<off_t>(viewOffset_ + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail(errno);
        // The file ended before the view did: it was shortened since the mapping was made.
        if (got == 0) return Fail(EIO);
        done += static_cast<size_t>(got);
    }
    return true;
}

bool MappedFile::WriteBack(size_t from, size_t length) {
    if (access_ != Access::ReadWrite) return true;
    for (size_t done = 0; done < length;) {
        const size_t want = std::min(kChunk, length - done);
        const ssize_t put = pwrite(handle_, view_ + from + done, want,
                                   static_cast<off_t>(viewOffset_ + from + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return Fail(put < 0 ? errno : EIO);
        done += static_cast<size_t>(put);
    }
    return true;
}

bool MappedFile::Flush(const void* address, size_t length) {
    if (!view_) return Fail(EINVAL);
    const uint8_t* start = address ? static_cast<const uint8_t*>(address) : view_;
    const uint8_t* viewEnd = view_ + viewSize_;
    if (start < view_ || start > viewEnd) return Fail(EINVAL);
    if (length == 0) length = static_cast<size_t>(viewEnd - start);
    if (length > static_cast<size_t>(viewEnd - start)) return Fail(EINVAL);
    if (length == 0) return true;
    if (!WriteBack(static_cast<size_t>(start - view_), length)) return false;
    if (access_ == Access::ReadWrite && fdatasync(handle_) != 0) return Fail(errno);
    return true;
}

bool MappedFile::UnmapView() {
    if (!view_) return Fail(EINVAL);
    // Like the pages of a shared mapping, the view's bytes reach the file when it goes.
    const bool written = WriteBack(0, viewSize_);
    bytes_.reset();
    viewOffset_ = 0;
    view_ = nullptr;
    viewSize_ = 0;
    return written;
}

void MappedFile::Close() {
    if (view_) UnmapView();
    if (handle_ >= 0) close(handle_);
    handle_ = -1;
    nativePath_.clear();
    size_ = 0;
    name_.clear();
}

}  // namespace platform

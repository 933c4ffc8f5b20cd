#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/File.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

bool Fail(int error) {
    SystemError::SetLast(error);
    return false;
}

uint64_t PageSize() {
    static const uint64_t size = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    return size;
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
        access_ = other.access_;
        size_ = std::exchange(other.size_, 0);
        name_ = std::move(other.name_);
        base_ = std::exchange(other.base_, nullptr);
        mappedLength_ = std::exchange(other.mappedLength_, 0);
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
    const uint64_t skip = offset % PageSize();
    const int protection = access_ == Access::ReadWrite ? PROT_READ | PROT_WRITE : PROT_READ;
    void* base = mmap(nullptr, length + skip, protection, MAP_SHARED, handle_,
                      static_cast<off_t>(offset - skip));
    if (base == MAP_FAILED) {
        Fail(errno);
        return nullptr;
    }
    base_ = base;
    mappedLength_ = length + skip;
    view_ = static_cast<uint8_t*>(base) + skip;
    viewSize_ = length;
    return view_;
}

bool MappedFile::Flush(const void* address, size_t length) {
    if (!view_) return Fail(EINVAL);
    const uint8_t* start = address ? static_cast<const uint8_t*>(address) : view_;
    const uint8_t* viewEnd = view_ + viewSize_;
    if (start < view_ || start > viewEnd) return Fail(EINVAL);
    if (length == 0) length = static_cast<size_t>(viewEnd - start);
    if (length > static_cast<size_t>(viewEnd - start)) return Fail(EINVAL);
    if (length == 0) return true;
    // msync wants a page-aligned start: flush from the page that holds the first byte.
    const size_t skip = static_cast<size_t>(start - static_cast<const uint8_t*>(base_)) %
                        static_cast<size_t>(PageSize());
    uint8_t* aligned = const_cast<uint8_t*>(start) - skip;
    if (msync(aligned, length + skip, MS_SYNC) != 0) return Fail(errno);
    return true;
}

bool MappedFile::UnmapView() {
    if (!view_) return Fail(EINVAL);
    const int result = munmap(base_, mappedLength_);
    base_ = nullptr;
    mappedLength_ = 0;
    view_ = nullptr;
    viewSize_ = 0;
    return result == 0 || Fail(errno);
}

void MappedFile::Close() {
    if (view_) UnmapView();
    if (handle_ >= 0) close(handle_);
    handle_ = -1;
    size_ = 0;
    name_.clear();
}

}  // namespace platform

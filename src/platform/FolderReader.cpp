#include "platform/FolderReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Cp932.h"
#include "platform/FaultSeam.h"
#include "platform/PathMap.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

bool Fail(int error) {
    SystemError::SetLast(error);
    return false;
}

// Reads the file to its end, but no more than `limit` + 1 bytes. Asking for one byte more than
// the status gave lets a read that returns exactly that size end it without another call; a file
// read short of that size or grown past it is read on until its end.
bool ReadToEnd(int descriptor, size_t size, size_t limit, std::string& content) {
    content.resize(std::min(size, limit) + 1);
    size_t got = 0;
    for (;;) {
        const ssize_t step = read(descriptor, content.data() + got, content.size() - got);
        if (step < 0 && errno == EINTR) continue;
        if (step < 0) return Fail(errno);
        if (step == 0) break;
        got += static_cast<size_t>(step);
        if (got == size && got < content.size()) break;
        if (got == content.size()) {
            if (got > limit) break;
            content.resize(std::min(2 * got, limit + 1));
        }
    }
    content.resize(got);
    return true;
}

}  // namespace

FolderReader::~FolderReader() {
    Close();
}

void FolderReader::Close() {
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
    nativeFolder_.clear();
}

bool FolderReader::Open(const std::string& folder) {
    Close();
    std::string native = PathMap::ToNative(folder);
    if (native.empty()) return Fail(ENOENT);
    const int descriptor = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return Fail(errno);
    descriptor_ = descriptor;
    nativeFolder_ = std::move(native);
    if (nativeFolder_.back() != '/') nativeFolder_.push_back('/');
    return true;
}

bool FolderReader::ReadSmall(const std::string& name, size_t limit, std::string& content) {
    content.clear();
    if (descriptor_ < 0) return Fail(EBADF);
    const std::string utf8 = Cp932::ToUtf8(name);
    if (FaultSeam::ShouldFail(FaultSeam::Operation::Open, nativeFolder_ + utf8)) return Fail(errno);
    // Not blocking, so that a pipe without a writer cannot hang the open.
    const int descriptor = openat(descriptor_, utf8.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return Fail(errno);
    struct stat info {};
    bool read = false;
    if (fstat(descriptor, &info) != 0) {
        Fail(errno);
    } else if (!S_ISREG(info.st_mode)) {
        Fail(S_ISDIR(info.st_mode) ? EISDIR : EACCES);
    } else if (static_cast<uint64_t>(info.st_size) > limit) {
        Fail(EFBIG);
    } else {
        read = ReadToEnd(descriptor, static_cast<size_t>(info.st_size), limit, content);
        if (read && content.size() > limit) read = Fail(EFBIG);
    }
    close(descriptor);
    if (!read) content.clear();
    return read;
}

}  // namespace platform

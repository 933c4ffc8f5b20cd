#include "mapping/KrvMapFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>

#include "platform/Cp932.h"
#include "platform/SystemError.h"
#include "support/Log.h"

namespace {

// Positions and sizes are signed 32-bit: anything from 2 GiB on cannot be addressed.
constexpr uint64_t kSizeLimit = 0x80000000u;

bool ProcessFailed = false;

// Creates the file when asked, truncating it unless told not to, so that it can then be opened
// for reading and writing like an existing one.
bool PrepareFile(const std::string& path, uint32_t flags) {
    if ((flags & KrvMapFile::kModeCreate) == 0) return true;
    if ((flags & KrvMapFile::kModeNoTruncate) != 0) {
        platform::File existing;
        if (existing.Open(path, platform::File::Mode::ReadWrite, false)) return true;
    }
    platform::File created;
    return created.Open(path, platform::File::Mode::Write, false) && created.Close();
}

platform::File::Mode ModeOf(uint32_t flags) {
    return (flags & (KrvMapFile::kModeWrite | KrvMapFile::kModeReadWrite)) != 0
               ? platform::File::Mode::ReadWrite
               : platform::File::Mode::Read;
}

}  // namespace

KrvMapFile::~KrvMapFile() {
    Reset();
}

int KrvMapFile::Open(const std::string& path, uint32_t openFlags) {
    Reset();
    try {
        file_ = std::make_unique<platform::File>();
        uint64_t length = 0;
        if (!PrepareFile(path, openFlags) || !file_->Open(path, ModeOf(openFlags), false) ||
            !file_->Size(length) || length >= kSizeLimit) {
            LogMessage(LOG_W, "KrvMapFile::Open ファイルが存在しません。");
            file_.reset();
            return 0;
        }
    } catch (const std::exception& error) {
        LogMessage(LOG_E, "KrvMapFile::Open %s", error.what());
        Reset();
        return 0;
    }
    path_ = path;
    const bool readWrite = (openFlags & kModeReadWrite) != 0;
    protection_ = readWrite ? kPageReadWrite : kPageReadOnly;
    viewAccess_ = readWrite ? kViewAllAccess : kViewRead;
    return 1;
}

int KrvMapFile::Attach(const std::string& name, uint32_t size) {
    if (mapping_) return 1;
    if (!file_) {
        LogMessage(LOG_E, "KrvMapFile::Attach ファイルが存在しません。");
        return 0;
    }
    // Bytes still in the file's buffer belong in the mapping.
    file_->Flush();
    auto mapping = std::make_unique<platform::MappedFile>();
    const auto access = protection_ == kPageReadWrite ? platform::MappedFile::Access::ReadWrite
                                                      : platform::MappedFile::Access::Read;
    if (size >= kSizeLimit) {
        platform::SystemError::SetLast(EFBIG);
    } else if (mapping->Create(*file_, access, size, MappingName(name)) &&
               mapping->Size() >= kSizeLimit) {
        // The whole file has grown past what 32-bit positions reach since it was opened.
        mapping->Close();
        platform::SystemError::SetLast(EFBIG);
    }
    if (!mapping->IsCreated()) {
        LogSystemError("KrvMapFile::Attach *ERROR*: CreateFileMapping ");
        return 0;
    }
    mapping_ = std::move(mapping);
    mapSize_ = static_cast<uint32_t>(mapping_->Size());
    GetPointerOfMapView();
    return 1;
}

uint8_t* KrvMapFile::GetPointerOfMapView() {
    if (view_ || !mapping_) return view_;
    view_ = mapping_->MapView();
    if (!view_) LogSystemError("KrvMapFile::GetPointerOfMapView *ERROR*: MapViewOfFile ");
    return view_;
}

int KrvMapFile::SetPointerOfMapView(const void* address, uint32_t length) {
    if (!view_ || !file_ || !mapping_->Flush(address, length)) {
        if (!view_) platform::SystemError::SetLast(EINVAL);
        LogSystemError("KrvMapFile::SetPointerOfMapView *ERROR*: FlushViewOfFile ");
        return 0;
    }
    // Bytes past the new end must not stay mapped: touching them would fault. The next access
    // maps the shortened file again.
    if (length < mapSize_) Detach();
    if (!file_->SetLength(length)) {
        LogSystemError("KrvMapFile::SetPointerOfMapView *ERROR*: SetEndOfFile ");
        return 0;
    }
    dataEnd_ = std::min(dataEnd_, length);
    return 1;
}

int KrvMapFile::Close() {
    if (!view_) return 1;
    view_ = nullptr;
    if (!mapping_->UnmapView()) {
        LogSystemError("KrvMapFile::Close *ERROR*: UnmapViewOfFile ");
        return 0;
    }
    return 1;
}

int KrvMapFile::Detach() {
    Close();
    if (!mapping_) return 0;
    mapping_.reset();
    mapSize_ = 0;
    return 1;
}

void KrvMapFile::Reset() {
    Detach();
    if (file_) file_->Close();
    file_.reset();
    protection_ = 0;
    viewAccess_ = 0;
    view_ = nullptr;
    mapSize_ = 0;
    dataEnd_ = 0;
    readPos_ = 0;
    path_.clear();
}

uint32_t KrvMapFile::GetFileLength() const {
    uint64_t length = 0;
    if (!file_ || !file_->Size(length)) return 0;
    return length > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                         : static_cast<uint32_t>(length);
}

bool KrvMapFile::EnsureMapped() {
    if (!mapping_ && !Attach(path_, GetFileLength())) return false;
    return GetPointerOfMapView() != nullptr;
}

uint32_t KrvMapFile::ViewEnd() const {
    return view_ ? mapSize_ : 0;
}

uint8_t* KrvMapFile::GetPointer(int64_t offset) {
    if (!EnsureMapped()) return nullptr;
    if (offset == -1) return view_;
    if (offset < 0 || offset >= static_cast<int64_t>(ViewEnd())) return nullptr;
    return view_ + offset;
}

int KrvMapFile::WriteAt(const void* bytes, uint32_t offset, uint32_t length) {
    if (!EnsureMapped() || protection_ != kPageReadWrite) return 0;
    const uint64_t end = uint64_t{offset} + length;
    if (end >= ViewEnd()) return 0;
    if (length > 0) std::memcpy(view_ + offset, bytes, length);
    if (end > dataEnd_) dataEnd_ = static_cast<uint32_t>(end);
    return 1;
}

int KrvMapFile::Append(const void* bytes, uint32_t length) {
    if (!EnsureMapped() || protection_ != kPageReadWrite) return 0;
    const uint64_t end = uint64_t{dataEnd_} + length;
    if (end >= ViewEnd()) return 0;
    if (length > 0) std::memcpy(view_ + dataEnd_, bytes, length);
    dataEnd_ = static_cast<uint32_t>(end);
    return 1;
}

int KrvMapFile::Seek(int origin, int32_t offset) {
    if (!EnsureMapped()) return 0;
    int64_t position = readPos_;
    if (origin == 0) {
        position = offset;
    } else if (origin == 1) {
        position += offset;
    } else if (origin == 2) {
        position = int64_t{GetFileLength()} - offset;
    }
    position = std::clamp<int64_t>(position, 0, std::numeric_limits<int32_t>::max());
    readPos_ = static_cast<int32_t>(position);
    return 1;
}

int KrvMapFile::ReadLine(std::string& text, LineEnd lineEnd) {
    text.clear();
    std::string_view view;
    if (!ReadLineView(view, lineEnd)) return 0;
    text.assign(view);
    return 1;
}

int KrvMapFile::ReadLineView(std::string_view& text, LineEnd lineEnd) {
    text = {};
    if (!EnsureMapped()) return 0;
    const uint32_t end = ViewEnd();
    if (readPos_ < 0 || static_cast<uint32_t>(readPos_) >= end) return 0;
    const char* data = reinterpret_cast<const char*>(view_);
    const uint32_t start = static_cast<uint32_t>(readPos_);
    uint32_t lineEndAt = end;
    uint32_t next = end;
    for (uint32_t from = start; from < end;) {
        const void* found = std::memchr(data + from, '\n', end - from);
        if (!found) break;
        const uint32_t feed = static_cast<uint32_t>(static_cast<const char*>(found) - data);
        const bool carriage = feed > start && data[feed - 1] == '\r';
        if (lineEnd == LineEnd::Lf || carriage) {
            lineEndAt = carriage ? feed - 1 : feed;
            next = feed + 1;
            break;
        }
        from = feed + 1;
    }
    text = std::string_view(data + start, lineEndAt - start);
    readPos_ = static_cast<int32_t>(next);
    return 1;
}

std::string KrvMapFile::MappingName(const std::string& path) {
    std::string name = path;
    for (size_t pos = 0; pos < name.size();) {
        const size_t length = platform::Cp932::CharLength(name, pos);
        if (length == 1 && (name[pos] == '\\' || name[pos] == ':')) name[pos] = '_';
        pos += length;
    }
    return name;
}

bool KrvMapFile::GetFailureFlag() {
    return ProcessFailed;
}

void KrvMapFile::SetFailureFlag(bool failed) {
    ProcessFailed = failed;
}

#include "platform/HiveFile.h"

#include <fcntl.h>
#include <hivex.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Utf8.h"

namespace platform {

namespace {

// The header's sequence numbers: equal when the hive was last written to the end.
constexpr size_t kHeaderBytes = 12;

bool SameUnitsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y) return false;
    }
    return true;
}

uint32_t LittleEndian32(const unsigned char* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// Checks that the path is a regular file (a FIFO or a device would hang or mislead hivex) and
// reads whether its header says it is dirty. Non-blocking, so that a FIFO is refused at once.
bool Inspect(const std::string& native, HiveFile::Opening& opening) {
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        opening.error = errno;
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        opening.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        close(fd);
        return false;
    }
    unsigned char header[kHeaderBytes];
    const ssize_t got = read(fd, header, sizeof header);
    close(fd);
    if (got == static_cast<ssize_t>(sizeof header) && std::memcmp(header, "regf", 4) == 0)
        opening.dirty = LittleEndian32(header + 4) != LittleEndian32(header + 8);
    return true;
}

// Frees what hivex returns with malloc.
struct Freed {
    void operator()(void* memory) const { std::free(memory); }
};

}  // namespace

std::unique_ptr<HiveFile> HiveFile::Open(const std::string& native, bool verbose,
                                         Opening& opening) {
    opening = {};
    if (!Inspect(native, opening)) return nullptr;
    errno = 0;
    hive_h* handle = hivex_open(native.c_str(), verbose ? HIVEX_OPEN_VERBOSE : 0);
    if (!handle) {
        opening.error = errno ? errno : EINVAL;
        opening.dirty = false;
        return nullptr;
    }
    return std::make_unique<HiveFile>(handle);
}

HiveFile::HiveFile(hive_h* handle) : handle_(handle) {}

HiveFile::~HiveFile() {
    hivex_close(handle_);
}

size_t HiveFile::Root() const {
    return hivex_root(handle_);
}

std::vector<size_t> HiveFile::Children(size_t node) const {
    std::vector<size_t> children;
    std::unique_ptr<hive_node_h, Freed> list(hivex_node_children(handle_, node));
    for (const hive_node_h* child = list.get(); child && *child; ++child)
        children.push_back(*child);
    return children;
}

std::u16string HiveFile::Name(size_t node) const {
    std::unique_ptr<char, Freed> name(hivex_node_name(handle_, node));
    return name ? Utf8::ToUtf16(name.get()) : std::u16string();
}

size_t HiveFile::Child(size_t node, std::u16string_view name) const {
    for (size_t child : Children(node)) {
        if (SameUnitsNoCase(Name(child), name)) return child;
    }
    return 0;
}

std::vector<HiveFile::Value> HiveFile::Values(size_t node) const {
    std::vector<Value> values;
    std::unique_ptr<hive_value_h, Freed> list(hivex_node_values(handle_, node));
    for (const hive_value_h* entry = list.get(); entry && *entry; ++entry) {
        Value value;
        std::unique_ptr<char, Freed> key(hivex_value_key(handle_, *entry));
        if (!key) continue;
        value.name = Utf8::ToUtf16(key.get());
        // A hive may hold any 32-bit type, which is no value of the enumeration: it is read as
        // the number it is.
        static_assert(sizeof(hive_type) == sizeof(uint32_t));
        uint32_t type = 0;
        size_t length = 0;
        std::unique_ptr<char, Freed> data(
            hivex_value_value(handle_, *entry, reinterpret_cast<hive_type*>(&type), &length));
        if (!data) continue;
        value.type = type;
        value.data.assign(data.get(), length);
        values.push_back(std::move(value));
    }
    return values;
}

}  // namespace platform

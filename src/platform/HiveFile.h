#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct hive_h;

namespace platform {

// One binary registry hive file (NTUSER.DAT, system32\config\software), opened read-only
// through hivex: nothing is ever written to it, and it is not locked. Names are UTF-16 as the
// hive holds them. Node 0 is no node.
class HiveFile {
public:
    struct Value {
        std::u16string name;  // empty for the key's default value
        uint32_t type = 0;
        std::string data;  // the stored bytes
    };

    // How opening went.
    struct Opening {
        int error = 0;       // errno of a file that could not be opened or was refused; 0 when open
        bool dirty = false;  // the two sequence numbers of the header differ
    };

    // Opens a hive file (native path). Null, with opening.error set, when the file is missing,
    // not a regular file or refused by hivex (damaged, truncated, bad checksum, not a hive).
    // `verbose` lets hivex print its own diagnostics to standard error.
    static std::unique_ptr<HiveFile> Open(const std::string& native, bool verbose,
                                          Opening& opening);
    explicit HiveFile(hive_h* handle);
    ~HiveFile();
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    size_t Root() const;
    std::vector<size_t> Children(size_t node) const;
    std::u16string Name(size_t node) const;
    // The child whose name equals `name` when ASCII letters are compared without regard to case;
    // 0 when there is none.
    size_t Child(size_t node, std::u16string_view name) const;
    std::vector<Value> Values(size_t node) const;

private:
    hive_h* handle_;
};

}  // namespace platform

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The two registry roots the program reads.
enum class RegistryRoot {
    CurrentUser,   // HKEY_CURRENT_USER: <prefix>/user.reg, or the profile's NTUSER.DAT
    LocalMachine,  // HKEY_LOCAL_MACHINE: <prefix>/system.reg, or SOFTWARE from its hive
};

// Value types as the registry numbers them.
enum RegistryType : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
};

// Outcome of reading a string value, as RegQueryValueExA reports it.
enum class RegistryRead {
    Found,      // the value, in Shift-JIS
    NotFound,   // no such value (or the key is not open)
    WrongType,  // the value is not REG_SZ or REG_EXPAND_SZ
    TooLong,    // the value and its terminating zero do not fit in the caller's limit
};

namespace registry_detail {
struct Hive;
struct Key;
}  // namespace registry_detail

// An open registry key (the HKEY of RegOpenKeyEx). It keeps the registry file it came from
// alive, so it stays usable after the emulated system is reset. A default-built key is closed.
class RegistryKey {
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey&);
    RegistryKey& operator=(const RegistryKey&);
    RegistryKey(RegistryKey&&) noexcept;
    RegistryKey& operator=(RegistryKey&&) noexcept;

    bool IsOpen() const;
    void Close();

    // Reads a REG_SZ or REG_EXPAND_SZ value (REG_EXPAND_SZ as stored, not expanded) as
    // Shift-JIS text. `name` is internal text; an empty name is the key's default value ("@").
    // `limit` is the caller's buffer size in bytes, terminating zero included: a value that
    // does not fit is TooLong and `value` is left empty. `type`, when given, receives the type.
    RegistryRead ReadString(std::string_view name, size_t limit, std::string& value,
                            uint32_t* type = nullptr) const;

private:
    friend class Registry;
    std::shared_ptr<const registry_detail::Hive> hive_;
    const registry_detail::Key* key_ = nullptr;
};

// The read-only registry of the emulated system (SystemSource::Current()): Wine's user.reg and
// system.reg of the prefix, or the binary hives of a Windows drive. Each file is read once per
// emulated system (Prefix::Generation()); a missing prefix or file is an empty registry, a
// damaged line is skipped, a file with a wrong header is empty. A hive is opened once and read
// key by key; one that cannot be opened is an empty registry and a SystemNotice. Key and value
// names compare without regard to ASCII case.
class Registry {
public:
    // RegOpenKeyEx: opens `path` (internal text, components separated by backslashes) below
    // `root`. A key that only holds subkeys opens too. On a 64-bit prefix a path below
    // HKEY_LOCAL_MACHINE\SOFTWARE is looked up in the 32-bit view (SOFTWARE\Wow6432Node\...)
    // first and then as given. False (and `key` closed) when the key does not exist.
    static bool OpenKey(RegistryRoot root, std::string_view path, RegistryKey& key);

    // OpenKey and ReadString in one call.
    static RegistryRead ReadString(RegistryRoot root, std::string_view path, std::string_view name,
                                   size_t limit, std::string& value);

    // Whether the prefix is 64-bit (#arch=win64 in system.reg, else in user.reg).
    static bool IsWin64();
};

}  // namespace platform

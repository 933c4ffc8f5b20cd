#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The private-profile (INI) functions on internal paths, with Windows' rules: section and key
// names compare without regard to ASCII case and are trimmed; values are trimmed and lose one
// pair of matching surrounding quotes on reading; the first of two equal keys and the first of
// two equal sections count; a key before any section belongs to the section "". A write rewrites
// the whole file with CR LF line ends, keeps comments and the order of sections and keys, drops
// blank lines, and creates the file or the section when missing. The file is held as Unicode
// text: a file starting with a UTF-8 or UTF-16 byte-order mark is read and written back in that
// encoding, any other is code page 932 (invalid bytes decoded as Windows decodes them); only the
// names and values passed in and handed out go through code page 932, so a write keeps every
// other character. A path without a folder names a file in the Windows folder. Every call reads
// the file afresh; nothing is cached.
class IniFile {
public:
    // GetPrivateProfileStringA: the value, or `defaultValue` without its trailing blanks when the
    // file, section or key is missing (or the key has no "="), cut to fit a buffer of `size` bytes
    // with its terminating zero (so at most size - 1 bytes, never half a double-byte character).
    // Returns the length.
    static size_t GetString(std::string_view section, std::string_view key,
                            std::string_view defaultValue, size_t size, std::string& value,
                            const std::string& path);

    // GetPrivateProfileIntA: the leading number of the value ("12abc" is 12, "0x10" is 16, "abc"
    // is 0, beyond 32 bits it wraps); `defaultValue` when the key is missing or its value empty.
    static int GetInt(std::string_view section, std::string_view key, int defaultValue,
                      const std::string& path);

    // WritePrivateProfileStringA with a value: updates the first key of that name in place
    // (keeping its spelling), else appends it to the section, else appends the section. False
    // (with SystemError::Last() set) when the file cannot be read or written.
    static bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                            const std::string& path);
    // WritePrivateProfileStringA with a null value: removes the key.
    static bool DeleteKey(std::string_view section, std::string_view key, const std::string& path);
    // WritePrivateProfileStringA with a null key: removes the section and its keys.
    static bool DeleteSection(std::string_view section, const std::string& path);

    // The lists GetPrivateProfileStringA gives for a null section or key: every section name in
    // file order, and the names of the keys with a value in a section (comments left out).
    static std::vector<std::string> SectionNames(const std::string& path);
    static std::vector<std::string> KeyNames(std::string_view section, const std::string& path);
};

}  // namespace platform

#pragma once

#include <string>
#include <string_view>

namespace platform {

// Internal paths are Windows paths in Shift-JIS (C:\users\me\Favorites\Site.url); native paths
// are POSIX paths in UTF-8. The drive letters map through the emulated system's drive map
// (SystemSource::Drives): for Wine <prefix>/dosdevices/<letter>: links, else C: = <prefix>/drive_c
// and Z: = /. A path on a drive without a mapping names nothing (and a SystemNotice).
class PathMap {
public:
    // The native path of an internal one. A path without a drive (\x\y.url) resolves on the
    // drive of the current folder; a relative one against the current folder. Empty when the
    // drive is not mapped.
    static std::string ToNative(std::string_view internal);
    // ToNative for a file about to be created: the same path, found with one status call fewer
    // when the file does not exist yet.
    static std::string ToNewNative(std::string_view internal);
    // The internal path of a native one: the drive whose native root is the longest prefix of
    // the path (a path inside drive_c gets C:, anything else Z:). Relative native paths are
    // taken from the process's current folder. Empty when a name holds a backslash (or a
    // character that code page 932 turns into one), which would make it name another file.
    static std::string ToInternal(std::string_view native);
    // The current folder as an internal path (GetCurrentDirectory); empty when it has none.
    static std::string CurrentFolder();

private:
    static std::string Resolve(std::string_view internal, bool lookExactFirst);
};

}  // namespace platform

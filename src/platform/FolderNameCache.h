#pragma once

#include <string>

namespace platform {

// Finds names of a native folder without regard to letter case, as Wine does when the exact name
// is missing. Each folder's names are read once and kept, folded, while the kernel reports every
// creation, deletion and rename in it (by this process or any other), so that writing many files
// into one folder does not read the whole folder again for each file. Without such reports (no
// notification support, too many folders watched) the folder is read at each lookup. Thread-safe.
class FolderNameCache {
public:
    // Sets `found` to the name in the native folder that equals utf8Name when ASCII letters are
    // compared without regard to case (utf8Name itself when the folder holds it, or holds no
    // such name). False, with `found` = utf8Name, when the folder cannot be read.
    static bool Find(const std::string& folder, const std::string& utf8Name, std::string& found);
};

}  // namespace platform

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

    // Between these calls (nested pairs count once) the thread trusts what it learned of a folder
    // earlier in the batch: a folder is checked (its path still naming the folder read, the
    // changes reported in it applied) only at its first lookup, and the files and folders the
    // process makes or removes meanwhile are noted directly. A tree of many files is then written
    // without a status call and a read of the reports per file; changes by other programs during
    // the batch are seen by the first lookup after it. Use WriteBatch rather than these calls.
    static void BeginBatch();
    static void EndBatch();
    // A file or folder this process has just made or removed at a native path.
    static void NoteCreated(const std::string& nativePath);
    static void NoteRemoved(const std::string& nativePath);
};

}  // namespace platform

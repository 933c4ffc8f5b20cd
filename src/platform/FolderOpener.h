#pragma once

#include <string_view>

namespace platform {

// Opens a folder in the desktop's file manager: `xdg-open`, or the command named in
// $PENNAWICK_OPEN_FOLDER, started without a shell (posix_spawn, so that this process, threads and
// all, is never copied) with the folder's native path as its one argument, in a session of its
// own. Nothing waits for it to finish; each call reaps the openers that have ended since.
class FolderOpener {
public:
    // `folder` is an internal path; one pair of surrounding double quotes is removed. True when
    // the command was started; false (with SystemError::Last() set) when the folder's drive is
    // not mapped or the command cannot be found or started.
    static bool Open(std::string_view folder);
};

}  // namespace platform

#pragma once

#include <string_view>

namespace platform {

// Opens a folder in the desktop's file manager: `xdg-open`, or the command named in
// $PENNAWICK_OPEN_FOLDER, started without a shell (posix_spawn, so that this process, threads and
// all, is never copied) with the folder's native path as its one argument, in a session of its
// own. The caller never waits for it: a thread of its own waits for each opener and reaps it the
// moment it ends, so none stays behind as a zombie.
class FolderOpener {
public:
    // `folder` is an internal path; one pair of surrounding double quotes is removed. True when
    // the command was started; false (with SystemError::Last() set) when the folder's drive is
    // not mapped or the command cannot be found or started.
    static bool Open(std::string_view folder);
};

}  // namespace platform

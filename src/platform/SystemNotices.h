#pragma once

#include <string>
#include <vector>

namespace platform {

// A problem met while reading the Windows system, for the layers above to log and show: the
// platform itself neither logs nor talks to the user.
struct SystemNotice {
    enum class Kind {
        NoWindowsFolder,  // the drive has no folder holding system32
        NoProfiles,       // the drive has no user profile
        NoUserHive,       // the chosen profile has no NTUSER.DAT
        HiveRefused,      // a hive file is damaged, truncated or not a hive
        HiveDirty,        // a hive was not closed cleanly: read as it is
        UnmappedDrive,    // a path names a drive with no mapping
    };
    Kind kind;
    bool error;          // level E; else W
    std::string file;    // what it is about: an internal path, or a drive ("D:"), internal text
    std::string reason;  // the system's reason, internal text; may be empty
};

// Notices wait in a queue until a listener is installed; from then on each goes straight to it.
class SystemNotices {
public:
    using Listener = void (*)(const SystemNotice&);

    static void Add(SystemNotice notice);
    // Takes every waiting notice.
    static std::vector<SystemNotice> Take();
    // Installs the listener (null: queue again).
    static void Listen(Listener listener);
};

}  // namespace platform

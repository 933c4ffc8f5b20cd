#pragma once

#include <string>

namespace platform {

// Where the program keeps its own files: its settings file, its log files and the urldb.db it
// imports. There are two ways, decided once at start-up from the program's folder:
// - portable, when that folder holds "pennawick.ini" or a file named "portable": every file
//   stays in the program's folder and the settings file is named after the program file;
// - installed, otherwise: the settings file is pennawick.ini in $XDG_CONFIG_HOME/pennawick/,
//   the log files go to $XDG_STATE_HOME/pennawick/ and urldb.db is looked for in
//   $XDG_DATA_HOME/pennawick/ (unset, empty or relative variables give ~/.config, ~/.local/state
//   and ~/.local/share). Whether a folder is writable plays no part: root can write anywhere.
// The installed folders are created, with any missing parents, with mode 0700 when first asked
// for. Before Decide runs the way is portable with an empty program folder.
class AppFolders {
public:
    enum class Way { Portable, Installed };

    // Decides the way for the program folder (an internal path) and reads the XDG variables.
    static void Decide(const std::string& programFolder);
    static Way CurrentWay();
    // "portable" or "installed", for the log.
    static const char* WayName();

    // The folders as internal paths; in the installed way each ends in a backslash.
    static std::string SettingsFolder();
    static std::string LogFolder();
    static std::string DataFolder();
    // The settings file's name without its extension: the program's base name when portable,
    // "pennawick" when installed.
    static std::string SettingsName(const std::string& programBaseName);
};

}  // namespace platform

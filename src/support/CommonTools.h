#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Shared helpers on internal text (Shift-JIS) and internal paths (Windows paths). Every path
// operation walks by characters, so a 0x5C trail byte is never a separator.
namespace CommonTools {

// Sets the working folder to the drive and folder of the program file (with its trailing
// backslash); the current folder when that comes out empty. Decides from that folder where the
// program keeps its own files (platform::AppFolders): beside the program when portable.
void InitializeWorkingFolder(const std::string& programPath);
std::string GetWorkingFolder();

// Joins folder, name and extension as _makepath does: a backslash after the folder unless it
// ends in a slash or backslash, a dot before the extension unless it has one.
std::string MakePath(const std::string& folder, const std::string& name,
                     const std::string& extension);
std::string MakeWorkingPath(const std::string& name);
// The program's own files, wherever the start-up decided they live: the settings file for the
// program's base name (with ".ini"), a log file, a data file such as "urldb.db".
std::string MakeSettingsPath(const std::string& programBaseName);
std::string MakeLogPath(const std::string& name);
std::string MakeDataPath(const std::string& name);

// Appends drive, each folder name (outermost first), the name without extension and the
// extension with its dot to the list; returns the list's new count.
int SplitPath(const std::string& path, std::vector<std::string>& list);

// Numbered-line fields: see the URL database file.
std::string GetField(const std::string& line, int& position);
int GetFieldInt(const std::string& line, int& position);

// Asks for the path's attributes (all bits set when missing); whether the path exists.
bool FileExists(const std::string& path, uint32_t& attributes);

// Position just after the first case-insensitive (ASCII) occurrence of keyword, or -1.
int FindNoCase(const std::string& text, const std::string& keyword);

// Whether the text's last character (not a trail byte) is a backslash or slash.
bool EndsWithSeparator(const std::string& path);
// Splits a path into its names at backslashes and slashes, by characters; empty names dropped.
std::vector<std::string> SplitNames(const std::string& path);

}  // namespace CommonTools

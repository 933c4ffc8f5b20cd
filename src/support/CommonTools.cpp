#include "support/CommonTools.h"

#include <climits>
#include <cstdlib>
#include <mutex>

#include "platform/AppFolders.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathMap.h"
#include "platform/SjisText.h"
#include "support/Log.h"

using platform::Cp932;
using platform::SjisText;

namespace CommonTools {

namespace {

std::mutex folderMutex;
std::string workingFolder;

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Position just after the last separator of the text (0 when there is none), by characters.
size_t AfterLastSeparator(const std::string& path, size_t from = 0) {
    size_t after = from;
    for (size_t i = from; i < path.size();) {
        size_t length = Cp932::CharLength(path, i);
        if (length == 1 && SjisText::IsSeparator(path[i])) after = i + 1;
        i += length;
    }
    return after;
}

// Position of the last dot of the text (npos when there is none), by characters.
size_t LastDot(const std::string& text, size_t from) {
    size_t dot = std::string::npos;
    for (size_t i = from; i < text.size(); i += Cp932::CharLength(text, i)) {
        if (text[i] == '.') dot = i;
    }
    return dot;
}

size_t DriveLength(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && IsAsciiLetter(path[0]) ? 2 : 0;
}

// The parts _splitpath gives: drive, directory (with its trailing separator), name, extension.
struct PathParts {
    std::string drive;
    std::string directory;
    std::string name;
    std::string extension;
};

PathParts Split(const std::string& path) {
    PathParts parts;
    size_t drive = DriveLength(path);
    parts.drive = path.substr(0, drive);
    size_t nameStart = AfterLastSeparator(path, drive);
    parts.directory = path.substr(drive, nameStart - drive);
    size_t dot = LastDot(path, nameStart);
    if (dot == std::string::npos) {
        parts.name = path.substr(nameStart);
    } else {
        parts.name = path.substr(nameStart, dot - nameStart);
        parts.extension = path.substr(dot);
    }
    return parts;
}

}  // namespace

void InitializeWorkingFolder(const std::string& programPath) {
    PathParts parts = Split(programPath);
    std::string folder = parts.drive + parts.directory;
    if (folder.empty()) folder = platform::PathMap::CurrentFolder();
    {
        std::lock_guard<std::mutex> lock(folderMutex);
        workingFolder = folder;
    }
    platform::AppFolders::Decide(folder);
    LogMessage(LOG_D, "CommonTools::InitializeWorkingFolder %s:%s", programPath.c_str(),
               folder.c_str());
}

std::string GetWorkingFolder() {
    std::lock_guard<std::mutex> lock(folderMutex);
    return workingFolder;
}

std::string MakePath(const std::string& folder, const std::string& name,
                     const std::string& extension) {
    std::string path = folder;
    if (!path.empty() && !EndsWithSeparator(path)) path += '\\';
    path += name;
    if (!extension.empty()) {
        if (extension[0] != '.') path += '.';
        path += extension;
    }
    return path;
}

std::string MakeWorkingPath(const std::string& name) {
    return MakePath(GetWorkingFolder(), name, "");
}

std::string MakeSettingsPath(const std::string& programBaseName) {
    return MakePath(platform::AppFolders::SettingsFolder(),
                    platform::AppFolders::SettingsName(programBaseName), "ini");
}

std::string MakeLogPath(const std::string& name) {
    return MakePath(platform::AppFolders::LogFolder(), name, "");
}

std::string MakeDataPath(const std::string& name) {
    return MakePath(platform::AppFolders::DataFolder(), name, "");
}

int SplitPath(const std::string& path, std::vector<std::string>& list) {
    PathParts parts = Split(path);
    list.push_back(parts.drive);
    std::vector<std::string> folders;
    std::string directory = parts.directory;
    while (!directory.empty()) {
        // Drop the last separator and split again: the name part is the innermost folder.
        directory.pop_back();
        PathParts inner = Split(directory);
        if (!inner.name.empty()) folders.push_back(inner.name);
        directory = inner.directory;
    }
    list.insert(list.end(), folders.rbegin(), folders.rend());
    list.push_back(parts.name);
    list.push_back(parts.extension);
    return static_cast<int>(list.size());
}

std::string GetField(const std::string& line, int& position) {
    if (position != 0) {
        if (position < 0 || static_cast<size_t>(position) >= line.size()) return {};
        return line.substr(static_cast<size_t>(position));
    }
    size_t comma = line.find(',');
    if (comma == std::string::npos) return {};
    position = static_cast<int>(comma) + 1;
    return line.substr(0, comma);
}

int GetFieldInt(const std::string& line, int& position) {
    std::string field = GetField(line, position);
    if (field.empty()) return -1;
    long value = std::strtol(field.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool FileExists(const std::string& path, uint32_t& attributes) {
    attributes = platform::FileSystem::GetAttributes(path);
    return attributes != platform::FileSystem::kInvalidAttributes;
}

int FindNoCase(const std::string& text, const std::string& keyword) {
    if (text.empty() || keyword.empty() || keyword.size() > text.size()) return -1;
    const size_t last = text.size() - keyword.size();
    for (size_t i = 0; i <= last; ++i) {
        if (AsciiUpper(text[i]) != AsciiUpper(keyword[0])) continue;
        size_t k = 1;
        while (k < keyword.size() && AsciiUpper(text[i + k]) == AsciiUpper(keyword[k])) ++k;
        if (k == keyword.size()) return static_cast<int>(i + keyword.size());
    }
    return -1;
}

bool EndsWithSeparator(const std::string& path) {
    return SjisText::EndsWithSeparator(path);
}

std::vector<std::string> SplitNames(const std::string& path) {
    return SjisText::SplitNames(path);
}

}  // namespace CommonTools

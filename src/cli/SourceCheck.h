#pragma once

#include <string>

// Checks, before anything is read or written, that a source the conversion is to read is there
// and readable, giving the system's reason when it is not.
class SourceCheck {
public:
    // A bookmark file, or for Internet Explorer (kind 1) a favorites folder, at an internal path.
    static bool Profile(int kind, const std::string& path, std::string& reason);
    // A file that can be opened for reading, at an internal path.
    static bool File(const std::string& path, std::string& reason);
};

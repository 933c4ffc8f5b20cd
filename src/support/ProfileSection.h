#pragma once

#include <string>

// One section of one INI file, read and written key by key. Every call goes to the file; only
// the text of the latest ReadString is kept.
class ProfileSection {
public:
    ProfileSection(const std::string& section, const std::string& path);

    // The leading decimal number of the value (0 when it does not begin with one); the default
    // when the file or key is missing.
    int ReadInt(const std::string& key, int defaultValue);
    void WriteInt(const std::string& key, int value);
    // At most 255 bytes of the value, or the default; kept as the last string.
    const std::string& ReadString(const std::string& key, const std::string& defaultValue);
    void WriteString(const std::string& key, const std::string& text);
    // True exactly when the value (or the default "1"/"0") is the text "1".
    bool ReadBool(const std::string& key, bool defaultFlag);
    void WriteBool(const std::string& key, bool flag);

    const std::string& GetSection() const { return section_; }
    const std::string& GetPath() const { return path_; }
    const std::string& GetLastString() const { return lastString_; }

private:
    std::string section_;
    std::string path_;
    std::string lastString_;
};

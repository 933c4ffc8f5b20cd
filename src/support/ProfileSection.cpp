#include "support/ProfileSection.h"

#include "platform/IniFile.h"

namespace {

// The buffer the value is read into, terminating zero included.
constexpr size_t kStringBuffer = 256;

}  // namespace

ProfileSection::ProfileSection(const std::string& section, const std::string& path)
    : section_(section), path_(path) {}

int ProfileSection::ReadInt(const std::string& key, int defaultValue) {
    return platform::IniFile::GetInt(section_, key, defaultValue, path_);
}

void ProfileSection::WriteInt(const std::string& key, int value) {
    WriteString(key, std::to_string(value));
}

const std::string& ProfileSection::ReadString(const std::string& key,
                                              const std::string& defaultValue) {
    platform::IniFile::GetString(section_, key, defaultValue, kStringBuffer, lastString_, path_);
    return lastString_;
}

void ProfileSection::WriteString(const std::string& key, const std::string& text) {
    // A write that fails is not reported: settings are best effort.
    platform::IniFile::WriteString(section_, key, text, path_);
}

bool ProfileSection::ReadBool(const std::string& key, bool defaultFlag) {
    return ReadString(key, defaultFlag ? "1" : "0") == "1";
}

void ProfileSection::WriteBool(const std::string& key, bool flag) {
    WriteString(key, flag ? "1" : "0");
}

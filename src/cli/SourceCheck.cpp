#include "cli/SourceCheck.h"

#include <vector>

#include "browsers/BrowserProfile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace {

bool Fail(std::string& reason) {
    reason = platform::SystemError::Text(platform::SystemError::Last());
    if (reason.empty()) reason = "cannot be read";
    return false;
}

}  // namespace

bool SourceCheck::File(const std::string& path, std::string& reason) {
    if (path.empty()) {
        reason = "no path";
        return false;
    }
    if (platform::FileSystem::IsFolder(path)) {
        reason = "is a folder, not a file";
        return false;
    }
    platform::File file;
    if (!file.Open(path, platform::File::Mode::Read, false)) return Fail(reason);
    char byte;
    file.Read(&byte, 1);
    if (file.Failed()) return Fail(reason);
    file.Close();
    return true;
}

bool SourceCheck::Profile(int kind, const std::string& path, std::string& reason) {
    if (kind != BrowserProfile::kInternetExplorer) return File(path, reason);
    if (path.empty()) {
        reason = "no path";
        return false;
    }
    if (platform::FileSystem::GetAttributes(path) == platform::FileSystem::kInvalidAttributes)
        return Fail(reason);
    if (!platform::FileSystem::IsFolder(path)) {
        reason = "is not a folder";
        return false;
    }
    std::vector<platform::FolderEntry> entries;
    if (!platform::FileSystem::ListFolder(path, entries)) return Fail(reason);
    return true;
}

// Binary registry hives of a Windows drive: the input becomes both NTUSER.DAT of the drive's one
// user and the Windows folder's config\software, the drive is selected (which opens both), the
// keys and values the adapters read are looked up, and the whole tree is walked, names and
// values included, as far as a bounded walk goes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "browsers/MSBrowser.h"
#include "common/FuzzSystem.h"
#include "platform/Environment.h"
#include "platform/HiveFile.h"
#include "platform/Registry.h"
#include "platform/SystemNotices.h"
#include "platform/WindowsRoot.h"

namespace {

namespace fs = std::filesystem;
using platform::RegistryRoot;

constexpr int kMaxDepth = 32;
constexpr int kMaxNodes = 4096;

void Walk(const platform::HiveFile& hive, size_t node, int depth, int& budget) {
    if (depth > kMaxDepth || --budget < 0) return;
    hive.Name(node);
    hive.Values(node);
    for (size_t child : hive.Children(node)) Walk(hive, child, depth + 1, budget);
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    static const fs::path drive = fs::path(system.Native("C:\\")) / "hive-drive";
    const std::string_view input = fuzz::Bytes(data, size);
    const fs::path userHive = drive / "Documents and Settings" / "fuzz" / "NTUSER.DAT";
    WriteBytes(userHive, input);
    WriteBytes(drive / "WINDOWS" / "system32" / "config" / "software", input);

    if (platform::WindowsRoot::Use({drive.string(), "", {}}).empty()) {
        platform::Registry::IsWin64();
        MSBrowser browser;
        browser.Initialize();
        fuzz::ReadValues(RegistryRoot::CurrentUser, "Software\\Opera Software", {"Last Directory"});
        fuzz::ReadValues(RegistryRoot::LocalMachine, "Software\\Netscape\\Netscape Navigator",
                         {"", "CurrentVersion"});
        fuzz::ReadValues(RegistryRoot::LocalMachine, "SOFTWARE\\Netscape\\Netscape 6",
                         {"CurrentVersion"});
        fuzz::ReadValues(RegistryRoot::CurrentUser, "Environment", {"TEMP", "PATH"});
        std::string path;
        platform::Environment::UserShellFolder("AppData", 260, path);
        platform::Environment::Expand("%USERPROFILE%\\%APPDATA%\\%TEMP%\\%windir%");
    }
    platform::WindowsRoot::UseWinePrefix();
    platform::SystemNotices::Take();

    platform::HiveFile::Opening opening;
    if (auto hive = platform::HiveFile::Open(userHive.string(), false, opening)) {
        int budget = kMaxNodes;
        Walk(*hive, hive->Root(), 0, budget);
    }
    return 0;
}

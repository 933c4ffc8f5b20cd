#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "common/EmulatedSystem.h"
#include "platform/Environment.h"
#include "platform/PathMap.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/SystemNotices.h"
#include "platform/WindowsRoot.h"

namespace fs = std::filesystem;
using platform::Environment;
using platform::Registry;
using platform::RegistryRead;
using platform::RegistryRoot;
using platform::SystemNotice;
using platform::WindowsRoot;

namespace {

// HKEY_CURRENT_USER of a user, Wine's text format: the shell folders as Windows writes them,
// Opera's folder under a Japanese value.
const std::string kUserText =
    "WINE REGISTRY Version 2\n\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] 0\n"
    "\"Favorites\"=str(2):\"%USERPROFILE%\\\\Favorites\"\n"
    "\"AppData\"=str(2):\"%APPDATA%\"\n\n"
    "[Software\\\\Opera Software] 0\n"
    "\"Last Directory\"=\"C:\\\\\\x65e5\\x672c\"\n"
    "\"Count\"=dword:00000003\n"
    "\"Odd\"=hex(240000):01,02\n";
const std::string kSoftwareText =
    "WINE REGISTRY Version 2\n\n"
    "[Software\\\\Netscape\\\\Netscape 6] 0\n"
    "\"CurrentVersion\"=\"6.2 (ja)\"\n";

// Writes a hive from registry text with the project's generator (tools/gen_hive.py).
void WriteHive(const fs::path& file, const std::string& text, const std::string& options = "") {
    fs::create_directories(file.parent_path());
    const std::string command = "python3 " + std::string(PENNAWICK_TEST_DATA) +
                                "/../../tools/gen_hive.py - -o '" + file.string() + "' " + options;
    FILE* pipe = popen(command.c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    fwrite(text.data(), 1, text.size(), pipe);
    ASSERT_EQ(pclose(pipe), 0) << command;
}

std::string ReadString(RegistryRoot root, const std::string& path, const std::string& name) {
    std::string value;
    const RegistryRead read = Registry::ReadString(root, path, name, 260, value);
    return read == RegistryRead::Found ? value : "<" + std::to_string(static_cast<int>(read)) + ">";
}

std::string Expanded(const std::string& text) {
    return Utf8(Environment::Expand(text));
}

std::vector<std::tuple<SystemNotice::Kind, bool, std::string>> Notices() {
    std::vector<std::tuple<SystemNotice::Kind, bool, std::string>> notices;
    for (const SystemNotice& notice : platform::SystemNotices::Take())
        notices.emplace_back(notice.kind, notice.error, Utf8(notice.file));
    return notices;
}

}  // namespace

// A drive of Windows XP (WINDOWS, Documents and Settings) in a temporary folder.
class WindowsRootTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        root = fs::path(system.Root()) / "xp";
        fs::create_directories(root / "WINDOWS" / "system32");
        for (const char* profile : {"All Users", "Default User", "LocalService", "NetworkService"})
            fs::create_directories(root / "Documents and Settings" / profile);
    }

    fs::path Profile(const std::string& user) const {
        return root / "Documents and Settings" / user;
    }
    fs::path Software() const { return root / "WINDOWS" / "system32" / "config" / "software"; }

    std::string Use(const std::string& user = "", std::vector<std::string> drives = {}) {
        return Utf8(WindowsRoot::Use({root.string(), user, std::move(drives)}));
    }

    fs::path root;
};

TEST_F(WindowsRootTest, ReadsTheRegistryEnvironmentAndPathsOfAnXpOrVistaDrive) {
    WriteHive(Software(), kSoftwareText, "--root Software");
    WriteHive(Profile("taro") / "NTUSER.DAT", kUserText);
    fs::create_directories(Profile("taro") / "Favorites");
    std::ofstream(root / "WINDOWS" / "NSREG.DAT") << "x";
    ASSERT_EQ(Use(), "");
    EXPECT_EQ(platform::SystemInfo::LogonUser(), "taro");
    EXPECT_EQ(platform::SystemInfo::WindowsFolder(), "C:\\WINDOWS");
    // Keys and value names in any case; REG_EXPAND_SZ expanded with the profile's environment.
    EXPECT_EQ(
        ReadString(RegistryRoot::LocalMachine, "software\\NETSCAPE\\netscape 6", "currentVERSION"),
        "6.2 (ja)");
    EXPECT_EQ(
        Utf8(ReadString(RegistryRoot::CurrentUser, "SOFTWARE\\opera software", "last directory")),
        "C:\\日本");
    EXPECT_EQ(ReadString(RegistryRoot::CurrentUser, "Software\\Opera Software", "Count"), "<2>");
    platform::RegistryKey key;  // a type beyond those Windows names is kept as it is
    ASSERT_TRUE(Registry::OpenKey(RegistryRoot::CurrentUser, "Software\\Opera Software", key));
    std::string value;
    uint32_t type = 0;
    EXPECT_EQ(key.ReadString("Odd", 260, value, &type), RegistryRead::WrongType);
    EXPECT_EQ(type, 0x240000u);
    EXPECT_EQ(ReadString(RegistryRoot::LocalMachine, "System\\Setup", "x"), "<1>");
    std::string path;
    EXPECT_EQ(Environment::UserShellFolder("favorites", 260, path),
              platform::ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\Documents and Settings\\taro\\Favorites");
    EXPECT_EQ(Environment::UserShellFolder("AppData", 260, path), platform::ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\Documents and Settings\\taro\\Application Data");
    EXPECT_EQ(Expanded("%HOMEDRIVE%|%HOMEPATH%|%windir%|%SystemRoot%|%ALLUSERSPROFILE%|%USERNAME%"),
              "C:|\\Documents and Settings\\taro|C:\\WINDOWS|C:\\WINDOWS|"
              "C:\\Documents and Settings\\All Users|taro");
    EXPECT_EQ(Expanded("%PATH%|%HOME%"), "%PATH%|%HOME%");  // not the Linux process's
    // Every name is found in any case; C: is the root.
    EXPECT_EQ(platform::PathMap::ToNative("c:\\windows\\nsreg.dat"),
              (root / "WINDOWS" / "NSREG.DAT").string());
    EXPECT_EQ(platform::PathMap::ToNative("C:\\DOCUMENTS AND SETTINGS\\TARO\\favorites"),
              (Profile("taro") / "Favorites").string());
    EXPECT_EQ(platform::PathMap::ToInternal((Profile("taro") / "Favorites").string()),
              "C:\\Documents and Settings\\taro\\Favorites");
    EXPECT_EQ(Notices(), (decltype(Notices()){}));

    // Vista and later: Users, AppData\Roaming, ProgramData.
    fs::remove_all(root / "Documents and Settings");
    WriteHive(root / "Users" / "hanako" / "NTUSER.DAT", kUserText);
    fs::create_directories(root / "Users" / "Public");
    fs::create_directories(root / "Users" / "Default");
    ASSERT_EQ(Use(), "");
    EXPECT_EQ(Environment::UserShellFolder("AppData", 260, path), platform::ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\Users\\hanako\\AppData\\Roaming");
    EXPECT_EQ(Expanded("%USERPROFILE%|%ALLUSERSPROFILE%|%LOCALAPPDATA%|%PUBLIC%"),
              "C:\\Users\\hanako|C:\\ProgramData|C:\\Users\\hanako\\AppData\\Local|"
              "C:\\Users\\Public");
}

TEST_F(WindowsRootTest, OtherDrivesComeOnlyFromTheDriveOptions) {
    WriteHive(Profile("taro") / "NTUSER.DAT", kUserText);
    const fs::path data = fs::path(system.Root()) / "data";
    fs::create_directories(data / "Bookmarks");
    ASSERT_EQ(Use("", {"d:=" + data.string()}), "");
    EXPECT_EQ(platform::PathMap::ToNative("D:\\bookmarks"), (data / "Bookmarks").string());
    EXPECT_EQ(platform::PathMap::ToNative("E:\\x"), "");
    EXPECT_EQ(platform::PathMap::ToNative("E:\\y"), "");
    // The Windows folder holds no config\software.
    EXPECT_EQ(Notices(), (decltype(Notices()){{SystemNotice::Kind::HiveRefused, true,
                                               "C:\\WINDOWS\\system32\\config\\software"},
                                              {SystemNotice::Kind::UnmappedDrive, false, "E:"}}));
    for (const std::string& bad :
         std::vector<std::string>{"D:" + data.string(), "C:=" + data.string(), "1:=/", "D:="})
        EXPECT_NE(Use("", {bad}).find("ドライブ"), std::string::npos) << bad;
    EXPECT_NE(Use("", {"D:=" + data.string() + "/missing"}).find("/missing"), std::string::npos);
}

TEST_F(WindowsRootTest, SeveralUsersAreListedAndOneMustBeNamed) {
    for (const char* user : {"taro", "Hanako", "花子"})
        WriteHive(Profile(user) / "NTUSER.DAT", kUserText);
    WriteHive(root / "Users" / "jiro" / "NTUSER.DAT", kUserText);
    fs::create_directories(root / "Users" / "Public");
    std::ofstream(root / "Documents and Settings" / "desktop.ini") << "x";
    EXPECT_EQ(WindowsRoot::Users(root.string()),
              (std::vector<std::string>{"Hanako", "jiro", "taro", "花子"}));

    const std::string several = Use();
    EXPECT_NE(several.find("複数のユーザー"), std::string::npos) << several;
    EXPECT_NE(several.find("Hanako、jiro、taro、花子"), std::string::npos) << several;
    EXPECT_NE(platform::SystemInfo::LogonUser(), "Hanako");  // still the Wine prefix
    EXPECT_NE(Use("nobody").find("nobody"), std::string::npos);
    ASSERT_EQ(Use("hanako"), "");
    EXPECT_EQ(platform::SystemInfo::LogonUser(), "Hanako");
    ASSERT_EQ(Use("jiro"), "");
    EXPECT_EQ(Expanded("%USERPROFILE%"), "C:\\Users\\jiro");
    ASSERT_EQ(Use("花子"), "");
    EXPECT_EQ(Utf8(platform::SystemInfo::LogonUser()), "花子");
}

// A hive hivex refuses, or one missing, leaves the rest readable; a dirty one is read as it is.
TEST_F(WindowsRootTest, DamagedMissingAndDirtyHivesAreReportedAndTheRestIsRead) {
    WriteHive(Profile("taro") / "NTUSER.DAT", kUserText);
    const std::string software = "C:\\WINDOWS\\system32\\config\\software";
    for (const char* damage : {"checksum", "truncate", "magic"}) {
        WriteHive(Software(), kSoftwareText, std::string("--root Software --damage ") + damage);
        ASSERT_EQ(Use(), "");
        EXPECT_EQ(ReadString(RegistryRoot::LocalMachine, "Software\\Netscape\\Netscape 6",
                             "CurrentVersion"),
                  "<1>");
        EXPECT_NE(
            ReadString(RegistryRoot::CurrentUser, "Software\\Opera Software", "Last Directory"),
            "<1>");
        const auto notices = platform::SystemNotices::Take();
        ASSERT_EQ(notices.size(), 1u) << damage;
        EXPECT_EQ(notices[0].kind, SystemNotice::Kind::HiveRefused);
        EXPECT_TRUE(notices[0].error);
        EXPECT_EQ(notices[0].file, software);
        EXPECT_FALSE(notices[0].reason.empty());
    }
    std::ofstream(Software(), std::ios::trunc) << "WINE REGISTRY Version 2\n";
    ASSERT_EQ(Use(), "");
    EXPECT_EQ(Notices(), (decltype(Notices()){{SystemNotice::Kind::HiveRefused, true, software}}));

    WriteHive(Software(), kSoftwareText, "--root Software --dirty");
    fs::remove(Profile("taro") / "NTUSER.DAT");
    ASSERT_EQ(Use(), "");
    EXPECT_EQ(
        ReadString(RegistryRoot::LocalMachine, "Software\\Netscape\\Netscape 6", "CurrentVersion"),
        "6.2 (ja)");
    std::string favorites;
    EXPECT_EQ(Environment::UserShellFolder("Favorites", 260, favorites),
              platform::ShellFolderRead::NoKey);
    EXPECT_EQ(Notices(), (decltype(Notices()){{SystemNotice::Kind::NoUserHive, true,
                                               "C:\\Documents and Settings\\taro\\NTUSER.DAT"},
                                              {SystemNotice::Kind::HiveDirty, false, software}}));
}

TEST_F(WindowsRootTest, AFolderThatIsNoWindowsDriveIsRefusedOrReadInPart) {
    fs::remove_all(root);
    fs::create_directories(root / "data");
    EXPECT_NE(Use().find("Windowsのドライブではありません"), std::string::npos);
    root = fs::path(system.Root()) / "missing";
    EXPECT_NE(Use().find("missing"), std::string::npos);
    EXPECT_EQ(Notices(), (decltype(Notices()){}));

    // Profiles without a Windows folder, a Windows folder without profiles: what is there is read.
    root = fs::path(system.Root()) / "xp";
    WriteHive(Profile("taro") / "NTUSER.DAT", kUserText);
    ASSERT_EQ(Use(), "");
    EXPECT_EQ(Notices(),
              (decltype(Notices()){{SystemNotice::Kind::NoWindowsFolder, true, "C:\\"}}));
    fs::remove_all(root / "Documents and Settings");
    WriteHive(root / "WinNT" / "System32" / "CONFIG" / "SOFTWARE", kSoftwareText,
              "--root Software");
    ASSERT_EQ(Use(), "");
    EXPECT_EQ(platform::SystemInfo::WindowsFolder(), "C:\\WinNT");
    EXPECT_EQ(
        ReadString(RegistryRoot::LocalMachine, "Software\\Netscape\\Netscape 6", "CurrentVersion"),
        "6.2 (ja)");
    EXPECT_EQ(Notices(), (decltype(Notices()){{SystemNotice::Kind::NoProfiles, true, "C:\\"}}));
}

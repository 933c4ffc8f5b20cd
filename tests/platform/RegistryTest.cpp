#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "common/EmulatedSystem.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"

using platform::Registry;
using platform::RegistryKey;
using platform::RegistryRead;
using platform::RegistryRoot;

namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr size_t kMax = 260;

std::string Read(RegistryRoot root, const std::string& path, const std::string& name,
                 size_t limit = kMax) {
    std::string value;
    return Registry::ReadString(root, path, name, limit, value) == RegistryRead::Found ? value
                                                                                       : "<none>";
}

std::string ReadUser(const std::string& path, const std::string& name) {
    return Read(RegistryRoot::CurrentUser, path, name);
}

// Replaces a .reg file of the prefix with raw bytes and makes the platform read it again.
void WriteRaw(const EmulatedSystem& system, const char* name, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(system.Root()) / name,
                      std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    platform::Prefix::Reset();
}

}  // namespace

class RegistryTest : public EmulatedSystemTest {};

TEST_F(RegistryTest, ReadsStringValuesWithTheirTypesAsStored) {
    system.AddUserReg(
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] 1\n"
        "#time=1d\n"
        "\"Favorites\"=str(2):\"%USERPROFILE%\\\\Favorites\"\n"
        "\"Plain\"=\"C:\\\\x\"\n"
        "\"Tagged\"=str:\"tagged\"\n"
        "@=\"default\"\n"
        "\"Number\"=dword:0000002a\n"
        "\"Bytes\"=hex:01,02\n"
        "\"Multi\"=str(7):\"a\\0b\\0\"\n"
        "\"HexText\"=hex(2):41,00,42,00,00,00\n");
    RegistryKey key;
    ASSERT_TRUE(Registry::OpenKey(RegistryRoot::CurrentUser, kShellFolders, key));
    std::string value;
    uint32_t type = 0;
    EXPECT_EQ(key.ReadString("Favorites", kMax, value, &type), RegistryRead::Found);
    EXPECT_EQ(value, "%USERPROFILE%\\Favorites");
    EXPECT_EQ(type, platform::kRegExpandSz);
    EXPECT_EQ(key.ReadString("Plain", kMax, value, &type), RegistryRead::Found);
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(value, "C:\\x");
    EXPECT_EQ(ReadUser(kShellFolders, "Tagged"), "tagged");
    EXPECT_EQ(ReadUser(kShellFolders, ""), "default");
    EXPECT_EQ(ReadUser(kShellFolders, "HexText"), "AB");
    EXPECT_EQ(key.ReadString("Number", kMax, value, &type), RegistryRead::WrongType);
    EXPECT_EQ(type, platform::kRegDword);
    EXPECT_EQ(key.ReadString("Bytes", kMax, value), RegistryRead::WrongType);
    EXPECT_EQ(key.ReadString("Multi", kMax, value), RegistryRead::WrongType);
    EXPECT_EQ(key.ReadString("Missing", kMax, value), RegistryRead::NotFound);
    EXPECT_EQ(value, "");
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndParentKeysOpen) {
    system.AddSystemReg(
        "[Software\\\\Netscape\\\\Netscape Navigator\\\\4.7 (ja)\\\\Main] 1\n"
        "\"Install Directory\"=\"C:\\\\Program Files\\\\Netscape\"\n");
    EXPECT_EQ(Read(RegistryRoot::LocalMachine,
                   "SOFTWARE\\NETSCAPE\\netscape navigator\\4.7 (JA)\\main", "INSTALL directory"),
              "C:\\Program Files\\Netscape");
    RegistryKey key;
    EXPECT_TRUE(Registry::OpenKey(RegistryRoot::LocalMachine, "SOFTWARE\\Netscape", key));
    EXPECT_TRUE(Registry::OpenKey(RegistryRoot::LocalMachine, "", key));
    EXPECT_FALSE(
        Registry::OpenKey(RegistryRoot::LocalMachine, "SOFTWARE\\Netscape\\Netscape 6", key));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(Registry::OpenKey(RegistryRoot::CurrentUser, "Software\\Netscape", key));
}

TEST_F(RegistryTest, UnescapesTextIntoShiftJis) {
    system.AddUserReg(
        "[Software\\\\Test\\\\\\x65e5\\x672c] 1\n"
        "\"\\x30ad\\x30fc\"=\"\\x5024\\\\\"\n"
        "\"Escapes\"=\"q\\\"b\\\\t\\tn\\101\\x41g\\x30421\"\n");
    // Key, value name and value hold Japanese text; \x takes at most four digits.
    EXPECT_EQ(ReadUser(Sjis("Software\\Test\\日本"), Sjis("キー")), Sjis("値\\"));
    EXPECT_EQ(ReadUser(Sjis("Software\\Test\\日本"), "Escapes"), Sjis("q\"b\\t\tnAAgあ1"));
}

TEST_F(RegistryTest, LimitCountsTheTerminatingZero) {
    system.AddUserReg("[Software\\\\T] 1\n\"v\"=\"abc\"\n\"j\"=\"\\x65e5\"\n");
    EXPECT_EQ(Read(RegistryRoot::CurrentUser, "Software\\T", "v", 4), "abc");
    std::string value = "stale";
    EXPECT_EQ(Registry::ReadString(RegistryRoot::CurrentUser, "Software\\T", "v", 3, value),
              RegistryRead::TooLong);
    EXPECT_EQ(value, "");
    // The limit is in Shift-JIS bytes: one kanji takes two.
    EXPECT_EQ(Read(RegistryRoot::CurrentUser, "Software\\T", "j", 3), Sjis("日"));
    EXPECT_EQ(Read(RegistryRoot::CurrentUser, "Software\\T", "j", 2), "<none>");
}

TEST_F(RegistryTest, SoftwareOfA64BitPrefixPrefersThe32BitView) {
    system.AddSystemReg(
        "[Software\\\\Netscape\\\\Netscape 6] 1\n\"CurrentVersion\"=\"native\"\n"
        "[Software\\\\Wow6432Node\\\\Netscape\\\\Netscape 6] 1\n\"CurrentVersion\"=\"6.2\"\n"
        "[Software\\\\Opera Software] 1\n\"Last Directory\"=\"C:\\\\Opera\"\n");
    system.AddUserReg(
        "[Software\\\\Wow6432Node\\\\Opera Software] 1\n\"Last Directory\"=\"wow\"\n"
        "[Software\\\\Opera Software] 1\n\"Last Directory\"=\"user\"\n");
    const std::string netscape = "SOFTWARE\\Netscape\\Netscape 6";
    EXPECT_EQ(Read(RegistryRoot::LocalMachine, netscape, "CurrentVersion"), "native");
    EXPECT_FALSE(Registry::IsWin64());

    system.SetArch64(true);
    EXPECT_TRUE(Registry::IsWin64());
    EXPECT_EQ(Read(RegistryRoot::LocalMachine, netscape, "CurrentVersion"), "6.2");
    // Without a 32-bit twin the native key answers; an explicit Wow6432Node path is not doubled.
    EXPECT_EQ(Read(RegistryRoot::LocalMachine, "Software\\Opera Software", "Last Directory"),
              "C:\\Opera");
    EXPECT_EQ(Read(RegistryRoot::LocalMachine, "Software\\Wow6432Node\\Netscape\\Netscape 6",
                   "CurrentVersion"),
              "6.2");
    // HKEY_CURRENT_USER is not redirected.
    EXPECT_EQ(ReadUser("Software\\Opera Software", "Last Directory"), "user");
}

TEST_F(RegistryTest, FilesAreReadOncePerSystemAndOpenKeysSurviveAReset) {
    system.AddUserReg("[Software\\\\T] 1\n\"v\"=\"first\"\n");
    RegistryKey key;
    ASSERT_TRUE(Registry::OpenKey(RegistryRoot::CurrentUser, "Software\\T", key));

    std::ofstream(std::filesystem::path(system.Root()) / "user.reg", std::ios::trunc)
        << "WINE REGISTRY Version 2\n[Software\\\\T] 1\n\"v\"=\"second\"\n";
    EXPECT_EQ(ReadUser("Software\\T", "v"), "first");
    platform::Prefix::Reset();
    EXPECT_EQ(ReadUser("Software\\T", "v"), "second");

    std::string value;
    EXPECT_EQ(key.ReadString("v", kMax, value), RegistryRead::Found);
    EXPECT_EQ(value, "first");
}

TEST_F(RegistryTest, MissingPrefixOrFilesAreAnEmptyRegistry) {
    std::filesystem::remove(std::filesystem::path(system.Root()) / "user.reg");
    platform::Prefix::Reset();
    RegistryKey key;
    EXPECT_FALSE(Registry::OpenKey(RegistryRoot::CurrentUser, "", key));
    EXPECT_TRUE(Registry::OpenKey(RegistryRoot::LocalMachine, "", key));

    // Something other than a file in its place reads as missing, without waiting for a writer.
    const std::string fifo = system.Root() + "/user.reg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::remove(system.Root() + "/system.reg");
    std::filesystem::create_directory(system.Root() + "/system.reg");
    platform::Prefix::Reset();
    EXPECT_FALSE(Registry::OpenKey(RegistryRoot::CurrentUser, "", key));
    EXPECT_FALSE(Registry::OpenKey(RegistryRoot::LocalMachine, "", key));

    const std::string missing = system.Root() + "/no-such-prefix";
    setenv("WINEPREFIX", missing.c_str(), 1);
    platform::Prefix::Reset();
    EXPECT_FALSE(Registry::OpenKey(RegistryRoot::LocalMachine, "", key));
    EXPECT_EQ(ReadUser(kShellFolders, "Favorites"), "<none>");
    EXPECT_FALSE(Registry::IsWin64());
}

TEST_F(RegistryTest, DamagedLinesAreSkipped) {
    const std::string huge(3 * 1024 * 1024, 'h');
    WriteRaw(system, "user.reg",
             "WINE REGISTRY Version 2\r\n"
             "\"orphan\"=\"before any key\"\r\n"
             "[Software\\\\T] 1\r\n"
             "\"unterminated\"=\"abc\r\n"
             "\"badend\"=\"abc\\\r\n"
             "\"noequals\" \"x\"\r\n"
             "\"badtype\"=str(zz):\"x\"\r\n"
             "\"badhex\"=hex(2):4g,00\r\n"
             "\"cut\"=hex(2):41,00,\\\r\n"
             "\"after\"=\"kept\"\r\n"
             "\"huge\"=\"" +
                 huge +
                 "\"\r\n"
                 "garbage \x01\xff line\r\n"
                 "[Software\\\\Broken\r\n"
                 "\"lost\"=\"under a broken key\"\r\n"
                 "[Software\\\\T2] 1\r\n"
                 "\"x\"=\"\\x\"\r\n"
                 "\"cont\"=hex(1):41,00,\\\r\n"
                 "  42,00");
    const std::string t = "Software\\T";
    for (const char* name :
         {"orphan", "unterminated", "badend", "noequals", "badtype", "badhex", "cut", "lost"})
        EXPECT_EQ(ReadUser(t, name), "<none>") << name;
    EXPECT_EQ(ReadUser(t, "after"), "kept");
    std::string value;
    EXPECT_EQ(Registry::ReadString(RegistryRoot::CurrentUser, t, "huge", kMax, value),
              RegistryRead::TooLong);
    EXPECT_EQ(Read(RegistryRoot::CurrentUser, t, "huge", huge.size() + 1), huge);
    EXPECT_EQ(ReadUser("Software\\T2", "x"), "x");
    EXPECT_EQ(ReadUser("Software\\T2", "cont"), "AB");
}

TEST_F(RegistryTest, DeepKeysCostNoMoreThanTheirLine) {
    std::string deep;
    for (int level = 0; level < 200000; ++level) deep += "d\\\\";
    WriteRaw(system, "user.reg", "WINE REGISTRY Version 2\n[" + deep + "e] 1\n\"v\"=\"deep\"\n");
    RegistryKey key;
    EXPECT_TRUE(Registry::OpenKey(RegistryRoot::CurrentUser, "D\\d\\D", key));
    std::string path;
    for (int level = 0; level < 200000; ++level) path += "d\\";
    EXPECT_EQ(ReadUser(path + "e", "v"), "deep");
}

TEST_F(RegistryTest, WrongHeaderGivesAnEmptyFile) {
    for (const char* header : {"WINE REGISTRY Version 1\n", "REGEDIT4\n", "", "\xff\xfe"}) {
        WriteRaw(system, "user.reg", std::string(header) + "[Software\\\\T] 1\n\"v\"=\"x\"\n");
        EXPECT_EQ(ReadUser("Software\\T", "v"), "<none>") << header;
        RegistryKey key;
        EXPECT_FALSE(Registry::OpenKey(RegistryRoot::CurrentUser, "", key));
    }
}

// Random damage to a valid file: every variant reads without a crash or hang (the sanitizer
// build checks the memory accesses), and the first key still opens when its lines are intact.
TEST_F(RegistryTest, RandomlyDamagedFilesReadSafely) {
    const std::string valid =
        "WINE REGISTRY Version 2\n#arch=win64\n[A] 1\n\"v\"=\"ok\"\n"
        "[Software\\\\B\\\\C] 1\n#time=1\n\"s\"=str(2):\"%X%\\\\y\\x3042\\101\"\n"
        "\"h\"=hex(2):41,00,42,00,\\\n  43,00,00,00\n\"d\"=dword:00000001\n@=\"\\\"q\\\"\"\n";
    std::mt19937 random(12345);
    const std::string alphabet = "\\\"[]=:,()@#x0123456789abcdefhexstrdword\n\r \t\xff";
    for (int round = 0; round < 300; ++round) {
        std::string damaged = valid;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int edit = 0; edit < edits; ++edit) {
            const size_t pos = 24 + random() % (damaged.size() - 24);
            switch (random() % 3) {
                case 0:
                    damaged[pos] = alphabet[random() % alphabet.size()];
                    break;
                case 1:
                    damaged.erase(pos, 1 + random() % 8);
                    break;
                default:
                    damaged.insert(pos, 1, alphabet[random() % alphabet.size()]);
            }
            if (damaged.size() <= 25) damaged = valid;
        }
        if (random() % 4 == 0) damaged.resize(24 + random() % (damaged.size() - 24));
        WriteRaw(system, "user.reg", damaged);
        std::string value;
        RegistryKey key;
        for (const char* path : {"A", "Software\\B\\C", "Software\\B", ""}) {
            if (Registry::OpenKey(RegistryRoot::CurrentUser, path, key)) {
                for (const char* name : {"v", "s", "h", "d", ""}) key.ReadString(name, kMax, value);
            }
        }
    }
    WriteRaw(system, "user.reg", valid);
    EXPECT_EQ(ReadUser("Software\\B\\C", "h"), "ABC");
    EXPECT_EQ(ReadUser("Software\\B\\C", ""), "\"q\"");
    EXPECT_EQ(ReadUser("Software\\B\\C", "s"), "%X%\\y" + Sjis("あ") + "A");
}

TEST_F(RegistryTest, RealPrefixFilesRead) {
    SKIP_WITHOUT_SHARED();
    const std::string corpus = SharedDir() + "/corpus/wine-reg/";
    system.InstallRegistryFiles(corpus + "winecharm-user.reg",
                                corpus + "winecharm-system-small.reg");

    EXPECT_TRUE(Registry::IsWin64());
    EXPECT_EQ(ReadUser(kShellFolders, "Favorites"), "%USERPROFILE%\\Favorites");
    EXPECT_EQ(ReadUser(kShellFolders, "AppData"), "%USERPROFILE%\\AppData\\Roaming");
    EXPECT_EQ(ReadUser("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                       "Favorites"),
              "C:\\users\\rizvan\\Favorites");
    const std::string internet = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    std::string value;
    EXPECT_EQ(Registry::ReadString(RegistryRoot::CurrentUser, internet, "ProxyServer", kMax, value),
              RegistryRead::NotFound);
    EXPECT_EQ(Registry::ReadString(RegistryRoot::CurrentUser, internet, "ProxyEnable", kMax, value),
              RegistryRead::WrongType);
    EXPECT_EQ(ReadUser(internet, "User Agent"), "Mozilla/4.0 (compatible; MSIE 8.0; Win32)");
    // The last key of each file comes through, so no line stopped the reader.
    EXPECT_EQ(ReadUser("Volatile Environment", "USERNAME"), "rizvan");
    EXPECT_EQ(Read(RegistryRoot::LocalMachine,
                   "System\\CurrentControlSet\\Services\\Tcpip\\Parameters", "Hostname"),
              "fedora");
    EXPECT_EQ(
        Read(RegistryRoot::LocalMachine,
             "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProfilesDirectory"),
        "C:\\users");
}

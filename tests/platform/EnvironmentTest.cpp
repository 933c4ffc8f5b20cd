#include <cstdlib>
#include <filesystem>

#include "common/EmulatedSystem.h"
#include "platform/Environment.h"
#include "platform/Prefix.h"

using platform::Environment;
using platform::ShellFolderRead;

namespace {

constexpr const char* kSessionEnvironment =
    "[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1\n";

// Sets a process variable for one test and removes it again.
class ProcessVariable {
public:
    ProcessVariable(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
    ~ProcessVariable() { unsetenv(name_); }

private:
    const char* name_;
};

}  // namespace

class EnvironmentTest : public EmulatedSystemTest {};

TEST_F(EnvironmentTest, WineDefaultsFollowTheLogonUser) {
    EXPECT_EQ(Environment::Expand("%USERPROFILE%\\Favorites"), "C:\\users\\tester\\Favorites");
    EXPECT_EQ(Environment::Expand("%appdata%|%WINDIR%|%SystemRoot%"),
              "C:\\users\\tester\\AppData\\Roaming|C:\\windows|C:\\windows");
    EXPECT_EQ(Environment::Expand("%ProgramFiles%"), "C:\\Program Files");
    system.SetArch64(true);
    EXPECT_EQ(Environment::Expand("%ProgramFiles%"), "C:\\Program Files (x86)");
}

TEST_F(EnvironmentTest, UserKeyThenSystemKeyThenDefaultsThenProcess) {
    system.AddUserReg("[Environment] 1\n\"TEMP\"=\"user temp\"\n\"BOTH\"=\"from user\"\n");
    system.AddSystemReg(std::string(kSessionEnvironment) +
                        "\"BOTH\"=\"from system\"\n\"windir\"=\"D:\\\\win\"\n"
                        "\"OnlySystem\"=\"system\"\n");
    ProcessVariable shadowed("USERPROFILE", "/home/someone");
    ProcessVariable own("PENNAWICK_ENV_TEST", "process \xe6\x97\xa5");
    std::string value;
    EXPECT_TRUE(Environment::Get("both", value));
    EXPECT_EQ(value, "from user");
    EXPECT_EQ(Environment::Expand("%TEMP%;%ONLYSYSTEM%;%windir%"), "user temp;system;D:\\win");
    EXPECT_EQ(Environment::Expand("%USERPROFILE%"), "C:\\users\\tester");
    EXPECT_EQ(Environment::Expand("%pennawick_env_test%"), Sjis("process 日"));
    EXPECT_FALSE(Environment::Get("PENNAWICK_NOT_SET_ANYWHERE", value));
    EXPECT_EQ(value, "");
}

TEST_F(EnvironmentTest, ExpandableRegistryValuesAreExpandedOnce) {
    system.AddUserReg(
        "[Environment] 1\n"
        "\"USERPROFILE\"=\"D:\\\\profiles\\\\me\"\n"
        "\"Cache\"=str(2):\"%APPDATA%\\\\cache\"\n"
        "\"Literal\"=\"%windir%\"\n"
        "\"Loop\"=str(2):\"%Loop%x\"\n"
        "\"Ping\"=str(2):\"%Pong%\"\n"
        "\"Pong\"=str(2):\"%Ping%\"\n"
        "\"Japanese\"=\"\\x65e5\\x672c\"\n");
    // APPDATA's default follows the registry's USERPROFILE.
    EXPECT_EQ(Environment::Expand("%Cache%"), "D:\\profiles\\me\\AppData\\Roaming\\cache");
    // A REG_SZ value is text; the expansion does not rescan what it inserted.
    EXPECT_EQ(Environment::Expand("%Literal%"), "%windir%");
    EXPECT_EQ(Environment::Expand("%Loop%"), "%Loop%x");
    EXPECT_EQ(Environment::Expand("%Ping%"), "%Ping%");
    EXPECT_EQ(Environment::Expand("%JAPANESE%\\x"), Sjis("日本\\x"));
}

TEST_F(EnvironmentTest, ValuesThatDoubleAtEachLevelStayBounded) {
    std::string lines = "[Environment] 1\n";
    for (int level = 0; level < 40; ++level) {
        const std::string next = "%L" + std::to_string(level + 1) + "%";
        lines += "\"L" + std::to_string(level) + "\"=str(2):\"" + next + next + "\"\n";
    }
    lines += "\"L40\"=\"ab\"\n";
    system.AddUserReg(lines);
    const std::string expanded = Environment::Expand("%L0%");
    EXPECT_EQ(expanded.size(), 32767u);
    EXPECT_EQ(expanded.substr(0, 6), "ababab");
}

// Damaged or hostile Environment keys: a chain of values each naming the next, and a value naming
// a great many unset names, expand in bounded time and stack.
TEST_F(EnvironmentTest, LongChainsAndManyNamesStayBounded) {
    std::string lines = "[Environment] 1\n";
    const int links = 100000;
    for (int link = 0; link < links; ++link) {
        lines +=
            "\"V" + std::to_string(link) + "\"=str(2):\"%V" + std::to_string(link + 1) + "%\"\n";
    }
    for (int link = 0; link < 5; ++link) {
        lines +=
            "\"S" + std::to_string(link) + "\"=str(2):\"%S" + std::to_string(link + 1) + "%\"\n";
    }
    lines += "\"S5\"=\"end\"\n\"Many\"=str(2):\"";
    for (int name = 0; name < 200000; ++name) lines += "%u" + std::to_string(name) + "%";
    lines += "\"\n";
    system.AddUserReg(lines);
    EXPECT_EQ(Environment::Expand("%S0%"), "end");
    const std::string chain = Environment::Expand("%V0%");
    EXPECT_TRUE(chain.starts_with("%V") && chain.ends_with("%")) << chain;
    const std::string many = Environment::Expand("%Many%");
    EXPECT_EQ(many.size(), 32767u);
    EXPECT_TRUE(many.starts_with("%u0%%u1%%u2%")) << many.substr(0, 20);
}

TEST_F(EnvironmentTest, UnsetNamesAndStrayPercentSignsStay) {
    EXPECT_EQ(Environment::Expand("100%"), "100%");
    EXPECT_EQ(Environment::Expand("%%"), "%%");
    EXPECT_EQ(Environment::Expand("%NOPE%"), "%NOPE%");
    // The closing sign of an unset name can open the next one.
    EXPECT_EQ(Environment::Expand("%NOPE%windir%\\x"), "%NOPEC:\\windows\\x");
    EXPECT_EQ(Environment::Expand("a%windir"), "a%windir");
    EXPECT_EQ(Environment::Expand(Sjis("%windir%\\表%")), Sjis("C:\\windows\\表%"));
}

TEST_F(EnvironmentTest, ExpandWithALimitFailsWhenTheResultDoesNotFit) {
    std::string out;
    EXPECT_TRUE(Environment::Expand("%windir%", 11, out));  // "C:\windows" and its zero
    EXPECT_EQ(out, "C:\\windows");
    EXPECT_FALSE(Environment::Expand("%windir%", 10, out));
    EXPECT_EQ(out, "");
}

TEST_F(EnvironmentTest, UserShellFolders) {
    std::string path;
    EXPECT_EQ(Environment::UserShellFolder("Favorites", 260, path), ShellFolderRead::NoKey);
    system.AddUserReg(
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] 1\n"
        "\"Favorites\"=str(2):\"%USERPROFILE%\\\\Favorites\"\n"
        "\"Personal\"=\"C:\\\\Docs\"\n\"Bad\"=dword:1\n");
    EXPECT_EQ(Environment::UserShellFolder("favorites", 260, path), ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\users\\tester\\Favorites");
    EXPECT_EQ(Environment::UserShellFolder("Personal", 260, path), ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\Docs");
    EXPECT_EQ(Environment::UserShellFolder("AppData", 260, path), ShellFolderRead::NoValue);
    EXPECT_EQ(Environment::UserShellFolder("Bad", 260, path), ShellFolderRead::NoValue);
    // The stored text fits in 25 bytes, its expansion does not.
    EXPECT_EQ(Environment::UserShellFolder("Favorites", 25, path), ShellFolderRead::TooLong);
    EXPECT_EQ(path, "");
}

TEST_F(EnvironmentTest, RealPrefixShellFoldersExpandWithTheLogonUser) {
    SKIP_WITHOUT_SHARED();
    const std::string corpus = SharedDir() + "/corpus/wine-reg/";
    system.InstallRegistryFiles(corpus + "winecharm-user.reg",
                                corpus + "winecharm-system-small.reg");
    std::string path;
    EXPECT_EQ(Environment::UserShellFolder("Favorites", 260, path), ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\users\\tester\\Favorites");
    EXPECT_EQ(Environment::UserShellFolder("AppData", 260, path), ShellFolderRead::Found);
    EXPECT_EQ(path, "C:\\users\\tester\\AppData\\Roaming");
    EXPECT_EQ(Environment::Expand("%TEMP%|%PROCESSOR_ARCHITECTURE%"),
              "C:\\users\\rizvan\\Temp|AMD64");
}

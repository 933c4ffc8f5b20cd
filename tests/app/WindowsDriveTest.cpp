#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/ConversionWorkflow.h"
#include "app/ConverterApp.h"
#include "app/WizardHost.h"
#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsRoot.h"

namespace fs = std::filesystem;

namespace {

// Every file below a folder by its relative path: its bytes, or with `times` also its mode and
// its modification and change times.
std::map<std::string, std::string> Snapshot(const fs::path& folder, bool times) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string state;
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            state = std::string(std::istreambuf_iterator<char>(in), {});
        }
        if (times) {
            struct stat info {};
            lstat(entry.path().c_str(), &info);
            state +=
                "|" + std::to_string(info.st_mode) + "|" + std::to_string(info.st_mtim.tv_sec) +
                "." + std::to_string(info.st_mtim.tv_nsec) + "|" +
                std::to_string(info.st_ctim.tv_sec) + "." + std::to_string(info.st_ctim.tv_nsec);
        }
        if (times || entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = state;
    }
    return files;
}

// chmod -R a-w, or u+w back (root ignores the bits: the snapshots are the real check).
void SetWritable(const fs::path& folder, bool writable) {
    const auto apply = [&](const fs::path& path) {
        if (writable)
            fs::permissions(path, fs::perms::owner_write,
                            fs::perm_options::add | fs::perm_options::nofollow);
        else
            fs::permissions(
                path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove | fs::perm_options::nofollow);
    };
    apply(folder);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink()) apply(entry.path());
    }
}

class Wizard : public WizardHost {
public:
    explicit Wizard(std::function<void(ConversionWorkflow&)> body) : body_(std::move(body)) {}
    int Run(ConverterApp& app) override {
        ConversionWorkflow workflow(app);
        body_(workflow);
        return 0;
    }

private:
    std::function<void(ConversionWorkflow&)> body_;
};

// What a whole conversion showed and wrote.
struct Conversion {
    std::vector<std::string> rows;    // count|kind|user|path, UTF-8
    std::vector<std::string> counts;  // item counts after the import
    std::vector<std::string> messages;
    std::map<std::string, std::string> output;  // files by relative path
};

}  // namespace

// The sample system of tools/gen_demo_system.py generated as a Wine prefix and as Windows drives,
// converted through the whole workflow (every profile imported, all six formats written).
class WindowsDriveTest : public EmulatedSystemTest {
protected:
    void Generate(const std::string& arguments) {
        const std::string command = "python3 " + std::string(PENNAWICK_TEST_DATA) +
                                    "/../../tools/gen_demo_system.py " + arguments + " '" +
                                    (work / "urldb.db").string() + "' " +
                                    std::to_string(EmulatedSystem::kNow) + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    // Runs the program from a folder of its own outside the systems and writes below another.
    Conversion Convert(const std::string& name) {
        const fs::path program = work / ("program-" + name);
        const fs::path out = work / ("out-" + name);
        fs::create_directories(program);
        fs::create_directories(out);
        fs::copy_file(work / "urldb.db", program / "urldb.db");
        std::ofstream(program / "portable");  // its own files stay beside it
        prompt.folders.push_back(platform::PathMap::ToInternal(out.string()));
        Conversion conversion;
        Wizard wizard([&](ConversionWorkflow& workflow) {
            EXPECT_TRUE(workflow.ImportKorvadelDatabase(true));
            for (const auto& row : workflow.ListProfiles()) {
                conversion.rows.push_back(row.count + "|" + row.kind + "|" + Utf8(row.user) + "|" +
                                          Utf8(row.path));
            }
            for (size_t row = 0; row < conversion.rows.size(); ++row) {
                workflow.ImportProfile(static_cast<int>(row));
                conversion.counts.push_back(workflow.RowAt(static_cast<int>(row)).count);
            }
            workflow.OpenCreationPage();
            EXPECT_TRUE(workflow.CreateFavorites({true, true, true, true, true, true}));
        });
        ConverterApp app;
        app.InitInstance(wizard,
                         platform::PathMap::ToInternal((program / "pennawick.exe").string()));
        for (const auto& message : prompt.messages)
            conversion.messages.push_back(Utf8(message.text));
        prompt.messages.clear();
        conversion.output = Snapshot(out, false);
        return conversion;
    }

    Conversion ConvertPrefix() {
        Generate("'" + (work / "prefix").string() + "'");
        setenv("WINEPREFIX", (work / "prefix").c_str(), 1);
        platform::Prefix::Reset();
        // Wine's logon user is the one running the program: the same name as the drive's.
        platform::SystemInfo::PinLogonUser(Sjis("太郎"));
        return Convert("prefix");
    }

    const fs::path work = fs::path(system.Root()) / "work";
    ScriptedUserPrompt prompt;
};

TEST_F(WindowsDriveTest, ADriveConvertsAsItsPrefixDoesAndStaysUntouched) {
    const Conversion prefix = ConvertPrefix();
    ASSERT_EQ(prefix.rows.size(), 8u);
    ASSERT_GT(prefix.output.size(), 40u);
    for (const char* kind : {"xp", "7", "2000"}) {
        SCOPED_TRACE(kind);
        const fs::path root = work / kind;
        Generate(std::string("--windows ") + kind + " '" + root.string() + "'");
        const std::string error = platform::WindowsRoot::Use({root.string(), "", {}});
        ASSERT_EQ(error, "") << Utf8(error);
        SetWritable(root, false);
        const auto before = Snapshot(root, true);
        const Conversion drive = Convert(kind);
        EXPECT_EQ(Snapshot(root, true), before);
        SetWritable(root, true);

        // The folders differ as the two systems lay out a profile; the drive's opera6.ini names
        // its hotlist in capitals, as a Windows user may have typed it.
        const std::string home =
            std::string(kind) == "7" ? "C:\\Users\\太郎" : "C:\\Documents and Settings\\太郎";
        const std::string appData =
            home + (std::string(kind) == "7" ? "\\AppData\\Roaming" : "\\Application Data");
        std::vector<std::string> expected = prefix.rows;
        for (std::string& row : expected) {
            for (const auto& [wine, windows] :
                 {std::pair<std::string, std::string>{"C:\\users\\demo\\AppData\\Roaming", appData},
                  {"C:\\users\\demo", home},
                  {"C:\\Program Files\\Opera\\", "C:\\PROGRAM FILES\\OPERA\\"},
                  {"C:\\windows", std::string(kind) == "2000" ? "C:\\WINNT" : "C:\\WINDOWS"}}) {
                if (size_t at = row.find(wine); at != std::string::npos)
                    row.replace(at, wine.size(), windows);
            }
        }
        EXPECT_EQ(drive.rows, expected);
        EXPECT_EQ(drive.counts, prefix.counts);
        EXPECT_EQ(drive.messages, prefix.messages);
        EXPECT_EQ(drive.output, prefix.output);
    }
}

// A damaged NTUSER.DAT is named to the user and in the log; the rest of the drive converts.
TEST_F(WindowsDriveTest, ADamagedUserHiveIsReportedAndTheRestIsConverted) {
    const fs::path root = work / "xp";
    Generate("--windows xp '" + root.string() + "'");
    fs::resize_file(root / "Documents and Settings" / "太郎" / "NTUSER.DAT", 600);
    ASSERT_EQ(platform::WindowsRoot::Use({root.string(), "", {}}), "");
    const Conversion drive = Convert("xp");
    ASSERT_FALSE(drive.messages.empty());
    const std::string refused =
        "レジストリファイル「C:\\Documents and Settings\\太郎\\NTUSER.DAT」を読み込めません";
    EXPECT_EQ(drive.messages[0].rfind(refused, 0), 0u) << drive.messages[0];
    std::string log;
    for (const auto& file : fs::directory_iterator(work / "program-xp")) {
        if (file.path().extension() == ".log") {
            std::ifstream in(file.path(), std::ios::binary);
            log += std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    EXPECT_NE(log.find("-E] " + Sjis(refused)), std::string::npos);
    // Without HKEY_CURRENT_USER, Internet Explorer has no favorites folder and there is neither
    // Mozilla nor Opera.
    ASSERT_EQ(drive.rows.size(), 3u);
    EXPECT_EQ(drive.rows[0], "    0|I.E.|太郎|");
    EXPECT_NE(drive.counts[1], "    0");  // Netscape 4.x imports as before
}

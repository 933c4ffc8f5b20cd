// One whole conversion end to end on a generated machine (WINEPREFIX points at a temporary
// folder, never at the real home): start-up with browser detection, import of a urldb.db of 100k
// records, import of five browser profiles of 10k bookmarks each (Internet Explorer, Netscape
// 4.x, two Mozilla profiles, Opera 6), and all six output formats. Each step's time and the
// process's peak memory are reported as counters; BM_ConversionFloor gives each step's floor on
// the same machine, and the table after the runs sets the steps against their floors.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BenchPrefix.h"
#include "RatioTable.h"
#include "UrlDbBaseline.h"
#include "app/ConversionWorkflow.h"
#include "app/ConverterApp.h"
#include "app/WizardHost.h"
#include "platform/Cp932.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "records/URLDB.h"
#include "support/UserPrompt.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRecords = 100000;
constexpr int kBookmarks = 10000;
constexpr int kPerFolder = 100;

const char* const kWords[] = {"ニュース",   "天気予報", "表示設定", "ソフトウェア", "旅行",
                              "料理レシピ", "株価",     "能力開発", "辞書",         "地図"};

// Writes the generated machine once: registry, Korvadel database and five browser profiles.
class Machine {
public:
    Machine() {
        root_ = MakeBenchPrefix();
        // The program's folder holds the portable marker, so that it finds urldb.db beside it.
        Write(Native("bench/portable"), "");
        WriteRegistry();
        WriteDatabase();
        WriteFavorites();
        WriteNetscape();
        WriteMozilla();
        WriteOpera();
    }
    ~Machine() { fs::remove_all(root_); }

    fs::path Native(const std::string& relative) const { return root_ + "/drive_c/" + relative; }

private:
    static void Write(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // Record j of the Korvadel database.
    static std::string DatabaseUrl(int j) {
        char text[80];
        std::snprintf(text, sizeof text, "http://www%03d.example.co.jp/page%06d.html", j % 997, j);
        return text;
    }
    // Bookmark i of profile p: every other one is also held by the Korvadel database.
    static std::string Url(int profile, int i) {
        if (i % 2 == 0) return DatabaseUrl((profile * kBookmarks + i) % kRecords);
        char text[80];
        std::snprintf(text, sizeof text, "http://site%d.example.org/%d/index.html", profile, i);
        return text;
    }
    static std::string Title(int i) {
        return platform::Cp932::FromUtf8(kWords[i % 10]) + std::to_string(i);
    }

    void WriteRegistry() const {
        Write(root_ + "/user.reg",
              "WINE REGISTRY Version 2\n\n"
              "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell "
              "Folders] 1700000000\n"
              "\"Favorites\"=\"C:\\\\users\\\\bench\\\\Favorites\"\n"
              "\"AppData\"=\"C:\\\\users\\\\bench\\\\AppData\"\n\n"
              "[Software\\\\Opera Software] 1700000000\n"
              "\"Last Directory\"=\"C:\\\\Opera\"\n");
        Write(root_ + "/system.reg",
              "WINE REGISTRY Version 2\n\n"
              "[Software\\\\Netscape\\\\Netscape Navigator] 1700000000\n"
              "\"CurrentVersion\"=\"4.79\"\n\n"
              "[Software\\\\Netscape\\\\Netscape Navigator\\\\4.79\\\\Main] 1700000000\n"
              "\"Install Directory\"=\"C:\\\\Netscape\"\n\n"
              "[Software\\\\Netscape\\\\Netscape 6] 1700000000\n"
              "\"CurrentVersion\"=\"6.2\"\n\n"
              "[Software\\\\Netscape\\\\Netscape 6\\\\6.2\\\\Main] 1700000000\n"
              "\"PathToExe\"=\"C:\\\\Netscape 6\\\\Netscp6.exe\"\n");
    }

    // A profile list as the registry stores values: name, terminator, zero-terminated text.
    static std::string ProfileList(const std::string& key,
                                   const std::vector<std::string>& folders) {
        std::string bytes("\x41\x44\x64\x76\x01\x00\x02\x00", 8);
        bytes.resize(128, '\0');
        for (const std::string& folder : folders) bytes += key + '\0' + folder + '\0';
        return bytes;
    }

    void WriteDatabase() const {
        std::vector<std::string> urls;
        for (int j = 0; j < kRecords; ++j) urls.push_back(DatabaseUrl(j));
        std::sort(urls.begin(), urls.end());
        std::mt19937 random(20261209);
        std::string text = "size=" + std::to_string(urls.size()) + "\r\n";
        for (size_t i = 0; i < urls.size(); ++i) {
            text += "0," + urls[i] + "\r\n1," + Title(static_cast<int>(i)) + "\r\n2,\r\n3,OK\r\n";
            text += "5,0\r\n6," + std::to_string(random() % 20) + "\r\n7," +
                    std::to_string(random() % 3) + "\r\n8,200\r\n9,1700000000\r\n10,1700000000\r\n";
            text +=
                "11,1700000000\r\n12,0\r\n13,1700000000\r\n14,0\r\n15,\r\n16,\r\n17,0\r\n"
                "18,0\r\n19,0\r\n";
        }
        Write(Native("bench/urldb.db"), text);
    }

    void WriteFavorites() const {
        for (int i = 0; i < kBookmarks; ++i) {
            const fs::path file =
                Native("users/bench/Favorites/Folder" + std::to_string(i / kPerFolder) + "/Site" +
                       std::to_string(i) + ".url");
            if (i % kPerFolder == 0) fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary)
                << "[InternetShortcut]\r\nURL=" << Url(1, i) << "\r\n";
        }
    }

    // A bookmark file of kBookmarks links in folders of kPerFolder.
    static std::string NetscapeFile(int profile, bool utf8) {
        std::string text =
            "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<TITLE>Bookmarks</TITLE>\r\n"
            "<DL><p>\r\n";
        for (int i = 0; i < kBookmarks; ++i) {
            if (i % kPerFolder == 0)
                text += "    <DT><H3 ADD_DATE=\"0\">Folder" + std::to_string(i / kPerFolder) +
                        "</H3>\r\n    <DL><p>\r\n";
            const std::string title = utf8 ? platform::Cp932::ToUtf8(Title(i)) : Title(i);
            text += "        <DT><A HREF=\"" + Url(profile, i) + "\" ADD_DATE=\"0\">" + title +
                    "</A>\r\n";
            if (i % kPerFolder == kPerFolder - 1) text += "    </DL><p>\r\n";
        }
        return text + "</DL><p>\r\n";
    }

    void WriteNetscape() const {
        Write(Native("windows/nsreg.dat"), ProfileList("ProfileLocation", {"C:\\Netscape\\bench"}));
        Write(Native("Netscape/bench/bookmark.htm"), NetscapeFile(2, false));
        Write(Native("Netscape/bench/prefs.js"), "user_pref(\"browser.x\", 1);\r\n");
    }

    void WriteMozilla() const {
        std::vector<std::string> folders;
        for (int p = 0; p < 2; ++p) {
            const std::string name = "users/bench/AppData/Mozilla/Profiles/user" +
                                     std::to_string(p) + "/abcd123" + std::to_string(p) + ".slt";
            Write(Native(name + "/bookmarks.html"), NetscapeFile(3 + p, true));
            Write(Native(name + "/prefs.js"), "user_pref(\"browser.x\", 1);\n");
            std::string internal = "C:\\" + name;
            for (char& c : internal)
                if (c == '/') c = '\\';
            folders.push_back(internal);
        }
        Write(Native("users/bench/AppData/Mozilla/registry.dat"),
              ProfileList("directory", folders));
    }

    void WriteOpera() const {
        Write(Native("Opera/opera6.ini"),
              "[User Prefs]\r\nHot List File Ver2=C:\\Opera\\opera6.adr\r\n");
        std::string text =
            "Opera Hotlist version 2.0\r\nOptions: encoding = utf8, version=3\r\n\r\n";
        for (int i = 0; i < kBookmarks; ++i) {
            if (i % kPerFolder == 0)
                text += "#FOLDER\r\n\tNAME=Folder" + std::to_string(i / kPerFolder) + "\r\n\r\n";
            text += "#URL\r\n\tNAME=" + platform::Cp932::ToUtf8(Title(i)) +
                    "\r\n\tURL=" + Url(5, i) + "\r\n\r\n";
            if (i % kPerFolder == kPerFolder - 1) text += "-\r\n";
        }
        Write(Native("Opera/opera6.adr"), text);
    }

    std::string root_;
};

// Answers the folder question with the output folder and every message with its first button.
class BenchPrompt : public UserPrompt {
public:
    Answer ShowMessage(const std::string&, const std::string&, Buttons, Icon) override {
        ++messages;
        return Answer::Ok;
    }
    // A fresh output folder per run, since deleting the previous run's files would slow the
    // file system's next creations.
    std::optional<std::string> AskFolder(const std::string&) override {
        return "C:\\out" + std::to_string(folder);
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                               const std::string&) override {
        return std::nullopt;
    }
    int messages = 0;
    int folder = 0;
};

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double Milliseconds(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

// Steps 1, 2 and 4 of the wizard, timed.
class BenchWizard : public WizardHost {
public:
    explicit BenchWizard(bool shortcuts) {
        ticks[ConversionWorkflow::kInternetExplorer] = shortcuts;
    }
    int Run(ConverterApp& app) override {
        started = Clock::now();
        ConversionWorkflow workflow(app);
        workflow.ImportKorvadelDatabase(true);
        imported = Clock::now();
        const int rows = static_cast<int>(workflow.ListProfiles().size());
        for (int row = 0; row < rows; ++row) items += workflow.ImportProfile(row) ? 1 : 0;
        profiles = Clock::now();
        workflow.OpenCreationPage();
        workflow.CreateFavorites(ticks);
        created = Clock::now();
        databaseRecords = app.GetURLDB()->GetCount();
        return 0;
    }
    Clock::time_point started, imported, profiles, created;
    std::array<bool, ConversionWorkflow::kFormatCount> ticks = {true, true, true, true, true, true};
    int items = 0;
    int databaseRecords = 0;
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

void BM_Conversion(benchmark::State& state) {
    Machine& machine = TheMachine();
    // The generator's own high-water mark, before any conversion ran.
    static const double setupPeak = PeakMegabytes();
    BenchPrompt prompt;
    UserPrompt::Install(&prompt);
    double steps[5] = {};
    // Argument 1: all six formats; 0: without the Internet Explorer tree of shortcut files,
    // whose one file per bookmark makes that format the file system's benchmark.
    BenchWizard wizard(state.range(0) == 1);
    for (auto _ : state) {
        state.PauseTiming();
        static int runs = 0;
        prompt.folder = ++runs;
        fs::create_directories(machine.Native("out" + std::to_string(runs)));
        state.ResumeTiming();
        const Clock::time_point begin = Clock::now();
        ConverterApp app;
        app.InitInstance(wizard, "C:\\bench\\pennawick.exe");
        const Clock::time_point end = Clock::now();
        steps[0] += Milliseconds(wizard.started - begin);
        steps[1] += Milliseconds(wizard.imported - wizard.started);
        steps[2] += Milliseconds(wizard.profiles - wizard.imported);
        steps[3] += Milliseconds(wizard.created - wizard.profiles);
        steps[4] += Milliseconds(end - wizard.created);
    }
    UserPrompt::Install(nullptr);
    if (wizard.databaseRecords != kRecords) state.SkipWithError("urldb.db not fully imported");
    if (wizard.items != 5) state.SkipWithError("not every profile imported");
    const char* names[5] = {"startup_ms", "import_db_ms", "import_profiles_ms", "create_ms",
                            "shutdown_ms"};
    for (int i = 0; i < 5; ++i)
        state.counters[names[i]] = benchmark::Counter(steps[i], benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = PeakMegabytes();
    state.counters["setup_peak_MB"] = setupPeak;
}
BENCHMARK(BM_Conversion)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

// Every file below a folder (folders first, in the order walked) and its bytes.
struct Tree {
    std::vector<std::string> folders;                                     // relative
    std::vector<std::pair<std::string, std::vector<std::string>>> files;  // relative, bytes
};

Tree ReadTree(const fs::path& root) {
    Tree tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_directory()) {
            tree.folders.push_back(relative);
        } else {
            // Pieces of 64 KiB, which reuse freed memory where one large block would be mapped.
            std::vector<std::string> pieces;
            std::ifstream in(entry.path(), std::ios::binary);
            for (uintmax_t left = entry.file_size(); left > 0;) {
                std::string& piece = pieces.emplace_back(std::min<uintmax_t>(left, 65536), '\0');
                in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
                left -= piece.size();
            }
            tree.files.emplace_back(relative, std::move(pieces));
        }
    }
    return tree;
}

// Reads a file whole by open, read, close and counts its lines; -1 when it cannot be opened.
long ReadLines(const std::string& native) {
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    std::string bytes;
    char buffer[65536];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, got);
    close(fd);
    return std::count(bytes.begin(), bytes.end(), '\n');
}

// The floor of each step on the same machine: the database read into plain structs (the
// baseline of bench_FavoritesFile); every profile's bookmark files (the shortcut files of the
// Internet Explorer tree, the Netscape and Opera files) read and split into lines; and the files
// and folders of a conversion with all six formats (BM_Conversion/1's first output) made again
// with the same bytes by plain mkdir and open, write, close. Start-up and shutdown have no floor.
void BM_ConversionFloor(benchmark::State& state) {
    Machine& machine = TheMachine();
    std::vector<std::string> inputs;
    for (const fs::directory_entry& entry :
         fs::recursive_directory_iterator(machine.Native("users/bench/Favorites"))) {
        if (entry.is_regular_file()) inputs.push_back(entry.path().string());
    }
    for (const char* file :
         {"Netscape/bench/bookmark.htm", "Opera/opera6.adr",
          "users/bench/AppData/Mozilla/Profiles/user0/abcd1230.slt/bookmarks.html",
          "users/bench/AppData/Mozilla/Profiles/user1/abcd1231.slt/bookmarks.html"}) {
        inputs.push_back(machine.Native(file).string());
    }
    const std::string database =
        platform::PathMap::ToInternal(machine.Native("bench/urldb.db").string());
    double steps[3] = {};
    size_t records = 0;
    long lines = 0;
    int written = 0;
    size_t files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        static int runs = 0;
        const std::string target = machine.Native("floor" + std::to_string(++runs)).string();
        fs::create_directories(target);
        state.ResumeTiming();
        const Clock::time_point begin = Clock::now();
        // In blocks, which reuse the memory the conversion has freed instead of mapping more.
        std::deque<PlainRecord> plain;
        records = BaselineLoad(database, plain);
        const Clock::time_point read = Clock::now();
        // The records and the output's bytes are held one after the other, so that the floor
        // needs no more memory than the conversion.
        state.PauseTiming();
        std::deque<PlainRecord>().swap(plain);
        state.ResumeTiming();
        const Clock::time_point profilesBegin = Clock::now();
        lines = 0;
        for (const std::string& input : inputs) lines += ReadLines(input);
        const Clock::time_point profiles = Clock::now();
        state.PauseTiming();
        Tree output = ReadTree(machine.Native("out1"));
        state.ResumeTiming();
        const Clock::time_point createBegin = Clock::now();
        written = 0;
        for (const std::string& folder : output.folders)
            mkdir((target + "/" + folder).c_str(), 0777);
        for (const auto& [name, bytes] : output.files) {
            const int fd =
                open((target + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) continue;
            bool whole = true;
            for (const std::string& piece : bytes)
                whole = whole &&
                        write(fd, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size());
            written += whole ? 1 : 0;
            close(fd);
        }
        const Clock::time_point created = Clock::now();
        files = output.files.size();
        steps[0] += Milliseconds(read - begin);
        steps[1] += Milliseconds(profiles - profilesBegin);
        steps[2] += Milliseconds(created - createBegin);
        benchmark::DoNotOptimize(lines);
        state.PauseTiming();
        output = Tree{};
        state.ResumeTiming();
    }
    if (records != kRecords) state.SkipWithError("urldb.db not fully read");
    if (written != static_cast<int>(files)) state.SkipWithError("files not written");
    const char* names[3] = {"import_db_ms", "import_profiles_ms", "create_ms"};
    for (int i = 0; i < 3; ++i)
        state.counters[names[i]] = benchmark::Counter(steps[i], benchmark::Counter::kAvgIterations);
    state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_ConversionFloor)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(
        argc, argv,
        {Ratio::Within("whole conversion, six formats / 500 ms", "BM_Conversion/1", 500),
         {"whole conversion, six formats / sum of the step floors", "BM_Conversion/1",
          "BM_ConversionFloor"},
         {"  import urldb.db 100k / plain structs", "BM_Conversion/1", "BM_ConversionFloor", 0,
          "import_db_ms"},
         {"  import five profiles / read their files", "BM_Conversion/1", "BM_ConversionFloor", 0,
          "import_profiles_ms"},
         {"  create six formats / open+write+close the same files", "BM_Conversion/1",
          "BM_ConversionFloor", 0, "create_ms"}});
}

// Peak memory and time of every reader of outside files on generated worst cases: deep nesting,
// one huge line without a line end, millions of tiny items, a title of 10 MB. Each case runs in
// a forked child on a file written beforehand, at full size and at a quarter of it; the table
// gives the child's peak resident size against 16 x the input's size + 64 MiB, and how much
// longer the full size took than the quarter (4 for linear time, 16 for quadratic). Inputs live
// in a temporary Wine-prefix-shaped folder removed at the end. A case over the bound is marked
// OVER; the program exits 1 only when a child fails (crashes or ends with an error).
//   bench_MemoryBounds [filter]   runs the cases whose "reader/case" name contains filter
#include <malloc.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchPrefix.h"
#include "browsers/BrowserProfile.h"
#include "browsers/MSBrowser.h"
#include "browsers/NNProfileFinder.h"
#include "browsers/NNV4Browser.h"
#include "browsers/NNV6Browser.h"
#include "browsers/Opera6Browser.h"
#include "platform/IniFile.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "records/URLDB.h"
#include "stores/FavoritesFile.h"
#include "support/Log.h"

namespace fs = std::filesystem;

namespace {

std::string root;

std::string Native(const std::string& relative) {
    return root + "/drive_c/" + relative;
}

// Streams generated text to a file without holding it: Put buffers up to a megabyte.
class Output {
public:
    explicit Output(const std::string& path) : out_(path, std::ios::binary) {}
    ~Output() { out_ << buffer_; }
    void Put(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() > (1 << 20)) {
            out_ << buffer_;
            buffer_.clear();
        }
    }
    void Repeat(std::string_view text, uint64_t times) {
        for (uint64_t i = 0; i < times; ++i) Put(text);
    }
    void Fill(char c, uint64_t count) {
        const std::string block(1 << 20, c);
        for (; count >= block.size(); count -= block.size()) Put(block);
        Put(block.substr(0, count));
    }

private:
    std::ofstream out_;
    std::string buffer_;
};

uint64_t SizeOf(const std::string& path) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) return fs::file_size(path, error);
    uint64_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
        total += entry.path().filename().string().size() + 1;
        if (entry.is_regular_file(error)) total += entry.file_size(error);
    }
    return total;
}

struct Case {
    const char* reader;
    const char* name;
    // Writes the input at `scale` (1 = full size); the path whose size counts.
    std::function<std::string(double scale)> make;
    std::function<void()> run;
};

uint64_t Scaled(uint64_t count, double scale) {
    return static_cast<uint64_t>(static_cast<double>(count) * scale);
}

const std::string kUrldb = "C:\\in\\urldb.db";
const std::string kNetscape = "C:\\in\\bookmark.htm";
const std::string kOpera = "C:\\in\\opera6.adr";
const std::string kPrefs = "C:\\in\\prefs.js";
const std::string kIni = "C:\\in\\opera6.ini";
const std::string kTree = "C:\\tree";

void LoadUrldb() {
    URLDB db(0, 0, 30);
    FavoritesFile().Load(kUrldb, db);
}
void LoadNetscape() {
    BrowserProfile profile;
    NNV4Browser().Load(kNetscape, &profile);
}
void LoadOpera() {
    BrowserProfile profile;
    Opera6Browser().Load(kOpera, &profile);
}
void LoadTree() {
    BrowserProfile profile;
    MSBrowser().Load(kTree, &profile);
}
void ReadRegistry() {
    platform::Prefix::Reset();
    std::string value;
    platform::Registry::ReadString(platform::RegistryRoot::CurrentUser, "Software\\a", "v", 260,
                                   value);
    MSBrowser().Initialize();
}
void ReadLibreg() {
    NNV4Browser().Initialize();
    NNV6Browser().Initialize();
}
void ReadPrefs() {
    BrowserProfile profile;
    NNProfileFinder::ReadProxy(kPrefs, profile);
}
void ReadIni() {
    std::string value;
    platform::IniFile::GetString("CONFIG", "DEBUG", "", 260, value, kIni);
    platform::IniFile::KeyNames("CONFIG", kIni);
}

std::vector<Case> Cases() {
    return {
        {"urldb.db", "2M tiny records",
         [](double s) {
             Output out(Native("in/urldb.db"));
             out.Put("size=0\r\n");
             for (uint64_t i = 0; i < Scaled(2000000, s); ++i)
                 out.Put("0,http://a/" + std::to_string(i) + "\r\n");
             return Native("in/urldb.db");
         },
         LoadUrldb},
        {"urldb.db", "100 MB line",
         [](double s) {
             Output out(Native("in/urldb.db"));
             out.Put("size=0\r\n0,http://a/\r\n1,");
             out.Fill('x', Scaled(100 << 20, s));
             return Native("in/urldb.db");
         },
         LoadUrldb},
        {"urldb.db", "10 MB title x 10",
         [](double s) {
             Output out(Native("in/urldb.db"));
             out.Put("size=0\r\n");
             for (int i = 0; i < 10; ++i) {
                 out.Put("0,http://a/" + std::to_string(i) + "\r\n1,");
                 out.Fill('t', Scaled(10 << 20, s));
                 out.Put("\r\n");
             }
             return Native("in/urldb.db");
         },
         LoadUrldb},
        {"Netscape", "100k nested <DL><p>",
         [](double s) {
             Output out(Native("in/bookmark.htm"));
             out.Repeat("<DT><H3 ADD_DATE=\"0\">a</H3>\n<DL><p>\n", Scaled(100000, s));
             out.Put("<DT><A HREF=\"http://a/\">a</A>\n");
             return Native("in/bookmark.htm");
         },
         LoadNetscape},
        {"Netscape", "100k bare <DL><p>",
         [](double s) {
             Output out(Native("in/bookmark.htm"));
             out.Put("<DT><H3 ADD_DATE=\"0\">a</H3>\n");
             out.Repeat("<DL><p>\n", Scaled(100000, s));
             out.Repeat("<DT><A HREF=\"http://a/\">a</A>\n", Scaled(100000, s));
             return Native("in/bookmark.htm");
         },
         LoadNetscape},
        {"Netscape", "2M tiny items at depth 64",
         [](double s) {
             Output out(Native("in/bookmark.htm"));
             out.Repeat("<DT><H3 \">abcd</H3>\n<DL>\n", 64);
             out.Repeat("<DT><A HREF=\"http://a\"\n", Scaled(2000000, s));
             return Native("in/bookmark.htm");
         },
         LoadNetscape},
        {"Netscape", "4M tiny items at the top",
         [](double s) {
             Output out(Native("in/bookmark.htm"));
             out.Repeat("<DT><A HREF=\"http://a\"\n", Scaled(4000000, s));
             return Native("in/bookmark.htm");
         },
         LoadNetscape},
        {"Netscape", "100 MB line",
         [](double s) {
             Output out(Native("in/bookmark.htm"));
             out.Put("<DT><A HREF=\"http://a/");
             out.Fill('x', Scaled(100 << 20, s));
             return Native("in/bookmark.htm");
         },
         LoadNetscape},
        {"Netscape", "10 MB title over 10k items",
         [](double s) {
             Output out(Native("in/bookmark.htm"));
             out.Put("<DT><H3 \">");
             out.Fill('t', Scaled(10 << 20, s));
             out.Put("</H3>\n<DL><p>\n");
             out.Repeat("<DT><A HREF=\"http://a/\">a</A>\n", Scaled(10000, s));
             return Native("in/bookmark.htm");
         },
         LoadNetscape},
        {"Opera", "100k nested folders",
         [](double s) {
             Output out(Native("in/opera6.adr"));
             out.Put("Opera Hotlist version 2.0\n\n");
             out.Repeat("#FOLDER\n\tNAME=a\n\n", Scaled(100000, s));
             out.Put("#URL\n\tNAME=a\n\tURL=http://a/\n\n");
             return Native("in/opera6.adr");
         },
         LoadOpera},
        {"Opera", "4M tiny items at depth 64",
         [](double s) {
             Output out(Native("in/opera6.adr"));
             out.Repeat("#FOLDER\nNAME=abcd\n\n", 64);
             out.Repeat("#URL\nNAME=\n", Scaled(4000000, s));
             return Native("in/opera6.adr");
         },
         LoadOpera},
        {"Opera", "8M tiny items at the top",
         [](double s) {
             Output out(Native("in/opera6.adr"));
             out.Repeat("#URL\nNAME=\n\n", Scaled(8000000, s));
             return Native("in/opera6.adr");
         },
         LoadOpera},
        {"Opera", "100 MB line",
         [](double s) {
             Output out(Native("in/opera6.adr"));
             out.Put("#URL\n\tNAME=");
             out.Fill('x', Scaled(100 << 20, s));
             return Native("in/opera6.adr");
         },
         LoadOpera},
        {"Opera", "10 MB title over 10k items",
         [](double s) {
             Output out(Native("in/opera6.adr"));
             out.Put("#FOLDER\n\tNAME=");
             out.Fill('t', Scaled(10 << 20, s));
             out.Put("\n\n");
             out.Repeat("#URL\n\tNAME=a\n\tURL=http://a/\n\n", Scaled(10000, s));
             return Native("in/opera6.adr");
         },
         LoadOpera},
        {"IE tree", "100k shortcuts",
         [](double s) {
             fs::remove_all(Native("tree"));
             fs::create_directories(Native("tree/a"));
             for (uint64_t i = 0; i < Scaled(100000, s); ++i) {
                 std::ofstream(Native("tree/a/" + std::to_string(i) + ".url"))
                     << "[InternetShortcut]\nURL=http://a/\n";
             }
             return Native("tree");
         },
         LoadTree},
        {"IE tree", "deepest nesting",
         [](double s) {
             fs::remove_all(Native("tree"));
             std::string path = Native("tree");
             // As deep as a native path can go, one-letter folders with a shortcut in each.
             const uint64_t depth = Scaled(1900, s);
             for (uint64_t i = 0; i < depth; ++i) {
                 path += "/a";
                 fs::create_directories(path);
                 std::ofstream(path + "/u.url") << "[InternetShortcut]\nURL=http://a/\n";
             }
             return Native("tree");
         },
         LoadTree},
        {"Internet Shortcut", "100 MB line x 4",
         [](double s) {
             fs::remove_all(Native("tree"));
             fs::create_directories(Native("tree"));
             for (int i = 0; i < 4; ++i) {
                 Output out(Native("tree/" + std::to_string(i) + ".url"));
                 out.Put("[InternetShortcut]\nURL=http://a/");
                 out.Fill('x', Scaled(25 << 20, s));
             }
             return Native("tree");
         },
         LoadTree},
        {"registry", "1M tiny keys",
         [](double s) {
             Output out(root + "/user.reg");
             out.Put("WINE REGISTRY Version 2\n\n");
             for (uint64_t i = 0; i < Scaled(1000000, s); ++i)
                 out.Put("[" + std::to_string(i) + "]\n\"v\"=\"a\"\n");
             return root + "/user.reg";
         },
         ReadRegistry},
        {"registry", "100 MB line",
         [](double s) {
             Output out(root + "/user.reg");
             out.Put("WINE REGISTRY Version 2\n\n[Software\\\\a] 0\n\"v\"=\"");
             out.Fill('x', Scaled(100 << 20, s));
             return root + "/user.reg";
         },
         ReadRegistry},
        {"registry", "deep key 10 MB",
         [](double s) {
             Output out(root + "/user.reg");
             out.Put("WINE REGISTRY Version 2\n\n[");
             out.Repeat("a\\\\", Scaled(3 << 20, s));
             out.Put("] 0\n\"v\"=\"a\"\n");
             return root + "/user.reg";
         },
         ReadRegistry},
        {"libreg", "100 MB files",
         [](double s) {
             for (const char* name :
                  {"windows/nsreg.dat", "users/b/AppData/Mozilla/registry.dat"}) {
                 fs::create_directories(fs::path(Native(name)).parent_path());
                 Output out(Native(name));
                 out.Put(std::string("\x76\x44\x61\x76\x01\x00\x02\x00\x80\x00\x00\x00", 12));
                 out.Fill('\0', Scaled(50 << 20, s));
             }
             return Native("windows/nsreg.dat");
         },
         ReadLibreg},
        {"prefs.js", "100 MB line",
         [](double s) {
             Output out(Native("in/prefs.js"));
             out.Put("user_pref(\"network.proxy.http\", \"");
             out.Fill('x', Scaled(100 << 20, s));
             return Native("in/prefs.js");
         },
         ReadPrefs},
        {"prefs.js", "2M tiny lines",
         [](double s) {
             Output out(Native("in/prefs.js"));
             out.Repeat("user_pref(\"network.proxy.http\", \"a\");\n", Scaled(2000000, s));
             return Native("in/prefs.js");
         },
         ReadPrefs},
        {"INI", "100 MB line",
         [](double s) {
             Output out(Native("in/opera6.ini"));
             out.Put("[CONFIG]\nDEBUG=");
             out.Fill('x', Scaled(100 << 20, s));
             return Native("in/opera6.ini");
         },
         ReadIni},
        {"INI", "1M tiny keys",
         [](double s) {
             Output out(Native("in/opera6.ini"));
             out.Put("[CONFIG]\n");
             for (uint64_t i = 0; i < Scaled(1000000, s); ++i) out.Put(std::to_string(i) + "=\n");
             return Native("in/opera6.ini");
         },
         ReadIni},
    };
}

struct Run {
    bool ok = false;
    double seconds = 0;
    uint64_t peak = 0;  // bytes
};

// The child's address space is limited to a few times the bound, so that a case breaking it
// ends in failed allocations instead of taking the machine's memory.
Run RunChild(const std::function<void()>& run, uint64_t bound) {
    // What the generators freed goes back to the system first: the child would count it.
    malloc_trim(0);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit limit{4 * bound + (512ull << 20), 4 * bound + (512ull << 20)};
        setrlimit(RLIMIT_AS, &limit);
        run();
        _exit(0);
    }
    Run result;
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return result;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peak = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
    return result;
}

// Writes a case's input in a child of its own, so that what the generator allocates never adds
// to this process and so to the measured children; the path whose size counts.
std::string Make(const Case& c, double scale) {
    int channel[2];
    if (pipe(channel) != 0) return "";
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        const std::string path = c.make(scale);
        const ssize_t written = write(channel[1], path.data(), path.size());
        _exit(written == static_cast<ssize_t>(path.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string path;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        path.append(buffer, got);
    close(channel[0]);
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    return path;
}

void Clean() {
    fs::remove_all(Native("in"));
    fs::remove_all(Native("tree"));
    fs::create_directories(Native("in"));
    // Netscape 4.x and 6.x installed, for the profile lists of the libreg case.
    Output(root + "/system.reg")
        .Put(
            "WINE REGISTRY Version 2\n\n"
            "[Software\\\\Netscape\\\\Netscape Navigator] 0\n\"CurrentVersion\"=\"4.7\"\n"
            "[Software\\\\Netscape\\\\Netscape Navigator\\\\4.7\\\\Main] 0\n"
            "\"Install Directory\"=\"C:\\\\Netscape\"\n"
            "[Software\\\\Netscape\\\\Netscape 6] 0\n\"CurrentVersion\"=\"6.2\"\n"
            "[Software\\\\Netscape\\\\Netscape 6\\\\6.2\\\\Main] 0\n"
            "\"PathToExe\"=\"C:\\\\Netscape 6\\\\netscp6.exe\"\n");
    // A user whose application data holds the Mozilla registry the libreg case writes.
    Output(root + "/user.reg")
        .Put(
            "WINE REGISTRY Version 2\n\n"
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell "
            "Folders] 0\n\"AppData\"=\"C:\\\\users\\\\b\\\\AppData\"\n");
    platform::Prefix::Reset();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string filter = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
    root = MakeBenchPrefix();
    SetLogLevel(0);
    std::printf("%-18s %-28s %9s %9s %9s %6s %8s %6s\n", "reader", "case", "input MB", "peak MB",
                "bound MB", "peak/b", "time s", "x4 t");
    bool allRan = true;
    for (const Case& c : Cases()) {
        if (!filter.empty() &&
            (std::string(c.reader) + "/" + c.name).find(filter) == std::string::npos)
            continue;
        Clean();
        const uint64_t quarterSize = SizeOf(Make(c, 0.25));
        const Run quarter = RunChild(c.run, 16 * quarterSize + (64ull << 20));
        Clean();
        const uint64_t size = SizeOf(Make(c, 1.0));
        const uint64_t bound = 16 * size + (64ull << 20);
        const Run full = RunChild(c.run, bound);
        const bool within = full.ok && quarter.ok && full.peak <= bound;
        allRan = allRan && full.ok && quarter.ok;
        std::printf("%-18s %-28s %9.1f %9.1f %9.1f %6.2f %8.2f %6.1f%s\n", c.reader, c.name,
                    size / 1048576.0, full.peak / 1048576.0, bound / 1048576.0,
                    static_cast<double>(full.peak) / bound, full.seconds,
                    quarter.seconds > 0 ? full.seconds / quarter.seconds : 0.0,
                    !full.ok || !quarter.ok ? "  FAILED"
                    : within                ? ""
                                            : "  OVER");
        std::fflush(stdout);
    }
    fs::remove_all(root);
    return allRan ? 0 : 1;
}

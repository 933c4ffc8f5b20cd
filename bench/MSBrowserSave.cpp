// MSBrowser::Save of an export profile (no favorites path, as the conversion builds it) holding
// 1k and 10k bookmarks in one folder, each run into a fresh output folder of a temporary
// Wine-prefix-shaped folder below $TMPDIR or /tmp (WINEPREFIX points there, never at the real
// home), next to the floor of the same files made by plain open, write, close, and the ratio.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchPrefix.h"
#include "RatioTable.h"
#include "browsers/MSBrowser.h"
#include "platform/Prefix.h"
#include "support/Log.h"

namespace {

class Prefix {
public:
    Prefix() {
        root_ = MakeBenchPrefix();
        std::filesystem::create_directories(root_ + "/drive_c");
    }
    ~Prefix() { std::filesystem::remove_all(root_); }

    // A fresh output folder; its internal path.
    std::string NewOutput() {
        const std::string name = "out" + std::to_string(++outputs_);
        std::filesystem::create_directories(root_ + "/drive_c/" + name + "/Microsoft");
        return "C:\\" + name + "\\Microsoft";
    }
    // The native path of a fresh output folder, for the floor.
    std::string NewNativeOutput() {
        const std::string name = root_ + "/drive_c/out" + std::to_string(++outputs_) + "/Microsoft";
        std::filesystem::create_directories(name);
        return name;
    }

private:
    std::string root_;
    int outputs_ = 0;
};

// Bookmark i of the folder.
std::string SiteName(int i) {
    return "Site" + std::to_string(i);
}
std::string SiteUrl(int i) {
    return "http://www" + std::to_string(i % 997) + ".example.jp/page" + std::to_string(i) +
           ".html";
}

// One folder "\Links" holding `count` bookmarks.
std::unique_ptr<BrowserProfile> ExportProfile(int count) {
    auto profile = std::make_unique<BrowserProfile>();
    auto folder = std::make_unique<FavoritesItem>();
    folder->SetName("Links");
    folder->SetPath("\\Links");
    profile->AddItem(std::move(folder));
    for (int i = 0; i < count; ++i) {
        auto item = std::make_unique<FavoritesItem>();
        const std::string name = SiteName(i);
        item->SetURL(SiteUrl(i));
        item->SetName(name);
        item->SetPath("\\Links\\" + name);
        item->SetParentPath("\\Links");
        profile->AddItem(std::move(item));
    }
    return profile;
}

// The one prefix of the program, whichever benchmark runs first.
Prefix& ThePrefix() {
    static Prefix prefix;
    return prefix;
}

void BM_MSBrowserSave(benchmark::State& state) {
    Prefix& prefix = ThePrefix();
    SetLogLevel(LOG_N);
    const int files = static_cast<int>(state.range(0));
    const std::unique_ptr<BrowserProfile> profile = ExportProfile(files);
    MSBrowser browser;
    int count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string output = prefix.NewOutput();
        state.ResumeTiming();
        count = browser.Save(output, profile.get());
    }
    if (count != files) state.SkipWithError("not every shortcut written");
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(files),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MSBrowserSave)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

// The floor: the same folder and files with the same bytes, made by plain mkdir and open, write,
// close, nothing else.
void BM_FloorSave(benchmark::State& state) {
    Prefix& prefix = ThePrefix();
    const int files = static_cast<int>(state.range(0));
    // The same names and bytes as the profile's shortcuts, made file by file into one reused
    // buffer: holding all of them would need more memory than the program itself (formatting
    // them costs well under a hundredth of the floor).
    std::string name;
    std::string bytes;
    int count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string output = prefix.NewNativeOutput();
        state.ResumeTiming();
        count = 0;
        mkdir((output + "/Links").c_str(), 0777);
        for (int i = 0; i < files; ++i) {
            name.assign(output).append("/Links/").append(SiteName(i)).append(".url");
            bytes.clear();
            for (char c : MSBrowser::ShortcutText(SiteUrl(i))) {
                if (c == '\n') bytes += '\r';
                bytes += c;
            }
            const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) continue;
            if (write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()))
                ++count;
            close(fd);
        }
    }
    if (count != files) state.SkipWithError("not every file written");
}
BENCHMARK(BM_FloorSave)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"Internet Explorer tree 10k / open+write+close",
                           "BM_MSBrowserSave/10000", "BM_FloorSave/10000", 1.3},
                          {"Internet Explorer tree 1k / open+write+close", "BM_MSBrowserSave/1000",
                           "BM_FloorSave/1000", 1.3}});
}

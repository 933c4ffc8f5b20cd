// MSBrowser::Load of favorites trees of 1k and 10k shortcut files in folders of 100 files, built
// once in a temporary Wine-prefix-shaped folder (WINEPREFIX points there, never at the real home).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchPrefix.h"
#include "browsers/MSBrowser.h"
#include "platform/Prefix.h"
#include "support/Log.h"

namespace {

constexpr int kFilesPerFolder = 100;
constexpr int kMaxFolders = 100;

class FavoritesTree {
public:
    FavoritesTree() {
        root_ = MakeBenchPrefix();
        // Favorites<n> holds n folders of kFilesPerFolder shortcuts.
        for (int folders : {10, kMaxFolders}) Build(folders);
    }
    ~FavoritesTree() { std::filesystem::remove_all(root_); }

private:
    void Build(int folders) const {
        const std::filesystem::path favorites =
            root_ + "/drive_c/users/bench/Favorites" + std::to_string(folders);
        for (int f = 0; f < folders; ++f) {
            const std::filesystem::path folder = favorites / ("Folder" + std::to_string(f));
            std::filesystem::create_directories(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                std::ofstream file(folder / ("Site" + std::to_string(i) + ".url"),
                                   std::ios::binary);
                file << "[InternetShortcut]\r\nURL=http://www" << f << ".example.jp/page" << i
                     << ".html\r\nModified=C01E14E0FE9EBF012E\r\n";
            }
        }
    }

    std::string root_;
};

void BM_MSBrowserLoad(benchmark::State& state) {
    static FavoritesTree tree;
    SetLogLevel(LOG_N);
    const int folders = static_cast<int>(state.range(0)) / kFilesPerFolder;
    const std::string path = "C:\\users\\bench\\Favorites" + std::to_string(folders);
    MSBrowser browser;
    BrowserProfile profile;
    int count = 0;
    for (auto _ : state) {
        count = browser.Load(path, &profile);
        benchmark::DoNotOptimize(count);
    }
    if (count != folders * (kFilesPerFolder + 1)) state.SkipWithError("unexpected item count");
    state.counters["items"] = count;
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MSBrowserLoad)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();

// MSBrowser::Save of an export profile (no favorites path, as the conversion builds it) holding
// 1k and 10k bookmarks in one folder, each run into a fresh output folder of a temporary
// Wine-prefix-shaped folder below $TMPDIR or /tmp (WINEPREFIX points there, never at the real
// home).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchPrefix.h"
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

private:
    std::string root_;
    int outputs_ = 0;
};

// One folder "\Links" holding `count` bookmarks.
std::unique_ptr<BrowserProfile> ExportProfile(int count) {
    auto profile = std::make_unique<BrowserProfile>();
    auto folder = std::make_unique<FavoritesItem>();
    folder->SetName("Links");
    folder->SetPath("\\Links");
    profile->AddItem(std::move(folder));
    for (int i = 0; i < count; ++i) {
        auto item = std::make_unique<FavoritesItem>();
        const std::string name = "Site" + std::to_string(i);
        item->SetURL("http://www" + std::to_string(i % 997) + ".example.jp/page" +
                     std::to_string(i) + ".html");
        item->SetName(name);
        item->SetPath("\\Links\\" + name);
        item->SetParentPath("\\Links");
        profile->AddItem(std::move(item));
    }
    return profile;
}

void BM_MSBrowserSave(benchmark::State& state) {
    static Prefix prefix;
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

}  // namespace

BENCHMARK_MAIN();

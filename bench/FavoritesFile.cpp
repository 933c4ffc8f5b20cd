// FavoritesFile::Load of generated URL database files of 10k, 100k and 1M records in URL order
// and of 100k and 1M shuffled records, FavoritesFile::Save of the 1M database, and beside them a
// minimal baseline over the same files: map, split the CR LF lines, fill plain structs of 20 fields
// and append them to a vector. The files are made once by tools/gen_urldb.py in the build folder
// (or $PENNAWICK_BENCH_DATA); the program runs in a temporary Wine-prefix-shaped folder. After the
// runs a table gives the shuffled loads against the sorted ones and the loads against the baseline.
#include "stores/FavoritesFile.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "BenchPrefix.h"
#include "RatioTable.h"
#include "UrlDbBaseline.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/MappedFile.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "records/URLDB.h"
#include "selection/FavoritesSetup.h"
#include "support/CommonTools.h"
#include "support/Log.h"

namespace fs = std::filesystem;

namespace {

// A temporary prefix, so that nothing reads the real home folder, and the generated files.
class BenchSystem {
public:
    BenchSystem() {
        root_ = MakeBenchPrefix();
        fs::create_directories(root_ + "/drive_c/Pennawick");
        CommonTools::InitializeWorkingFolder("C:\\Pennawick\\pennawick.exe");
        const char* data = std::getenv("PENNAWICK_BENCH_DATA");
        data_ = data ? data : PENNAWICK_BENCH_DATA;
    }
    ~BenchSystem() { fs::remove_all(root_); }

    // The internal path of a generated file, made when missing.
    std::string File(int records, bool shuffled) {
        const std::string name =
            "urldb-" + std::to_string(records) + (shuffled ? "-shuffled" : "") + ".db";
        const fs::path path = fs::path(data_) / name;
        if (!fs::exists(path)) {
            const std::string command = "python3 " PENNAWICK_SOURCE_DIR "/tools/gen_urldb.py '" +
                                        path.string() + "' --records " + std::to_string(records) +
                                        (shuffled ? " --shuffle" : "");
            if (std::system(command.c_str()) != 0) return {};
        }
        return platform::PathMap::ToInternal(path.string());
    }
    std::string Scratch(const std::string& name) const { return "C:\\Pennawick\\" + name; }

private:
    std::string root_;
    std::string data_;
};

BenchSystem& System() {
    static BenchSystem system;
    return system;
}

void ReportFile(benchmark::State& state, const std::string& path, int64_t records) {
    uint64_t size = 0;
    platform::FileSystem::GetSize(path, size);
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    // The process's peak so far: run the sizes in ascending order to read it per size.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_Load(benchmark::State& state, bool shuffled) {
    SetLogLevel(LOG_N);
    const int records = static_cast<int>(state.range(0));
    const std::string path = System().File(records, shuffled);
    FavoritesFile file;
    int count = 0;
    for (auto _ : state) {
        auto db = std::make_unique<URLDB>(0, 0, 30);
        benchmark::DoNotOptimize(file.Load(path, *db));
        count = db->GetCount();
        // Freeing the records is not part of loading them.
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    if (count != records) state.SkipWithError("unexpected record count");
    ReportFile(state, path, records);
}

void BM_LoadInOrder(benchmark::State& state) {
    BM_Load(state, false);
}
void BM_LoadShuffled(benchmark::State& state) {
    BM_Load(state, true);
}

void BM_Baseline(benchmark::State& state, bool shuffled) {
    const int records = static_cast<int>(state.range(0));
    const std::string path = System().File(records, shuffled);
    size_t count = 0;
    for (auto _ : state) {
        auto plain = std::make_unique<std::vector<PlainRecord>>();
        count = BaselineLoad(path, *plain);
        state.PauseTiming();
        plain.reset();
        state.ResumeTiming();
    }
    if (count != static_cast<size_t>(records)) state.SkipWithError("unexpected record count");
    ReportFile(state, path, records);
}

void BM_BaselineInOrder(benchmark::State& state) {
    BM_Baseline(state, false);
}
void BM_BaselineShuffled(benchmark::State& state) {
    BM_Baseline(state, true);
}

void BM_Save(benchmark::State& state) {
    SetLogLevel(LOG_N);
    const int records = static_cast<int>(state.range(0));
    FavoritesFile file;
    URLDB db(0, 0, 30);
    file.Load(System().File(records, false), db);
    FavoritesSetup setup;
    std::string path = System().Scratch("saved.db");
    for (auto _ : state) benchmark::DoNotOptimize(file.Save(path, db, setup));
    if (db.GetCount() != records) state.SkipWithError("unexpected record count");
    ReportFile(state, path, records);
}

#define LOAD_SIZES Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_BaselineInOrder)->LOAD_SIZES;
BENCHMARK(BM_LoadInOrder)->LOAD_SIZES;
BENCHMARK(BM_BaselineShuffled)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadShuffled)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"urldb.db read 100k random / 100k sorted", "BM_LoadShuffled/100000",
                           "BM_LoadInOrder/100000", 1.5},
                          {"urldb.db read 1M random / 1M sorted", "BM_LoadShuffled/1000000",
                           "BM_LoadInOrder/1000000", 2},
                          {"urldb.db read 100k sorted / baseline", "BM_LoadInOrder/100000",
                           "BM_BaselineInOrder/100000"},
                          {"urldb.db read 100k random / baseline", "BM_LoadShuffled/100000",
                           "BM_BaselineShuffled/100000"}});
}

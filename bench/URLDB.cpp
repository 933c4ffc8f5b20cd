// URL database insertion and lookup: records in URL order (as the database file stores them),
// in random order, and lookups of stored URLs.
#include "records/URLDB.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/Log.h"

namespace {

// Ascending URLs of one width, so that text order is numeric order.
std::vector<std::string> MakeURLs(size_t count) {
    std::vector<std::string> urls;
    urls.reserve(count);
    char text[64];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "http://www.example.co.jp/page%08zu.html", i);
        urls.emplace_back(text);
    }
    return urls;
}

std::vector<std::string> Shuffled(std::vector<std::string> urls) {
    std::mt19937 random(12345);
    std::shuffle(urls.begin(), urls.end(), random);
    return urls;
}

void AddAll(benchmark::State& state, const std::vector<std::string>& urls) {
    SetLogLevel(LOG_N);
    for (auto _ : state) {
        auto db = std::make_unique<URLDB>(0, 0, 30);
        for (const std::string& url : urls) {
            benchmark::DoNotOptimize(db->Add(std::make_unique<URLInfo>(url), false));
        }
        // Freeing the records is not part of adding them.
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(urls.size()));
}

void BM_AddInOrder(benchmark::State& state) {
    AddAll(state, MakeURLs(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_AddInOrder)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_AddRandom(benchmark::State& state) {
    AddAll(state, Shuffled(MakeURLs(static_cast<size_t>(state.range(0)))));
}
BENCHMARK(BM_AddRandom)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GetURLInfo(benchmark::State& state) {
    SetLogLevel(LOG_N);
    const std::vector<std::string> urls = MakeURLs(static_cast<size_t>(state.range(0)));
    URLDB db(0, 0, 30);
    for (const std::string& url : urls) db.Add(std::make_unique<URLInfo>(url), false);
    const std::vector<std::string> lookups = Shuffled(urls);
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.GetURLInfo(lookups[next]));
        next = next + 1 == lookups.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetURLInfo)->Arg(10000)->Arg(100000)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();

// Opera6Browser::Load and Save of hotlists of 10k and 100k entries (Japanese names, folders of
// 50 entries nested up to three deep, generated with a fixed seed), next to minimal baselines
// over the same bytes: map the file, split lines, find the keys, convert names and URLs with
// iconv and keep one small struct per item; and for writing, convert the same values with iconv
// and write the same lines. Files live in a temporary Wine-prefix-shaped folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "BenchPrefix.h"
#include "RatioTable.h"
#include "browsers/Opera6Browser.h"
#include "platform/Clock.h"
#include "platform/Prefix.h"
#include "support/Log.h"

namespace {

constexpr int kPerFolder = 50;

const char* const kSyllables[] = {"東京", "大阪", "検索",   "日記",   "ニュース", "ソフト", "表示",
                                  "天気", "地図", "の",     "と",     "カタカナ", "ﾊﾝｶｸ",   "予定",
                                  "能力", "十字", "ブログ", "掲示板", "旅行",     "料理"};

class Hotlists {
public:
    Hotlists() {
        root_ = MakeBenchPrefix();
        std::filesystem::create_directories(root_ + "/drive_c/bench");
        for (int entries : {10000, 100000}) Generate(entries);
    }
    ~Hotlists() { std::filesystem::remove_all(root_); }

    static std::string Internal(int entries) {
        return "C:\\bench\\opera" + std::to_string(entries) + ".adr";
    }
    std::string Native(int entries) const {
        return root_ + "/drive_c/bench/opera" + std::to_string(entries) + ".adr";
    }
    std::string NativeOutput() const { return root_ + "/drive_c/bench/out.adr"; }
    static std::string InternalOutput() { return "C:\\bench\\out.adr"; }

private:
    // Folders of kPerFolder entries; every third folder opens a sub-folder, up to three deep.
    void Generate(int entries) const {
        std::mt19937 random(20261209);
        std::string text =
            "Opera Hotlist version 2.0\r\nOptions: encoding = utf8, version=3\r\n\r\n";
        int depth = 0;
        for (int i = 0; i < entries; ++i) {
            if (i % kPerFolder == 0) {
                if (depth > 0 && (i / kPerFolder) % 3 != 0) {
                    text += "-\r\n\r\n";
                    --depth;
                }
                if (depth < 3) {
                    text += "#FOLDER\r\n\tID=" + std::to_string(i) + "\r\n\tNAME=" + Name(random) +
                            "\r\n\tCREATED=1100000000\r\n\r\n";
                    ++depth;
                }
            }
            text += "#URL\r\n\tID=" + std::to_string(i) + "\r\n\tNAME=" + Name(random) +
                    "\r\n\tURL=http://www" + std::to_string(random() % 1000) + ".example.jp/" +
                    std::to_string(random()) +
                    "/index.html\r\n\tCREATED=1100000000\r\n"
                    "\tVISITED=1100000000\r\n\r\n";
        }
        for (; depth > 0; --depth) text += "-\r\n\r\n";
        std::ofstream(Native(entries), std::ios::binary) << text;
    }

    static std::string Name(std::mt19937& random) {
        std::string name;
        const int parts = 2 + static_cast<int>(random() % 4);
        for (int p = 0; p < parts; ++p) name += kSyllables[random() % std::size(kSyllables)];
        return name + " " + std::to_string(random() % 10000);
    }

    std::string root_;
};

Hotlists& Files() {
    static Hotlists files;
    return files;
}

uint64_t FileSize(const std::string& native) {
    return std::filesystem::file_size(native);
}

void Report(benchmark::State& state, int items, uint64_t bytes) {
    state.counters["items"] = items;
    state.counters["items/s"] = benchmark::Counter(static_cast<double>(items),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_OperaLoad(benchmark::State& state) {
    SetLogLevel(LOG_N);
    const int entries = static_cast<int>(state.range(0));
    const std::string path = Hotlists::Internal(entries);
    Files();
    Opera6Browser browser;
    BrowserProfile profile;
    int count = 0;
    for (auto _ : state) {
        count = browser.Load(path, &profile);
        benchmark::DoNotOptimize(count);
    }
    Report(state, count, FileSize(Files().Native(entries)));
}

// One small struct per item, as a reader at its simplest keeps them.
struct Plain {
    std::string name;
    std::string url;
    int depth;
};

std::string Iconv(iconv_t converter, std::string_view in) {
    std::string out(in.size() * 2 + 4, '\0');
    char* source = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dest = out.data();
    size_t room = out.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    iconv(converter, &source, &left, &dest, &room);
    out.resize(out.size() - room);
    return out;
}

void BM_BaselineRead(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string native = Files().Native(entries);
    iconv_t converter = iconv_open("CP932", "UTF-8");
    size_t count = 0;
    for (auto _ : state) {
        const int fd = open(native.c_str(), O_RDONLY);
        struct stat info {};
        fstat(fd, &info);
        const size_t size = static_cast<size_t>(info.st_size);
        void* base = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        const std::string_view data(static_cast<const char*>(base), size);
        std::vector<Plain> items;
        Plain* current = nullptr;
        int depth = 1;
        for (size_t start = 0; start < data.size();) {
            size_t end = data.find('\n', start);
            if (end == std::string_view::npos) end = data.size();
            std::string_view line = data.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            start = end + 1;
            if (line.starts_with("#URL") || line.starts_with("#FOLDER")) {
                items.push_back({std::string(), std::string(), depth});
                current = &items.back();
                if (line[1] == 'F') ++depth;
            } else if (line.starts_with("-")) {
                --depth;
            } else if (current && line.starts_with("\tNAME=")) {
                current->name = Iconv(converter, line.substr(6));
            } else if (current && line.starts_with("\tURL=")) {
                current->url = Iconv(converter, line.substr(5));
            }
        }
        count = items.size();
        benchmark::DoNotOptimize(items.data());
        munmap(base, size);
        close(fd);
    }
    iconv_close(converter);
    Report(state, static_cast<int>(count), FileSize(native));
}

void BM_OperaSave(benchmark::State& state) {
    SetLogLevel(LOG_N);
    const int entries = static_cast<int>(state.range(0));
    Opera6Browser browser;
    BrowserProfile profile;
    browser.Load(Hotlists::Internal(entries), &profile);
    int count = 0;
    for (auto _ : state) {
        count = browser.Save(Hotlists::InternalOutput(), &profile);
        benchmark::DoNotOptimize(count);
    }
    Report(state, count, FileSize(Files().NativeOutput()));
}

void BM_BaselineWrite(benchmark::State& state) {
    SetLogLevel(LOG_N);
    const int entries = static_cast<int>(state.range(0));
    Opera6Browser browser;
    BrowserProfile profile;
    browser.Load(Hotlists::Internal(entries), &profile);
    iconv_t converter = iconv_open("UTF-8", "CP932");
    const std::string native = Files().NativeOutput();
    for (auto _ : state) {
        std::FILE* out = std::fopen(native.c_str(), "wb");
        std::fputs("Opera Hotlist version 2.0\r\nOptions:encoding=utf8,version=3\r\n\r\n", out);
        int previous = 1;
        for (auto position = profile.GetHeadPosition(); position;) {
            const FavoritesItem& item = *profile.GetNext(position);
            for (int close = item.GetDepth(); close < previous; ++close) std::fputs("-\r\n", out);
            previous = item.GetDepth();
            const std::string name = Iconv(converter, item.GetName());
            const std::string created = std::to_string(platform::Clock::Now());
            if (item.IsFolder()) {
                std::fprintf(out,
                             "#FOLDER\r\n\tNAME=%s\r\n\tCREATED=%s\r\n\tVISITED=0\r\n\tORDER=13"
                             "\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n",
                             name.c_str(), created.c_str());
            } else {
                const std::string url = Iconv(converter, item.GetURL());
                std::fprintf(out,
                             "#URL\r\n\tNAME=%s\r\n\tURL=%s\r\n\tCREATED=%s\r\n\tVISITED=0\r\n"
                             "\tORDER=0\r\n\tDESCRIPTION=\r\n\tSHORT NAME=\r\n\r\n",
                             name.c_str(), url.c_str(), created.c_str());
            }
        }
        std::fclose(out);
    }
    iconv_close(converter);
    Report(state, profile.GetCount(), FileSize(native));
}

#define HOTLIST_BENCHMARK(name)         \
    BENCHMARK(name)                     \
        ->Arg(10000)                    \
        ->Arg(100000)                   \
        ->Unit(benchmark::kMillisecond) \
        ->Repetitions(3)                \
        ->ReportAggregatesOnly()

HOTLIST_BENCHMARK(BM_OperaLoad);
HOTLIST_BENCHMARK(BM_BaselineRead);
HOTLIST_BENCHMARK(BM_OperaSave);
HOTLIST_BENCHMARK(BM_BaselineWrite);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"Opera hotlist read 100k / BM_BaselineRead", "BM_OperaLoad/100000",
                           "BM_BaselineRead/100000", 1.5},
                          {"Opera hotlist read 10k / BM_BaselineRead", "BM_OperaLoad/10000",
                           "BM_BaselineRead/10000", 1.5},
                          {"Opera hotlist write 100k / BM_BaselineWrite", "BM_OperaSave/100000",
                           "BM_BaselineWrite/100000"}});
}

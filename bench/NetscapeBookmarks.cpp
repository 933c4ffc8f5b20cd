// Reading and writing Netscape bookmark files of 10k and 100k bookmarks in nested folders, with
// Japanese names, in both written forms (4.x Shift-JIS, 6.x UTF-8), next to minimal baselines
// over the same data: reading splits the lines, finds the tokens, converts each bookmark and
// heading line with iconv and keeps one small struct per item; writing formats the same lines,
// converts them with iconv and writes them. The files live in a temporary folder (WINEPREFIX
// points there, never at the real home).
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "BenchPrefix.h"
#include "RatioTable.h"
#include "browsers/NNBrowser.h"
#include "platform/Cp932.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "support/Log.h"

namespace {

class Adapter : public NNBrowser {
public:
    using NNBrowser::LoadBookmarkFile;
    using NNBrowser::SaveBookmarkFile;
};

// A profile of n bookmarks in folders of 10 to 40 entries, nested up to 6 deep, generated with a
// fixed seed, and its two written files.
struct Sample {
    BrowserProfile profile;
    std::string sjisFile;  // internal paths
    std::string utf8File;
    uint64_t sjisBytes = 0;
    uint64_t utf8Bytes = 0;
};

void AddItem(BrowserProfile& profile, const std::string& url, const std::string& name,
             const std::string& parent, int depth) {
    auto item = std::make_unique<FavoritesItem>();
    item->SetURL(url);
    item->SetName(name);
    item->SetPath(parent + "\\" + name);
    item->SetParentPath(parent);
    item->SetDepth(depth);
    profile.AddItem(std::move(item));
}

void Generate(BrowserProfile& profile, int bookmarks) {
    static const char* words[] = {
        "日本語",   "ブックマーク", "表示",   "ソフトウェア", "能力開発", "予定表", "十字路",
        "ニュース", "天気予報",     "料理",   "プログラム",   "旅行",     "東京",   "大阪",
        "技術",     "研究所",       "図書館", "音楽",         "映画",     "Wiki"};
    std::vector<std::string> pool;
    for (const char* word : words) pool.push_back(platform::Cp932::FromUtf8(word));
    std::mt19937 random(20261209);
    std::vector<std::string> folders = {""};
    std::vector<int> left = {0};
    for (int written = 0; written < bookmarks;) {
        const int depth = static_cast<int>(folders.size()) + 1;
        if (left.back() <= 0 && folders.size() > 1) {
            folders.pop_back();
            left.pop_back();
            continue;
        }
        if (random() % 8 == 0 && folders.size() < 6) {
            const std::string name = pool[random() % pool.size()] + std::to_string(written);
            AddItem(profile, "", name, folders.back(), depth);
            folders.push_back(folders.back() + "\\" + name);
            left.push_back(10 + static_cast<int>(random() % 30));
            continue;
        }
        std::string name = pool[random() % pool.size()];
        name += " " + pool[random() % pool.size()] + " " + pool[random() % pool.size()] + " " +
                std::to_string(written);
        const std::string url = "http://www" + std::to_string(random() % 1000) +
                                ".example.co.jp/articles/" + std::to_string(random()) +
                                "/index.html?ref=bookmark";
        AddItem(profile, url, name, folders.back(), depth);
        --left.back();
        ++written;
    }
}

class Samples {
public:
    Samples() {
        root_ = MakeBenchPrefix();
        SetLogLevel(LOG_N);
    }
    ~Samples() { std::filesystem::remove_all(root_); }

    Sample& Get(int bookmarks) {
        std::unique_ptr<Sample>& sample = samples_[bookmarks];
        if (sample) return *sample;
        sample = std::make_unique<Sample>();
        Generate(sample->profile, bookmarks);
        const std::string base = root_ + "/" + std::to_string(bookmarks);
        sample->sjisFile = platform::PathMap::ToInternal(base + "-bookmark.htm");
        sample->utf8File = platform::PathMap::ToInternal(base + "-bookmarks.html");
        Adapter adapter;
        adapter.SaveBookmarkFile("NNV4Browser", sample->sjisFile, &sample->profile,
                                 NNBrowser::kEncodingShiftJIS, NNBrowser::Netscape4Header());
        adapter.SaveBookmarkFile("NNV6Browser", sample->utf8File, &sample->profile,
                                 NNBrowser::kEncodingUTF8, NNBrowser::Netscape6Header());
        sample->sjisBytes = std::filesystem::file_size(base + "-bookmark.htm");
        sample->utf8Bytes = std::filesystem::file_size(base + "-bookmarks.html");
        return *sample;
    }

private:
    std::string root_;
    std::map<int, std::unique_ptr<Sample>> samples_;
};

Samples& AllSamples() {
    static Samples samples;
    return samples;
}

bool Utf8Form(const benchmark::State& state) {
    return state.range(1) != 0;
}

void Report(benchmark::State& state, const Sample& sample) {
    const uint64_t bytes = Utf8Form(state) ? sample.utf8Bytes : sample.sjisBytes;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["items/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetLabel(Utf8Form(state) ? "UTF-8" : "Shift-JIS");
}

// Converts in with the open descriptor; the output replaces out.
void Iconv(iconv_t cd, const std::string& in, std::string& out) {
    out.resize(in.size() * 2 + 16);
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char* target = out.data();
    size_t targetLeft = out.size();
    iconv(cd, &source, &sourceLeft, &target, &targetLeft);
    out.resize(out.size() - targetLeft);
}

void BM_Read(benchmark::State& state) {
    Sample& sample = AllSamples().Get(static_cast<int>(state.range(0)));
    const std::string& file = Utf8Form(state) ? sample.utf8File : sample.sjisFile;
    Adapter adapter;
    int bookmarks = 0;
    for (auto _ : state) {
        auto profile = std::make_unique<BrowserProfile>();
        adapter.LoadBookmarkFile("NNV6Browser", file, profile.get());
        // Counting and freeing the items is no part of reading.
        state.PauseTiming();
        bookmarks = 0;
        for (auto position = profile->GetHeadPosition(); position;) {
            bookmarks += profile->GetNext(position)->IsFolder() ? 0 : 1;
        }
        profile.reset();
        state.ResumeTiming();
    }
    // The added folder holds everything; every bookmark comes back.
    if (bookmarks != state.range(0)) state.SkipWithError("unexpected bookmark count");
    Report(state, sample);
}

struct BaselineItem {
    std::string url;
    std::string name;
    int depth;
};

void BM_ReadBaseline(benchmark::State& state) {
    Sample& sample = AllSamples().Get(static_cast<int>(state.range(0)));
    const std::string native =
        platform::PathMap::ToNative(Utf8Form(state) ? sample.utf8File : sample.sjisFile);
    iconv_t cd = iconv_open("CP932", Utf8Form(state) ? "UTF-8" : "CP932");
    std::string content;
    std::string converted;
    for (auto _ : state) {
        auto items = std::make_unique<std::vector<BaselineItem>>();
        std::FILE* in = std::fopen(native.c_str(), "rb");
        content.resize(Utf8Form(state) ? sample.utf8Bytes : sample.sjisBytes);
        content.resize(std::fread(content.data(), 1, content.size(), in));
        std::fclose(in);
        int depth = 1;
        for (size_t start = 0; start < content.size();) {
            size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            const std::string_view line(content.data() + start, end - start);
            start = end + 1;
            const bool bookmark = line.find("<DT><A HREF=") != std::string_view::npos;
            if (bookmark || line.find("<DT><H3 ") != std::string_view::npos) {
                Iconv(cd, std::string(line), converted);
                const size_t open = converted.find('"');
                const size_t close = converted.find('"', open + 1);
                const size_t text = converted.find('>', close) + 1;
                const size_t stop = converted.find('<', text);
                items->push_back({bookmark ? converted.substr(open + 1, close - open - 1) : "",
                                  converted.substr(text, stop - text), depth});
            } else if (line.find("<DL>") != std::string_view::npos) {
                ++depth;
            } else if (line.find("</DL>") != std::string_view::npos) {
                --depth;
            }
        }
        benchmark::DoNotOptimize(items->data());
        state.PauseTiming();
        items.reset();
        state.ResumeTiming();
    }
    iconv_close(cd);
    Report(state, sample);
}

void BM_Write(benchmark::State& state) {
    Sample& sample = AllSamples().Get(static_cast<int>(state.range(0)));
    const std::string file = sample.sjisFile + ".out";
    Adapter adapter;
    int written = 0;
    for (auto _ : state) {
        written = Utf8Form(state) ? adapter.SaveBookmarkFile("NNV6Browser", file, &sample.profile,
                                                             NNBrowser::kEncodingUTF8,
                                                             NNBrowser::Netscape6Header())
                                  : adapter.SaveBookmarkFile("NNV4Browser", file, &sample.profile,
                                                             NNBrowser::kEncodingShiftJIS,
                                                             NNBrowser::Netscape4Header());
    }
    if (written != state.range(0)) state.SkipWithError("unexpected bookmark count");
    Report(state, sample);
}

void BM_WriteBaseline(benchmark::State& state) {
    Sample& sample = AllSamples().Get(static_cast<int>(state.range(0)));
    const std::string native = platform::PathMap::ToNative(sample.sjisFile + ".base");
    iconv_t cd = iconv_open(Utf8Form(state) ? "UTF-8" : "CP932", "CP932");
    std::string line;
    std::string converted;
    for (auto _ : state) {
        std::FILE* out = std::fopen(native.c_str(), "wb");
        for (auto position = sample.profile.GetHeadPosition(); position;) {
            const FavoritesItem* item = sample.profile.GetNext(position);
            line.assign(static_cast<size_t>(item->GetDepth()) * 4, ' ');
            if (item->IsFolder()) {
                line += "<DT><H3 ADD_DATE=\"1796698800\">" + item->GetName() + "</H3>\r\n\r\n";
            } else {
                line += "<DT><A HREF=\"" + item->GetURL() +
                        "\" ADD_DATE=\"1796698800\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" +
                        item->GetName() + "</A>\r\n\r\n";
            }
            Iconv(cd, line, converted);
            std::fwrite(converted.data(), 1, converted.size(), out);
        }
        std::fclose(out);
    }
    iconv_close(cd);
    Report(state, sample);
}

void Sizes(benchmark::internal::Benchmark* bench) {
    for (int form : {0, 1}) {
        for (int bookmarks : {10000, 100000}) bench->Args({bookmarks, form});
    }
    bench->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();
}

BENCHMARK(BM_Read)->Apply(Sizes);
BENCHMARK(BM_ReadBaseline)->Apply(Sizes);
BENCHMARK(BM_Write)->Apply(Sizes);
BENCHMARK(BM_WriteBaseline)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(
        argc, argv,
        {{"Netscape read 100k Shift-JIS / baseline", "BM_Read/100000/0", "BM_ReadBaseline/100000/0",
          1},
         {"Netscape read 100k UTF-8 / baseline", "BM_Read/100000/1", "BM_ReadBaseline/100000/1", 1},
         {"Netscape read 10k Shift-JIS / baseline", "BM_Read/10000/0", "BM_ReadBaseline/10000/0",
          1},
         {"Netscape read 10k UTF-8 / baseline", "BM_Read/10000/1", "BM_ReadBaseline/10000/1", 1}});
}

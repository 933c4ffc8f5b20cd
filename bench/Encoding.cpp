// Encoding conversions and detection, line by line over a generated Japanese bookmark corpus of
// about 50 MB, next to glibc iconv's CP932 converting the same lines. Each conversion writes into
// one output string (or buffer) reused from line to line, as a file reader does.
//
// After the table, a line per direction says how many times faster than iconv ours ran.
//
// The corpus is made by tools/gen_japanese_corpus.py (fixed seed) into "encoding-corpus" next to
// this program the first time it runs; PENNAWICK_BENCH_CORPUS names another folder.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "encoding/EncodingString.h"

namespace {

namespace fs = std::filesystem;

fs::path CorpusFolder() {
    if (const char* folder = std::getenv("PENNAWICK_BENCH_CORPUS")) return folder;
    return fs::read_symlink("/proc/self/exe").parent_path() / "encoding-corpus";
}

void MakeCorpus(const fs::path& folder) {
    const std::string command = std::string("python3 '") + PENNAWICK_SOURCE_DIR +
                                "/tools/gen_japanese_corpus.py' '" + folder.string() + "'";
    std::fprintf(stderr, "Generating the corpus: %s\n", command.c_str());
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "Could not generate the corpus\n");
        std::exit(1);
    }
}

struct Corpus {
    std::vector<std::string> lines;
    size_t bytes = 0;
    size_t longest = 0;
};

// The lines of one encoding of the corpus ("sjis", "utf8", "euc", "jis"), loaded once.
const Corpus& Lines(const std::string& encoding) {
    static std::map<std::string, Corpus> loaded;
    auto found = loaded.find(encoding);
    if (found != loaded.end()) return found->second;

    const fs::path path = CorpusFolder() / ("japanese-" + encoding + ".txt");
    if (!fs::exists(path)) MakeCorpus(CorpusFolder());
    std::ifstream file(path, std::ios::binary);
    Corpus& corpus = loaded[encoding];
    std::string line;
    while (std::getline(file, line)) {
        corpus.bytes += line.size();
        corpus.longest = std::max(corpus.longest, line.size());
        corpus.lines.push_back(line);
    }
    return corpus;
}

template <typename Convert>
void RunOurs(benchmark::State& state, const char* encoding, Convert convert) {
    const Corpus& corpus = Lines(encoding);
    EncodingString converter;
    std::string out;
    size_t produced = 0;
    for (auto _ : state) {
        produced = 0;
        for (const std::string& line : corpus.lines) {
            convert(converter, out, line);
            produced += out.size();
        }
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.bytes));
    state.counters["output_MB"] = static_cast<double>(produced) / 1e6;
}

void RunIconv(benchmark::State& state, const char* encoding, const char* from, const char* to) {
    const Corpus& corpus = Lines(encoding);
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::string out(corpus.longest * 4 + 16, '\0');
    size_t produced = 0;
    size_t failures = 0;
    for (auto _ : state) {
        produced = 0;
        failures = 0;
        for (const std::string& line : corpus.lines) {
            char* in = const_cast<char*>(line.data());
            size_t inLeft = line.size();
            char* dest = out.data();
            size_t outLeft = out.size();
            if (iconv(cd, &in, &inLeft, &dest, &outLeft) == static_cast<size_t>(-1)) ++failures;
            iconv(cd, nullptr, nullptr, &dest, &outLeft);  // back to the initial state
            produced += out.size() - outLeft;
        }
        benchmark::DoNotOptimize(produced);
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.bytes));
    state.counters["output_MB"] = static_cast<double>(produced) / 1e6;
    state.counters["failed_lines"] = static_cast<double>(failures);
}

void SjisToUtf8(benchmark::State& state) {
    RunOurs(state, "sjis", [](EncodingString& e, std::string& out, const std::string& in) {
        e.Convert(EncodingString::kSJISToUTF8, out, in, 0);
    });
}
void SjisToUtf8Iconv(benchmark::State& state) {
    RunIconv(state, "sjis", "CP932", "UTF-8");
}

void Utf8ToSjis(benchmark::State& state) {
    RunOurs(state, "utf8", [](EncodingString& e, std::string& out, const std::string& in) {
        e.ConvertUTF82SJIS(out, in, 0);
    });
}
void Utf8ToSjisIconv(benchmark::State& state) {
    RunIconv(state, "utf8", "UTF-8", "CP932");
}

void EucToSjis(benchmark::State& state) {
    RunOurs(state, "euc", [](EncodingString& e, std::string& out, const std::string& in) {
        e.ConvertEUC2SJIS(out, in, 0);
    });
}
void EucToSjisIconv(benchmark::State& state) {
    RunIconv(state, "euc", "EUC-JP", "CP932");
}

void JisToSjis(benchmark::State& state) {
    RunOurs(state, "jis", [](EncodingString& e, std::string& out, const std::string& in) {
        e.ConvertJIS2SJIS(out, in, 0);
    });
}
void JisToSjisIconv(benchmark::State& state) {
    RunIconv(state, "jis", "ISO-2022-JP", "CP932");
}

template <const char* kEncoding>
void Detect(benchmark::State& state) {
    const Corpus& corpus = Lines(kEncoding);
    EncodingString detector;
    int64_t sum = 0;
    for (auto _ : state) {
        for (const std::string& line : corpus.lines) sum += detector.CheckEncodingType(line);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.bytes));
}
constexpr char kSjis[] = "sjis";
constexpr char kUtf8[] = "utf8";
constexpr char kEuc[] = "euc";

}  // namespace

BENCHMARK(SjisToUtf8)->Name("Convert103_SJIS_to_UTF8")->Unit(benchmark::kMillisecond);
BENCHMARK(SjisToUtf8Iconv)->Name("iconv_CP932_to_UTF8")->Unit(benchmark::kMillisecond);
BENCHMARK(Utf8ToSjis)->Name("ConvertUTF82SJIS")->Unit(benchmark::kMillisecond);
BENCHMARK(Utf8ToSjisIconv)->Name("iconv_UTF8_to_CP932")->Unit(benchmark::kMillisecond);
BENCHMARK(EucToSjis)->Name("ConvertEUC2SJIS")->Unit(benchmark::kMillisecond);
BENCHMARK(EucToSjisIconv)->Name("iconv_EUCJP_to_CP932")->Unit(benchmark::kMillisecond);
BENCHMARK(JisToSjis)->Name("ConvertJIS2SJIS")->Unit(benchmark::kMillisecond);
BENCHMARK(JisToSjisIconv)->Name("iconv_ISO2022JP_to_CP932")->Unit(benchmark::kMillisecond);
BENCHMARK(Detect<kSjis>)->Name("CheckEncodingType_SJIS_lines")->Unit(benchmark::kMillisecond);
BENCHMARK(Detect<kUtf8>)->Name("CheckEncodingType_UTF8_lines")->Unit(benchmark::kMillisecond);
BENCHMARK(Detect<kEuc>)->Name("CheckEncodingType_EUC_lines")->Unit(benchmark::kMillisecond);

namespace {

// Our conversion and iconv's for each direction, by benchmark name.
struct Direction {
    const char* label;
    const char* ours;
    const char* iconv;
};
constexpr Direction kDirections[] = {
    {"Shift-JIS -> UTF-8", "Convert103_SJIS_to_UTF8", "iconv_CP932_to_UTF8"},
    {"UTF-8 -> Shift-JIS", "ConvertUTF82SJIS", "iconv_UTF8_to_CP932"},
    {"EUC-JP -> Shift-JIS", "ConvertEUC2SJIS", "iconv_EUCJP_to_CP932"},
    {"ISO-2022-JP -> Shift-JIS", "ConvertJIS2SJIS", "iconv_ISO2022JP_to_CP932"},
};

// The console output, and after it how many times faster than iconv each direction ran: from
// the medians when the runs are repeated, else from the single runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if ((median || single) && !run.error_occurred) {
                times_[run.run_name.function_name] = {run.GetAdjustedRealTime(),
                                                      run.GetAdjustedCPUTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        bool header = false;
        for (const Direction& direction : kDirections) {
            const auto ours = times_.find(direction.ours);
            const auto iconv = times_.find(direction.iconv);
            if (ours == times_.end() || iconv == times_.end()) continue;
            if (!header) {
                std::printf("\nTimes faster than iconv on the same lines (real time, CPU time):\n");
                header = true;
            }
            std::printf("  %-26s %5.2fx  %5.2fx\n", direction.label,
                        iconv->second.first / ours->second.first,
                        iconv->second.second / ours->second.second);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> times_;  // real, CPU
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

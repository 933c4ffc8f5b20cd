#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

// One line of the table printed after a benchmark program's runs: the median of one run over the
// median of its floor, by real and by CPU time, or by a counter both report (a step's
// milliseconds).
// Names are as reported without the repetition suffixes, e.g. "BM_OperaLoad/100000". A floor
// given as a number of milliseconds instead of a name sets the run against that fixed time, for a
// goal that is a time rather than a factor.
struct Ratio {
    Ratio(std::string label, std::string run, std::string floor, double goal = 0,
          std::string counter = {})
        : label(std::move(label)),
          run(std::move(run)),
          floor(std::move(floor)),
          goal(goal),
          counter(std::move(counter)) {}
    std::string label;
    std::string run;
    std::string floor;
    double goal;          // 0: no goal, the line is for information
    std::string counter;  // empty: the runs' times

    static Ratio Within(std::string label, std::string run, double milliseconds) {
        Ratio ratio(std::move(label), std::move(run), {}, 1.0);
        ratio.floorMs = milliseconds;
        return ratio;
    }
    double floorMs = 0;  // > 0: the floor is this fixed time
};

// The console reporter, keeping the median of each run (its only repetition without aggregates).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, as the library's own console reporter does by default.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            Sample& sample = samples_[name];
            if (run.run_type == Run::RT_Aggregate) sample = Sample{};
            const double toMs = 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            sample.real.push_back(run.GetAdjustedRealTime() * toMs);
            sample.cpu.push_back(run.GetAdjustedCPUTime() * toMs);
            for (const auto& [counter, value] : run.counters)
                sample.counters[counter].push_back(value.value);
        }
    }

    // Prints the table; a line whose runs did not both run is left out.
    void PrintTable(const std::vector<Ratio>& ratios) const {
        std::printf("\n%-58s %9s %9s %10s %10s %7s\n", "ratio (medians)", "real", "cpu", "run ms",
                    "floor ms", "goal");
        for (const Ratio& ratio : ratios) {
            const auto run = samples_.find(ratio.run);
            if (run == samples_.end()) continue;
            if (ratio.floorMs > 0) {
                const double runReal = Median(run->second.real);
                std::printf("%-58s %8.2fx %9s %10.1f %10.1f %7s\n", ratio.label.c_str(),
                            runReal / ratio.floorMs, "-", runReal, ratio.floorMs, "<=1.00x");
                continue;
            }
            const auto floor = samples_.find(ratio.floor);
            if (floor == samples_.end()) continue;
            double runReal = Median(run->second.real);
            double floorReal = Median(floor->second.real);
            double cpu = Median(run->second.cpu) / Median(floor->second.cpu);
            if (!ratio.counter.empty()) {
                runReal = Median(run->second.Counter(ratio.counter));
                floorReal = Median(floor->second.Counter(ratio.counter));
                cpu = 0;
            }
            char goal[16] = "";
            if (ratio.goal > 0) std::snprintf(goal, sizeof goal, "<=%.2fx", ratio.goal);
            char cpuText[16] = "-";
            if (cpu > 0) std::snprintf(cpuText, sizeof cpuText, "%.2fx", cpu);
            std::printf("%-58s %8.2fx %9s %10.1f %10.1f %7s\n", ratio.label.c_str(),
                        runReal / floorReal, cpuText, runReal, floorReal, goal);
        }
    }

private:
    struct Sample {
        std::vector<double> real, cpu;
        std::map<std::string, std::vector<double>> counters;
        std::vector<double> Counter(const std::string& name) const {
            const auto found = counters.find(name);
            return found == counters.end() ? std::vector<double>{} : found->second;
        }
    };
    static double Median(std::vector<double> values) {
        if (values.empty()) return 0;
        std::sort(values.begin(), values.end());
        const size_t mid = values.size() / 2;
        return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    }
    std::map<std::string, Sample> samples_;
};

// main() of a benchmark program that prints its ratio table after the runs.
inline int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable(ratios);
    benchmark::Shutdown();
    return 0;
}

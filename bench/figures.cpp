// The figures of one run: every benchmark's time per iteration as the library reports it,
// the helpers that print them side by side, and the targets with whether they hold.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench.h"

namespace {

// Seconds per iteration by benchmark name: each run of a benchmark (one per repetition),
// and the median the library computes over repetitions.
std::map<std::string, std::vector<double>> runSeconds;
std::map<std::string, double> medianSeconds;

constexpr int kRepetitions = 3;

// The console output shows each benchmark's median (its one run when it ran once); every
// run's time is kept for the summary.
struct RecordingReporter : benchmark::ConsoleReporter {
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes: the output goes into files too
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (single || run.error_occurred || run.aggregate_name == "median") shown.push_back(run);
        }
        if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration) runSeconds[name].push_back(seconds);
            else if (run.aggregate_name == "median") medianSeconds[name] = seconds;
        }
    }
};

struct Target {
    std::string target;
    std::string measured;
    bool known;
    bool holds;
};
std::vector<Target> targets;

}  // namespace

double figure(const std::string& name) {
    const auto median = medianSeconds.find(name);
    if (median != medianSeconds.end()) return median->second;
    const auto runs = runSeconds.find(name);
    if (runs == runSeconds.end() || runs->second.empty()) return -1;
    std::vector<double> sorted = runs->second;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

benchmark::internal::Benchmark* asFigure(benchmark::internal::Benchmark* b, benchmark::TimeUnit unit,
                                         double minSeconds) {
    return b->UseManualTime()->Unit(unit)->MinTime(minSeconds)->Repetitions(kRepetitions);
}

void runBenchmarks() {
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

std::string showTime(double seconds) {
    if (seconds < 0) return "-";
    char text[32];
    if (seconds >= 1) std::snprintf(text, sizeof text, "%.2f s", seconds);
    else if (seconds >= 1e-3) std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else if (seconds >= 1e-6) std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    else std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
    return text;
}

std::string showRatio(double a, double b) {
    if (a < 0 || b <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, a / b >= 10 ? "%.0fx" : "%.2fx", a / b);
    return text;
}

void noteTarget(const std::string& target, const std::string& measured, bool known, bool holds) {
    targets.push_back({target, measured, known, holds});
}

void printTargets() {
    std::printf("\nTargets\n");
    for (const Target& t : targets) {
        const char* verdict = !t.known ? "not measured" : t.holds ? "holds" : "MISSED";
        std::printf("  %-13s %s: %s\n", verdict, t.target.c_str(), t.measured.c_str());
    }
}

// What the parts of weissenberg-bench share: the registration of each group of figures,
// the full log they draw, and the table of figures printed after the run.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "platform/app.h"

// ---- the groups of figures ------------------------------------------------------------

// Ewald scan over the limiting sphere's index box, the plain triple loop and ours, for four
// crystals at several orientations; each pair's hits are compared before anything is timed.
void registerScanBenchmarks();

// Film coordinates of the logs for both films (the per-redraw array builders).
void registerFilmCoordsBenchmarks();

// Redraws in the real windows, glFinish-timed. Needs the windows of setUpWindows().
void registerRedrawBenchmarks();

// The spot under the pointer in a film window at a log of kTargetLogEntries entries.
void registerSpotLookupBenchmarks();

// ---- windows, crystals and logs (bench_windows.cpp) ------------------------------------

// The log size at which the redraw targets were set (and the log's capacity then).
constexpr int kTargetLogEntries = 100000;

// The logs the figures are taken at.
enum class LogSize {
    empty,  // emptied before each redraw (a main redraw logs what it finds)
    target, // kTargetLogEntries entries, the first ones of the start crystal's spin
    full,   // kLogCapacity entries, a spin until the log took no more
};
const char* logSizeName(LogSize size);  // "empty log", "100000 entries", "full log"

// The crystals whose redraws are timed.
enum class BenchCrystal {
    start,  // 5 5 5 90 90 90, lambda 1.5418, space group 1: the start crystal of the lessons
    large,  // 25 25 25 90 90 90, lambda 0.71, space group 1: some 1.5 million points in the limiting sphere
};

// The main window as start-up makes it for the start crystal, both film windows open and
// following, each placed so that the films lie wholly on the screen.
void setUpWindows(int* argc, char** argv);

// Fills the start crystal's log as a spin with both films open fills it: the spin's turn,
// then the scan and the log of the main redraw (each entry with its film ordinate), until
// the log holds kLogCapacity entries; keeps the state after kTargetLogEntries entries (the
// log cut there) and the full one. Returns the number of spin steps it took.
int fillLogBySpin();

// Makes `crystal` the session's crystal (with both films following, its scene built anew
// after a change) and gives it the log `size`, its crystal orientation and latest scan as
// the spin left them; the large cell's full log is made by spinning it on first use. Each
// prepare of a figure calls it: the log is copied back only when a redraw changed it.
void useLog(BenchCrystal crystal, LogSize size);

// Entries of the log `size` of `crystal` (after fillLogBySpin; the large cell's full log
// once made).
int logEntries(BenchCrystal crystal, LogSize size);
// Spin steps that made the large cell's full log; 0 until it is made.
int largeCellSpinSteps();

// Lets the toolkit handle what is pending (mapping, placing, first redraws).
void pumpEvents(int milliseconds);

// ---- figures (figures.cpp) ------------------------------------------------------------

// Time per iteration in seconds of a finished benchmark (median of repetitions when there
// were several); negative when it did not run.
double figure(const std::string& name);

// Each iteration runs prepare() untimed, then step() timed with the steady clock (the
// benchmark is registered through asFigure). GL steps end in glFinish themselves.
template <typename Prepare, typename Step>
void timeIterations(benchmark::State& state, Prepare prepare, Step step) {
    for (auto _ : state) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        step();
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

// Settings every figure of ours shares: manual time (see timeIterations), the unit it is
// shown in, at least minSeconds of iterations per run, three runs of which the median counts
// (the machine is shared, so a single run can catch another program's burst).
benchmark::internal::Benchmark* asFigure(benchmark::internal::Benchmark* b, benchmark::TimeUnit unit,
                                         double minSeconds);

// Runs the registered benchmarks, printing the median of each (or its one run), recording
// every figure.
void runBenchmarks();

// ---- the summary after the run --------------------------------------------------------

// Each group prints its rows side by side and states its targets.
void printScanSummary();
void printFilmCoordsSummary();
void printRedrawSummary();
void printSpotLookupSummary();

// Time in the unit that suits it ("28 ns", "812.0 us", "23.40 ms"); "-" when the figure is missing.
std::string showTime(double seconds);
// Ratio a / b as "1.25x" or, from 10 on, "31x"; "-" when either is missing.
std::string showRatio(double a, double b);

// One target: what it asks, what the figures give, whether it holds (known = the figures ran).
void noteTarget(const std::string& target, const std::string& measured, bool known, bool holds);
void printTargets();

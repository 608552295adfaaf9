// What the parts of weissenberg-bench share: the registration of each group of figures,
// the full log they draw, and the table of figures printed after the run.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "platform/app.h"

// ---- the three groups of figures ------------------------------------------------------

// Ewald scan over the limiting sphere's index box, full triple loop and ours, for three
// crystals at several orientations; each pair's hits are compared before anything is timed.
void registerScanBenchmarks();

// Film coordinates of the full log for both films (the per-redraw array builders).
void registerFilmCoordsBenchmarks();

// Redraws in the real windows, glFinish-timed. Needs the windows of setUpWindows().
void registerRedrawBenchmarks();

// ---- windows and the full log (bench_windows.cpp) --------------------------------------

// The main window as start-up makes it (start crystal 5 5 5 90 90 90, lambda 1.5418), both
// film windows open and following, each placed so that the films lie wholly on the screen.
void setUpWindows(int* argc, char** argv);

// Fills the log as a spin with both films open fills it: the spin's turn, then the scan and
// the log of the main redraw (each entry with its film ordinate), until the log holds
// kLogCapacity entries. Leaves the crystal where the spin stopped and keeps a copy of the
// log. Returns the number of spin steps it took.
int fillLogBySpin();

// Puts the copy made by fillLogBySpin() back (the redraws at an empty log empty it, and
// every main redraw appends to it).
void restoreFullLog();

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

// Time in the unit that suits it ("812.0 us", "23.40 ms"); "-" when the figure is missing.
std::string showTime(double seconds);
// Ratio a / b as "1.25x" or, from 10 on, "31x"; "-" when either is missing.
std::string showRatio(double a, double b);

// One target: what it asks, what the figures give, whether it holds (known = the figures ran).
void noteTarget(const std::string& target, const std::string& measured, bool known, bool holds);
void printTargets();

// Figures for the spot under the pointer at a full log of 100000 entries: one lookup in a
// film window (the grid already built), building the grid after the film drew new points,
// and one lookup when every entry is its own point crowded into a few cells (no merging).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "model/spot_index.h"
#include "render/film_spots.h"
#include "session/commands.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kSize = 520;  // window pixels

// The start crystal spun with both films open until the log holds kEntries entries.
const Session& fullSession() {
    static const Session session = [] {
        Session s = newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 1.5418);
        s.rotationOpen = 1;
        s.weissenbergOpen = 1;
        beginRotationFilmRedraw(s, true);
        while (s.log.count() < kEntries) {
            spinStep(s);
            scanAndLog(s);
        }
        const auto keep = static_cast<size_t>(kEntries);
        s.log.logH.resize(keep);
        s.log.logK.resize(keep);
        s.log.logL.resize(keep);
        s.log.logAngle.resize(keep);
        s.log.filmOrdinate.resize(keep);
        return s;
    }();
    return session;
}

void BM_FilmLookup(benchmark::State& state, Film film) {
    const Session& s = fullSession();
    FilmPoints points;
    if (film == Film::rotation) rotationFilmFrame(s, kSize, kSize, false, false, points);
    else weissenbergFilmFrame(s, kSize, kSize, points);
    FilmSpotFinder finder;
    std::mt19937 random(12);
    std::uniform_int_distribution<int> pixel(0, kSize - 1);
    finder.nearestEntry(points, kSize, kSize, 0, 0, 6);  // the grid, once
    for (auto _ : state) benchmark::DoNotOptimize(finder.nearestEntry(points, kSize, kSize, pixel(random), pixel(random), 6));
    state.counters["points"] = points.count();
}

void BM_FilmLookupRebuild(benchmark::State& state) {
    const Session& s = fullSession();
    FilmPoints points;
    rotationFilmFrame(s, kSize, kSize, false, false, points);
    FilmSpotFinder finder;
    for (auto _ : state) {
        ++points.stamp;  // as after the film drew again
        benchmark::DoNotOptimize(finder.nearestEntry(points, kSize, kSize, kSize / 2, kSize / 3, 6));
    }
}

void BM_CrowdedLookup(benchmark::State& state) {
    // Every entry a point of its own, within a few pixels of ten places.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> jitter(-0.01f, 0.01f);
    std::vector<FilmSpot> spots;
    for (int i = 0; i < kEntries; ++i)
        spots.push_back({0.1f * static_cast<float>(i % 10) - 0.5f + jitter(random), jitter(random), i});
    SpotIndex index;
    index.build(spots);
    for (auto _ : state) benchmark::DoNotOptimize(index.nearest(-0.2, 0.0, 12.0 / kSize, 12.0 / kSize));
}

}  // namespace

BENCHMARK_CAPTURE(BM_FilmLookup, rotation, Film::rotation)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilmLookup, weissenberg, Film::weissenberg)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilmLookupRebuild)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CrowdedLookup)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

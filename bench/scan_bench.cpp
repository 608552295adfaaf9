// Figures of the Ewald scan over the limiting sphere's index box: the plain triple loop
// that tests every index triple against ours, which tests only the l near where each (h, k)
// column meets the sphere; three crystals, several orientations, the hits of each pair
// compared first.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "bench.h"
#include "model/crystal.h"
#include "model/ewald_scan.h"
#include "model/matrix.h"

namespace {

struct BenchCrystal {
    const char* name;
    double a, b, c, alpha, beta, gamma;  // cell edges and angles (degrees)
    double lambda;                       // wavelength, the edges' unit
};

const BenchCrystal kCrystals[] = {
    {"cubic 5", 5, 5, 5, 90, 90, 90, 1.5418},
    {"cubic 20", 20, 20, 20, 90, 90, 90, 0.71},
    {"monoclinic 5 6 7", 5, 6, 7, 90, 100, 90, 1.5418},
};

struct Turn {
    double x, y, z;  // axis, as the turns of the program name it
    double degrees;
};

struct Orientation {
    const char* name;
    std::vector<Turn> turns;  // applied in order, each on the left: about the fixed laboratory axes
};

const Orientation kOrientations[] = {
    {"start", {}},
    {"z 30", {{0, 0, 1, 30}}},
    {"x 25 z 40", {{1, 0, 0, 25}, {0, 0, 1, 40}}},
    {"x 33 y -57 z 71", {{1, 0, 0, 33}, {0, 1, 0, -57}, {0, 0, 1, 71}}},
};

struct ScanCase {
    std::string name;        // "crystal / orientation"
    ScanInput in;            // its crystal lives in `crystals`
    IndexRange box;          // the index box the triple loop walks
    size_t hits = 0;         // points on the sphere, origin included
    bool identical = false;  // ours gave the very hits of the triple loop, in order
};

std::vector<ScanCase> cases;
std::deque<Crystal> crystals;  // stable addresses for the scans' inputs

ScanInput scanInput(const BenchCrystal& c, const Orientation& orientation) {
    crystals.push_back(makeCrystal(c.a, c.b, c.c, c.alpha, c.beta, c.gamma, 1));
    ScanInput in;
    in.crystal = &crystals.back();
    in.ewaldDiameter = 2.0 / c.lambda;
    in.currentLayer = 0;
    in.allLayers = 1;
    in.orientation = identityMatrix();
    for (const Turn& t : orientation.turns) turnMatrix(in.orientation, t.degrees, t.x, t.y, t.z);
    return in;
}

bool same(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Same hits, same order, same points, same derived values.
bool identicalScans(const ScanResult& full, const ScanResult& ours) {
    if (full.hits.size() != ours.hits.size()) return false;
    for (size_t i = 0; i < full.hits.size(); ++i) {
        const LatticeHit& a = full.hits[i];
        const LatticeHit& b = ours.hits[i];
        if (a.h != b.h || a.k != b.k || a.l != b.l || !same(a.p, b.p)) return false;
    }
    return full.crystalAngle == ours.crystalAngle && same(full.aStarRot, ours.aStarRot) &&
           same(full.bStarRot, ours.bStarRot) && same(full.cStarRot, ours.cStarRot) &&
           same(full.sphereCentreCrystal, ours.sphereCentreCrystal);
}

std::string benchName(const ScanCase& c, const char* which) { return "scan/" + c.name + "/" + which; }

void registerScan(const ScanCase& c, const char* which, void (*scan)(const ScanInput&, ScanResult&)) {
    const ScanInput in = c.in;
    const auto run = [in, scan](benchmark::State& state) {
        ScanResult result;  // reused from scan to scan, as the main redraw reuses its own
        timeIterations(state, [] {}, [&] {
            scan(in, result);
            benchmark::DoNotOptimize(result.hits.data());
        });
    };
    asFigure(benchmark::RegisterBenchmark(benchName(c, which).c_str(), run), benchmark::kMicrosecond, 0.2);
}

}  // namespace

void registerScanBenchmarks() {
    for (const BenchCrystal& crystal : kCrystals) {
        for (const Orientation& orientation : kOrientations) {
            ScanCase c;
            c.name = std::string(crystal.name) + " / " + orientation.name;
            c.in = scanInput(crystal, orientation);
            c.box = indexRange(*c.in.crystal, c.in.ewaldDiameter + 2 * kOnSphereTolerance);  // as the scan takes it
            ScanResult full, ours;
            scanEwaldSphereFull(c.in, full);
            scanEwaldSphere(c.in, ours);
            c.hits = full.hits.size();
            c.identical = identicalScans(full, ours);
            cases.push_back(c);
        }
    }
    for (const ScanCase& c : cases) {
        registerScan(c, "full", scanEwaldSphereFull);
        registerScan(c, "ours", scanEwaldSphere);
    }
}

void printScanSummary() {
    std::printf("\nEwald scan over the limiting sphere's index box (allLayers 1, layer 0, space group 1)\n");
    std::printf("  %-36s %13s %6s %12s %12s %9s  %s\n", "crystal / orientation (degrees)", "box h k l", "hits",
                "triple loop", "ours", "ratio", "same hits");
    bool allKnown = !cases.empty();
    bool allHold = true;
    bool allIdentical = true;
    double worst = 0;
    for (const ScanCase& c : cases) {
        const double full = figure(benchName(c, "full"));
        const double ours = figure(benchName(c, "ours"));
        char box[32];
        std::snprintf(box, sizeof box, "%d %d %d", c.box.h, c.box.k, c.box.l);
        std::printf("  %-36s %13s %6zu %12s %12s %9s  %s\n", c.name.c_str(), box, c.hits, showTime(full).c_str(),
                    showTime(ours).c_str(), showRatio(full, ours).c_str(), c.identical ? "yes" : "NO");
        allIdentical = allIdentical && c.identical;
        if (full < 0 || ours < 0) {
            allKnown = false;
            continue;
        }
        const double ratio = full / ours;
        if (worst == 0 || ratio < worst) worst = ratio;
        allHold = allHold && ratio >= 20;
    }
    char measured[96];
    std::snprintf(measured, sizeof measured, "lowest ratio %.1fx; hits %s", worst,
                  allIdentical ? "identical in every case" : "DIFFER");
    noteTarget("scan >= 20x the triple loop on every crystal, identical hits", measured, allKnown,
               allHold && allIdentical);
}

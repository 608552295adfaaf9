// Any crystal, as a user starts it: a space group by symbol, a CIF file, the whole set of
// refused inputs (console line, the box "Eingabefehler", status 1, no main window), --help
// without any display, and the absences a user sees: NaCl's main view has no lattice point
// where (1 0 0) would be.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"

namespace {

const std::string kData = WEISSENBERG_DATA_DIR;

struct Refused {
    std::vector<std::string> args;
    const char* line;  // the console line's beginning, which the box shows too
};

// Coloured or faint pixels (anything not white) in the 5 x 5 square about (x, y).
int markedPixels(const Screenshot& s, int x, int y) {
    int n = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            int r, g, b;
            s.pixel(x + dx, y + dy, r, g, b);
            if (r < 250 || g < 250 || b < 250) ++n;
        }
    return n;
}

}  // namespace

TEST(AnyCrystal, RefusedInputsSayWhyAndEndWithStatusOne) {
    const std::string brokenCif = testing::TempDir() + "broken.cif";
    std::ofstream(brokenCif) << "this is no CIF\n";
    const Refused cases[] = {
        {{"abc", "5", "5", "90", "90", "90", "1.5418"}, "Ungueltiger Wert fuer a: \"abc\" ist keine Zahl."},
        {{"5", "5", "5", "90", "90", "90", "0"}, "Ungueltiger Wert fuer lambda: 0."},
        {{"5", "5", "5", "90", "180", "90", "1.5418"}, "Ungueltiger Wert fuer beta: 180."},
        {{"5", "5", "5", "90", "90", "90", "1.5418", "P99"}, "Unbekannte Raumgruppe: \"P99\"."},
        {{"--cif", "/nonexistent/nacl.cif", "1.5418"}, "Die CIF-Datei \"/nonexistent/nacl.cif\" gibt es nicht."},
        {{"--cif", brokenCif, "1.5418"}, ""},
    };
    // The console names the CIF file that was refused.
    for (const Refused& c : cases)
        ASSERT_NO_FATAL_FAILURE(expectRefused(c.args, c.line, c.args[0] == "--cif" ? c.args[1] : ""));
}

TEST(AnyCrystal, HelpNeedsNoDisplay) {
    int status = -1;
    const std::string out = shell("env -u DISPLAY " + std::string(programPath()) + " --help", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.find("Aufruf:\n"), 0u) << out;
    EXPECT_NE(out.find("--cif DATEI lambda"), std::string::npos);
}

TEST(AnyCrystal, SymbolAndCifStartsNameWhatWasRead) {
    RunningProgram symbol;
    ASSERT_NE(startToMainWindow(symbol, {"5", "6", "7", "90", "100", "90", "1,5418", "P21/c"}), 0u);
    EXPECT_TRUE(waitForOutput(symbol, "1.541800 14.000000 \n Lambda: 1.541800\nSPGN 14\nRaumgruppe P 1 21/c 1\n"))
        << symbol.out;
    stopProgram(symbol);

    RunningProgram cif;
    ASSERT_NE(startToMainWindow(cif, {"--cif", kData + "/cif/nacl.cif", "1.5418"}), 0u);
    EXPECT_TRUE(waitForOutput(cif, "Hallo!\n5.640200 5.640200 5.640200 90.000000 90.000000 90.000000 1.541800 225.000000 \n"
                           " Lambda: 1.541800\nSPGN 225\nRaumgruppe F m -3 m\n0.177299 0.177299 0.177299   "
                           "1.570796 1.570796 1.570796\nCIF-Datei " + kData + "/cif/nacl.cif, Datenblock nacl\n"))
        << cif.out;
    stopProgram(cif);
}

// At rest the view looks down the laboratory z axis, so the lattice points (0 1 l) all fall
// on one spot: b* / e above the centre, e = 1.05 · 2/λ the camera box, where no ray passes
// (the origin's ray runs along the x axis). In F m -3 m every one of them is absent (h, k, l
// not all even or all odd), as is (1 0 0); in P 1 the spot is yellow. (0 2 0) shows in both.
TEST(AnyCrystal, NaClMainViewHasNoPointAt100) {
    const double bStar = 1 / 5.6402, e = 1.05 * 2 / 1.5418;
    const int y010 = static_cast<int>((1 - bStar / e) * 260 + 0.5), y020 = static_cast<int>((1 - 2 * bStar / e) * 260 + 0.5);
    const std::vector<std::string> cell = {"5.6402", "5.6402", "5.6402", "90", "90", "90", "1.5418"};
    for (const char* group : {"225", "1"}) {
        std::vector<std::string> args = cell;
        args.push_back(group);
        RunningProgram p;
        const unsigned long main = startToMainWindow(p, args);
        ASSERT_NE(main, 0u);
        pressKeys(main, "x F4");  // axes and sphere off: only lattice points and the reflections' marks
        // Until the keys' redraw shows: the b* axis gone from between (0 1 0) and (0 2 0), and
        // the sphere's wire from beside the origin.
        const int yAxis = static_cast<int>((1 - 1.5 * bStar / e) * 260 + 0.5);
        Screenshot shot;
        for (int tries = 0; tries < 100; ++tries) {
            shot = screenshot(main);
            if (shot.valid() && markedPixels(shot, 260, yAxis) == 0 && markedPixels(shot, 300, 200) == 0) break;
        }
        ASSERT_TRUE(shot.valid());
        EXPECT_GT(markedPixels(shot, 260, y020), 0) << group << ": (0 2 0) shows";
        if (std::string(group) == "225") {
            EXPECT_EQ(markedPixels(shot, 260, y010), 0) << "a point where (0 1 l) would be";
        } else {
            EXPECT_GT(markedPixels(shot, 260, y010), 0) << "the P 1 crystal shows (0 1 l)";
        }
        pressKeys(main, "q");
        EXPECT_TRUE(waitForExit(p));
        stopProgram(p);
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The start's console lines, which the desktop prints and the web page shows: the values as
// read, lambda, the space group, the reciprocal cell (a* = 1/a for a cubic cell), the file
// a cut index range, and lattice points that start hidden because there are too many to see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/commands.h"
#include "session/start.h"

TEST(Start, ConsoleLinesReportWhatWasRead) {
    const std::string nacl = std::string(WEISSENBERG_DATA_DIR) + "/cif/nacl.cif";
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> lines;
        bool cut = false;    // then the line that says so follows
        std::string hidden;  // the line that says the lattice points start hidden, last
    };
    const auto hiddenLine = [](const char* points) {
        return std::string("Etwa ") + points +
               " Gitterpunkte in der Grenzkugel: so dicht verdecken sie Ewaldkugel und Reflexe, darum sind sie zu "
               "Beginn ausgeblendet. F1 zeigt sie.";
    };
    const Case cases[] = {
        {{"5", "5", "5", "90", "90", "90", "1.5418"},
         {"5.000000 5.000000 5.000000 90.000000 90.000000 90.000000 1.541800 ", " Lambda: 1.541800", "SPGN 1",
          "0.200000 0.200000 0.200000   1.570796 1.570796 1.570796"},
         false,
         ""},
        // A symbol is named; a huge edge is echoed in full (1e30 has no exact double), and the
        // index range along a is cut.
        {{"1e30", "4", "4", "90", "90", "90", "1,5", "P21/c"},
         {"1000000000000000019884624838656.000000 4.000000 4.000000 90.000000 90.000000 90.000000 "
          "1.500000 14.000000 ",
          " Lambda: 1.500000", "SPGN 14", "Raumgruppe P 1 21/c 1",
          "0.000000 0.250000 0.250000   1.570796 1.570796 1.570796"},
         true,
         hiddenLine("2000000")},
        // The 25 A cell at 0.71 A: some 1.46 million lattice points start hidden; 15 A keeps them.
        {{"25", "25", "25", "90", "90", "90", "0.71"},
         {"25.000000 25.000000 25.000000 90.000000 90.000000 90.000000 0.710000 ", " Lambda: 0.710000", "SPGN 1",
          "0.040000 0.040000 0.040000   1.570796 1.570796 1.570796"},
         false,
         hiddenLine("1462930")},
        {{"15", "15", "15", "90", "90", "90", "0.71"},
         {"15.000000 15.000000 15.000000 90.000000 90.000000 90.000000 0.710000 ", " Lambda: 0.710000", "SPGN 1",
          "0.066667 0.066667 0.066667   1.570796 1.570796 1.570796"},
         false,
         ""},
        // NaCl's cell edge 5.6402: a* = 0.177299.
        {{"--cif", nacl, "1.5418"},
         {"5.640200 5.640200 5.640200 90.000000 90.000000 90.000000 1.541800 225.000000 ", " Lambda: 1.541800",
          "SPGN 225", "Raumgruppe F m -3 m", "0.177299 0.177299 0.177299   1.570796 1.570796 1.570796",
          "CIF-Datei " + nacl + ", Datenblock nacl"},
         false,
         ""},
    };
    for (const Case& c : cases) {
        const StartRequest request = readStartRequest(c.args);
        ASSERT_EQ(request.kind, StartRequest::Kind::run) << request.error;
        const StartedSession started = startSession(request);
        std::vector<std::string> lines = c.lines;
        if (c.cut) lines.push_back(rangeCutLine(started.session));
        if (!c.hidden.empty()) lines.push_back(c.hidden);
        EXPECT_EQ(started.console, lines) << c.args[0];
        EXPECT_EQ(started.session.showLatticePoints, c.hidden.empty() ? 1 : 0) << c.args[0];
        EXPECT_DOUBLE_EQ(started.session.ewaldDiameter, 2 / request.lambda);
    }
}

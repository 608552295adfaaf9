// The start's console lines, which the desktop prints and the web page shows: the values as
// read, lambda, the space group, the reciprocal cell (a* = 1/a for a cubic cell), the file
// and a cut index range.
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
        bool cut = false;  // then the line that says so follows
    };
    const Case cases[] = {
        {{"5", "5", "5", "90", "90", "90", "1.5418"},
         {"5.000000 5.000000 5.000000 90.000000 90.000000 90.000000 1.541800 ", " Lambda: 1.541800", "SPGN 1",
          "0.200000 0.200000 0.200000   1.570796 1.570796 1.570796"}},
        // A symbol is named; a huge edge is echoed in full (1e30 has no exact double), and the
        // index range along a is cut.
        {{"1e30", "4", "4", "90", "90", "90", "1,5", "P21/c"},
         {"1000000000000000019884624838656.000000 4.000000 4.000000 90.000000 90.000000 90.000000 "
          "1.500000 14.000000 ",
          " Lambda: 1.500000", "SPGN 14", "Raumgruppe P 1 21/c 1",
          "0.000000 0.250000 0.250000   1.570796 1.570796 1.570796"},
         true},
        // NaCl's cell edge 5.6402: a* = 0.177299.
        {{"--cif", nacl, "1.5418"},
         {"5.640200 5.640200 5.640200 90.000000 90.000000 90.000000 1.541800 225.000000 ", " Lambda: 1.541800",
          "SPGN 225", "Raumgruppe F m -3 m", "0.177299 0.177299 0.177299   1.570796 1.570796 1.570796",
          "CIF-Datei " + nacl + ", Datenblock nacl"}},
    };
    for (const Case& c : cases) {
        const StartRequest request = readStartRequest(c.args);
        ASSERT_EQ(request.kind, StartRequest::Kind::run) << request.error;
        const StartedSession started = startSession(request);
        std::vector<std::string> lines = c.lines;
        if (c.cut) lines.push_back(rangeCutLine(started.session));
        EXPECT_EQ(started.console, lines) << c.args[0];
        EXPECT_DOUBLE_EQ(started.session.ewaldDiameter, 2 / request.lambda);
    }
}

// The command line: numbers with a decimal point or comma, the space group by number or
// symbol, the checks on every value with their messages, CIF and export options.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "session/command_line.h"

namespace {
StartRequest read(std::vector<std::string> args) { return readStartRequest(args); }

std::vector<std::string> cellWith(const std::string& lambda, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"5", "5", "5", "90", "90", "90", lambda};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}
}  // namespace

TEST(CommandLine, NumbersTakeAPointOrACommaAndNothingElse) {
    struct Case {
        const char* text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {"5", true, 5},         {" 6.5", true, 6.5},  {"7e1", true, 70},      {"-90", true, -90},
        {"1,5418", true, 1.5418}, {"1.5418 ", true, 1.5418}, {"inf", true, HUGE_VAL},
        {"abc", false, 0},      {"", false, 0},       {"1.5418xyz", false, 0}, {"1,5,4", false, 0},
        {"1.5,4", false, 0},    {"0x10", false, 0},   {"14.7", true, 14.7},
    };
    for (const Case& c : cases) {
        const std::optional<double> v = parseNumber(c.text);
        EXPECT_EQ(v.has_value(), c.number) << '"' << c.text << '"';
        if (v && c.number) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
    EXPECT_TRUE(std::isnan(*parseNumber("nan")));
}

TEST(CommandLine, SpaceGroupTruncatesTowardZeroAndRefusesWhatNoIntHolds) {
    struct Case {
        double value;
        int spaceGroup;
    };
    const Case cases[] = {
        {14.0, 14},          {14.7, 14},        {14.2, 14},          {-3.9, -3},
        {0.0, 0},            {-0.5, 0},         {2147483647.9, INT_MAX}, {-2147483648.9, INT_MIN},
        {2147483648.0, 0},   {-2147483649.0, 0}, {1e30, 0},           {-1e30, 0},
        {HUGE_VAL, 0},       {-HUGE_VAL, 0},    {std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(spaceGroupFromValue(c.value), c.spaceGroup) << c.value;
}

TEST(CommandLine, ValuesAndSpaceGroups) {
    struct Case {
        std::vector<std::string> args;
        StartRequest::Kind kind;
        int group;          // SPGN
        bool named;         // the console names the group
        size_t echoed;      // values shown
    };
    using K = StartRequest::Kind;
    const Case cases[] = {
        {{}, K::usage, 0, false, 0},
        {{"5", "5", "5", "90", "90", "90"}, K::usage, 0, false, 0},
        {cellWith("1.5418"), K::run, 1, false, 7},
        {cellWith("1,5418", {"14"}), K::run, 14, false, 8},
        {cellWith("1.5418", {"14.7", "99", "x"}), K::run, 14, false, 8},  // after the eighth: ignored
        {cellWith("1.5418", {"225"}), K::run, 225, false, 8},
        {cellWith("1.5418", {"0"}), K::run, 0, false, 8},
        {cellWith("1.5418", {"1e30"}), K::run, 0, false, 8},
        {cellWith("1.5418", {"P21/c"}), K::run, 14, true, 8},
        {cellWith("1.5418", {"Fm-3m"}), K::run, 225, true, 8},
        {cellWith("1.5418", {"F d -3 m"}), K::run, 227, true, 8},
        {cellWith("1.5418", {"-P 2ybc"}), K::run, 14, true, 8},
        {{"--help"}, K::help, 0, false, 0},
    };
    for (const Case& c : cases) {
        const StartRequest r = read(c.args);
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        EXPECT_EQ(r.kind, c.kind) << line << r.error;
        if (c.kind != K::run) continue;
        EXPECT_EQ(r.spaceGroup.number, c.group) << line;
        EXPECT_EQ(r.nameGroup, c.named) << line;
        EXPECT_EQ(r.echo.size(), c.echoed) << line;
    }
    const StartRequest r = read(cellWith("1,5418", {"P 1 21/c 1"}));
    EXPECT_EQ(r.lambda, 1.5418);
    EXPECT_EQ(r.spaceGroup.hm, "P 1 21/c 1");
    EXPECT_EQ(r.echo.back(), 14.0);
}

// Every value that cannot be used gives its own message, naming the value and what is allowed.
TEST(CommandLine, BadValuesAreRefusedWithTheirMessage) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"abc", "5", "5", "90", "90", "90", "1.5"}, "Ungueltiger Wert fuer a: \"abc\" ist keine Zahl."},
        {{"5", "", "5", "90", "90", "90", "1.5"}, "Ungueltiger Wert fuer b: \"\" ist keine Zahl."},
        {{"5", "5", "0", "90", "90", "90", "1.5"}, "Ungueltiger Wert fuer c: 0. Erlaubt sind Zellkanten groesser als 0."},
        {{"-5", "5", "5", "90", "90", "90", "1.5"}, "Ungueltiger Wert fuer a: -5."},
        {{"inf", "5", "5", "90", "90", "90", "1.5"}, "Ungueltiger Wert fuer a: inf."},
        {{"5", "5", "5", "180", "90", "90", "1.5"}, "Ungueltiger Wert fuer alpha: 180. Erlaubt sind Winkel zwischen 0 und 180 Grad"},
        {{"5", "5", "5", "90", "0", "90", "1.5"}, "Ungueltiger Wert fuer beta: 0."},
        {{"5", "5", "5", "90", "90", "nan", "1.5"}, "Ungueltiger Wert fuer gamma: nan."},
        {cellWith("0"), "Ungueltiger Wert fuer lambda: 0. Erlaubt sind Wellenlaengen groesser als 0."},
        {cellWith("-1.5"), "Ungueltiger Wert fuer lambda: -1.5."},
        {cellWith("1.5", {"P99"}), "Unbekannte Raumgruppe: \"P99\"."},
        {{"5", "5", "5", "10", "10", "120", "1.5"}, "Die Winkel alpha = 10, beta = 10, gamma = 120 ergeben keine Zelle"},
        {{"5", "5", "5", "120", "120", "120", "1.5"}, "Die Winkel alpha = 120, beta = 120, gamma = 120 ergeben keine Zelle"},
        {{"--cif"}, "Nach --cif fehlt ein Wert."},
        {{"--cif", "x.cif"}, "Nach der CIF-Datei x.cif fehlt die Wellenlaenge lambda."},
        {{"--export", "out", "5", "5"}, "Fuer --export fehlen Werte"},
        {{"--export", "out", "--turn", "-5"}, "Ungueltiger Wert fuer --turn: \"-5\"."},
        {{"--export", "out", "--layer", "1.5"}, "Ungueltiger Wert fuer --layer: \"1.5\"."},
    };
    for (const Case& c : cases) {
        const StartRequest r = read(c.args);
        EXPECT_EQ(r.kind, StartRequest::Kind::error) << c.message;
        EXPECT_EQ(r.error.find(c.message), 0u) << "got: " << r.error;
    }
}

TEST(CommandLine, CifFilesAndExportOptions) {
    const std::string nacl = std::string(WEISSENBERG_DATA_DIR) + "/cif/nacl.cif";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--cif", nacl, "1,5418"}, std::vector<std::string>{nacl, "1.5418"}}) {
        const StartRequest r = read(args);
        ASSERT_EQ(r.kind, StartRequest::Kind::run) << r.error;
        EXPECT_NEAR(r.cell[0], 5.64, 0.01);
        EXPECT_EQ(r.cell[3], 90);
        EXPECT_EQ(r.lambda, 1.5418);
        EXPECT_EQ(r.spaceGroup.number, 225);
        EXPECT_TRUE(r.nameGroup);
        ASSERT_TRUE(r.cif);
        EXPECT_FALSE(r.cif->atoms.empty());
        EXPECT_EQ(r.echo.size(), 8u);
    }
    const StartRequest missing = read({"--cif", "/nonexistent/x.cif", "1.5"});
    EXPECT_EQ(missing.kind, StartRequest::Kind::error);
    EXPECT_NE(missing.error.find("/nonexistent/x.cif"), std::string::npos) << missing.error;

    const StartRequest e = read({"--export", "out dir", "--turn", "90", "--layer", "-1", "5", "5", "5", "90", "90",
                                 "90", "1.5418", "14"});
    ASSERT_EQ(e.kind, StartRequest::Kind::run) << e.error;
    EXPECT_TRUE(e.exportRun);
    EXPECT_EQ(e.exportOptions.dir, "out dir");
    EXPECT_EQ(e.exportOptions.turnDegrees, 90);
    EXPECT_EQ(e.exportOptions.layer, -1);
    EXPECT_EQ(e.spaceGroup.number, 14);
}

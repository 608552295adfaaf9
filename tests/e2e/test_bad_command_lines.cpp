// Command lines a user can get wrong, each run as the user runs the program. Words for
// numbers, empty values, lengths, angles and wavelengths of 0, negative, infinite or not a
// number are refused: the box "Eingabefehler" names the value, the console repeats it, the
// program ends with status 1 and no main window. Values that are odd but usable (wavelengths
// near the largest or smallest double, space groups outside an int, too many values, the
// toolkit's own options among them) start as always: the console lines up to the reciprocal
// cell, the help box, the main window, and an orderly end with status 0 on "q". Nothing from
// the toolkit or the sanitizers reaches stderr in either case.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_harness.h"

namespace {

const std::vector<std::string> kCell = {"5", "5", "5", "90", "90", "90"};
const char* const kCubicReciprocal = "0.200000 0.200000 0.200000   1.570796 1.570796 1.570796";

std::vector<std::string> cellWith(const std::vector<std::string>& cell, const std::string& lambda,
                                  const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = cell;
    args.push_back(lambda);
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::string format(const char* f, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

// The values the program reads: the arguments without the toolkit's own options.
std::vector<std::string> valuesOf(const std::vector<std::string>& args) {
    std::vector<std::string> values;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-geometry") {
            ++i;  // and its value
            continue;
        }
        if (args[i] == "-iconic") continue;
        values.push_back(args[i]);
    }
    return values;
}

// The space-group number the program takes from a value: truncated toward zero; a value
// whose truncation is no int (or not a number) selects no conditions and reads as 0.
int spaceGroupOf(double v) {
    if (!(v > static_cast<double>(INT_MIN) - 1.0 && v < static_cast<double>(INT_MAX) + 1.0)) return 0;
    return static_cast<int>(v);
}

// The console lines before the reciprocal cell, from the formats the program prints with:
// the greeting, "%f " for each value (the first eight), " Lambda: %f", "SPGN %d".
std::string expectedLeadingLines(const std::vector<std::string>& values) {
    std::string out = "Hallo!\n";
    const size_t given = values.size() < 8 ? values.size() : 8;
    for (size_t i = 0; i < given; ++i) out += format("%f ", std::atof(values[i].c_str()));
    out += format("\n Lambda: %f\n", std::atof(values[6].c_str()));
    const int spaceGroup = given >= 8 ? spaceGroupOf(std::atof(values[7].c_str())) : 1;
    out += "SPGN " + std::to_string(spaceGroup) + "\n";
    return out;
}

// One number as "%f" prints a double: digits, a point and six decimals, or inf or nan; a
// minus sign in front or not.
bool isPrintedDouble(const std::string& t) {
    const std::string s = !t.empty() && t[0] == '-' ? t.substr(1) : t;
    if (s == "inf" || s == "nan") return true;
    const size_t point = s.find('.');
    if (point == 0 || point == std::string::npos || s.size() - point - 1 != 6) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (i != point && (s[i] < '0' || s[i] > '9')) return false;
    return true;
}

// Three numbers, each followed by one blank but the last.
bool isThreeNumbers(const std::string& s) {
    const size_t first = s.find(' '), second = first == std::string::npos ? first : s.find(' ', first + 1);
    if (second == std::string::npos || s.find(' ', second + 1) != std::string::npos) return false;
    return isPrintedDouble(s.substr(0, first)) && isPrintedDouble(s.substr(first + 1, second - first - 1)) &&
           isPrintedDouble(s.substr(second + 1));
}

// The reciprocal cell's line: three lengths, three blanks, three angles.
bool hasReciprocalShape(const std::string& line) {
    const size_t gap = line.find("   ");
    return gap != std::string::npos && isThreeNumbers(line.substr(0, gap)) && isThreeNumbers(line.substr(gap + 3));
}

// Every window id (viewable or not) with this exact title.
unsigned long anyWindowTitled(const std::string& title, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    do {
        const std::string out = shell("xdotool search --name '^" + title + "$' 2>/dev/null");
        const unsigned long id = std::strtoul(out.c_str(), nullptr, 10);
        if (id != 0) return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds);
    return 0;
}

// A window that exists but is not viewable (started iconic under a window manager) is
// mapped first, so that it can take the keyboard.
unsigned long shownWindow(const std::string& title) {
    if (const unsigned long id = waitForWindow(title, 5)) return id;
    const unsigned long id = anyWindowTitled(title, 10);
    if (id == 0) return 0;
    shell("xdotool windowmap --sync " + std::to_string(id) + " 2>/dev/null");
    return waitForWindow(title, 10);
}

struct BadLine {
    const char* name;
    std::vector<std::string> args;
    const char* reciprocal;  // the exact line, or nullptr where only its shape is known
};

// Runs one command line through to "q"; answers what went wrong ("" when nothing did).
std::string runBadLine(const BadLine& c) {
    RunningProgram p = startProgram(c.args);
    std::string failure;
    const std::vector<std::string> values = valuesOf(c.args);
    const std::string leading = expectedLeadingLines(values);
    const unsigned long box = shownWindow("Hinweis");
    if (box == 0) {
        poll(p);
        stopProgram(p);
        return "no help box; stdout:\n" + p.out + "stderr:\n" + stderrText(p);
    }
    poll(p);
    if (p.out.rfind(leading, 0) != 0) {
        failure += "console lines:\n" + p.out + "want them to begin with:\n" + leading;
    } else {
        const std::string rest = p.out.substr(leading.size());
        const std::string line = rest.substr(0, rest.find('\n'));
        if (rest.find('\n') == std::string::npos) failure += "no reciprocal cell line; ";
        else if (c.reciprocal != nullptr && line != c.reciprocal) failure += "reciprocal cell " + line + "; ";
        else if (!hasReciprocalShape(line)) failure += "reciprocal cell has no shape: " + line + "; ";
        // A cell that is huge for the wavelength says that its index range is cut and that its
        // lattice points start hidden; nothing else comes before the box is closed.
        std::string after = rest.substr(rest.find('\n') + 1);
        for (const char* said : {"Die Zelle ist fuer diese Wellenlaenge sehr gross:", "Etwa "})
            if (after.rfind(said, 0) == 0) after = after.substr(after.find('\n') + 1);
        if (!after.empty()) failure += "more lines before the box is closed: " + rest + "; ";
    }
    pressKeys(box, "Return");
    const unsigned long mainWindow = shownWindow("Reziprokes Gitter");
    if (mainWindow == 0) {
        failure += "no main window; ";
    } else {
        pressKeys(mainWindow, "q");
    }
    if (!waitForExit(p, 20)) failure += "still running after q; ";
    else if (p.exitStatus != 0) failure += "exit status " + std::to_string(p.exitStatus) + "; ";
    stopProgram(p);
    const std::string err = stderrText(p);
    for (const char* report : {"freeglut", "AddressSanitizer", "runtime error", "LeakSanitizer"})
        if (err.find(report) != std::string::npos) failure += "stderr: " + err;
    waitForNoWindow("Reziprokes Gitter", 10);
    return failure;
}

}  // namespace

TEST(BadCommandLines, UsableOddValuesStartAndEndWithStatusZeroOnQ) {
    const BadLine lines[] = {
        {"wavelength 1e308", cellWith(kCell, "1e308"), kCubicReciprocal},
        {"wavelength 1e-300", cellWith(kCell, "1e-300"), kCubicReciprocal},
        {"space group 1e30", cellWith(kCell, "1.5418", {"1e30"}), kCubicReciprocal},
        {"space group -2147483649", cellWith(kCell, "1.5418", {"-2147483649"}), kCubicReciprocal},
        {"more than eight values", cellWith(kCell, "1.5418", {"14", "99", "x", "-1"}), kCubicReciprocal},
        {"-geometry 800x600 among the values",
         {"5", "-geometry", "800x600", "5", "5", "90", "90", "90", "1.5418"}, kCubicReciprocal},
        {"-iconic", {"-iconic", "5", "5", "5", "90", "90", "90", "1.5418", "14"}, kCubicReciprocal},
    };
    for (const BadLine& c : lines) {
        SCOPED_TRACE(c.name);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(runBadLine(c), "");
        std::printf("%-40s %.1f s\n", c.name,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

TEST(BadCommandLines, UnusableValuesAreRefusedWithStatusOne) {
    struct Refused {
        const char* name;
        std::vector<std::string> args;
        const char* line;  // the console line after the greeting, as the box shows it
    };
    const Refused lines[] = {
        {"a word for an edge", cellWith({"fuenf", "5", "5", "90", "90", "90"}, "1.5418"),
         "Ungueltiger Wert fuer a: \"fuenf\" ist keine Zahl."},
        {"every value a word", {"a", "b", "c", "alpha", "beta", "gamma", "lambda"},
         "Ungueltiger Wert fuer a: \"a\" ist keine Zahl."},
        {"every value empty", {"", "", "", "", "", "", ""}, "Ungueltiger Wert fuer a: \"\" ist keine Zahl."},
        {"an empty wavelength", cellWith(kCell, ""), "Ungueltiger Wert fuer lambda: \"\" ist keine Zahl."},
        {"edges 0", cellWith({"0", "0", "0", "90", "90", "90"}, "1.5418"),
         "Ungueltiger Wert fuer a: 0. Erlaubt sind Zellkanten groesser als 0."},
        {"negative edges", cellWith({"-5", "-5", "-5", "90", "90", "90"}, "1.5418"), "Ungueltiger Wert fuer a: -5."},
        {"angles 0", cellWith({"5", "5", "5", "0", "0", "0"}, "1.5418"),
         "Ungueltiger Wert fuer alpha: 0. Erlaubt sind Winkel zwischen 0 und 180 Grad (beide ausgeschlossen)."},
        {"negative angles", cellWith({"5", "5", "5", "-90", "-90", "-90"}, "1.5418"), "Ungueltiger Wert fuer alpha: -90."},
        {"an angle of 180", cellWith({"5", "5", "5", "90", "180", "90"}, "1.5418"), "Ungueltiger Wert fuer beta: 180."},
        {"wavelength 0", cellWith(kCell, "0"), "Ungueltiger Wert fuer lambda: 0."},
        {"negative wavelength", cellWith(kCell, "-1.5418"), "Ungueltiger Wert fuer lambda: -1.5418."},
        {"wavelength inf", cellWith(kCell, "inf"), "Ungueltiger Wert fuer lambda: inf."},
        {"wavelength nan", cellWith(kCell, "nan"), "Ungueltiger Wert fuer lambda: nan."},
        {"an edge of 1e308 and an angle nan", cellWith({"1e308", "5", "5", "nan", "90", "90"}, "1.5418"),
         "Ungueltiger Wert fuer alpha: nan."},
        {"an edge of 1e308: no finite volume", cellWith({"1e308", "1e308", "5", "90", "90", "90"}, "1.5418"),
         "Die Zelle mit a = 1e+308, b = 1e+308, c = 5 hat kein endliches Volumen"},
    };
    for (const Refused& c : lines) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(expectRefused(c.args, c.line));
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

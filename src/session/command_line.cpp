// Reading the command line: the numbers a b c alpha beta gamma lambda [space group], and
// the space-group number taken from its value.
#include "session/command_line.h"

#include <climits>
#include <cstdlib>

namespace {
constexpr int kMaxArguments = 8;  // positions the command line defines; later ones are ignored
}

CommandLine readCommandLine(int argc, char** argv) {
    CommandLine line;
    line.given = argc - 1 < kMaxArguments ? argc - 1 : kMaxArguments;
    if (line.given < 0) line.given = 0;
    // atof: decimal point only (no locale is set), a text with no number reads as 0.
    for (int i = 0; i < line.given; ++i) line.values[i] = std::atof(argv[i + 1]);
    return line;
}

int spaceGroupFromValue(double value) {
    // Truncation toward zero is defined only for values whose truncation fits an int;
    // everything else (huge values, infinities, NaN) selects no conditions.
    const double below = static_cast<double>(INT_MIN) - 1.0;  // exact in double
    const double above = static_cast<double>(INT_MAX) + 1.0;  // exact in double
    if (!(value > below && value < above)) return 0;
    return static_cast<int>(value);
}

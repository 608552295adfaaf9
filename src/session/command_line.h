// Reading the command line: a b c alpha beta gamma lambda [space-group number].
#pragma once

struct CommandLine {
    int given = 0;           // number of values read (0..8); fewer than 7 is the usage error
    double values[8] = {};   // atof of each argument given, in order
};

// Reads argv[1..] (after the toolkit removed its own options); arguments after the 8th are ignored.
CommandLine readCommandLine(int argc, char** argv);

// The space-group value truncated toward zero; values outside the range of an int
// (and NaN) become 0, a number that selects no reflection conditions.
int spaceGroupFromValue(double value);

// Reading the command line: the crystal by its values (a b c alpha beta gamma lambda [space
// group as number or symbol]) or from a CIF file (--cif FILE lambda), and the headless export
// (--export DIR [--turn DEGREES] [--layer N]); with a clear German message for every value
// that cannot be used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/cif_input.h"
#include "model/space_group.h"

struct ExportOptions {
    std::string dir;            // where the pictures and the log are written
    double turnDegrees = 360.0; // how far the crystal turns from its start orientation
    int layer = 0;              // layer of the Weissenberg photograph
};

struct StartRequest {
    enum class Kind {
        run,    // values read: start the program (or the export)
        usage,  // too few values for the plain form: the usage box
        help,   // --help: the usage text on standard output
        error,  // a value or file that cannot be used: `error` says which and what is allowed
    };
    Kind kind = Kind::usage;
    std::string error;                 // German, one sentence or two; for Kind::error
    double cell[6] = {};               // a, b, c (the user's length unit); alpha, beta, gamma (degrees)
    double lambda = 0.0;               // wavelength, same unit as a, b, c
    std::vector<double> echo;          // values shown on the console, in order (at most eight)
    SpaceGroupChoice spaceGroup;       // the setting whose absences apply (number 1, P 1, when none is given)
    bool nameGroup = false;            // the group came from a symbol or a file: name it on the console
    std::optional<CifCrystal> cif;     // the file's crystal, with its atoms, when read from a CIF
    std::string cifPath;               // as given
    bool exportRun = false;            // --export: no window, pictures and log into options.dir
    ExportOptions exportOptions;
};

// Reads the arguments after the program's name (the toolkit's own options already removed).
StartRequest readStartRequest(const std::vector<std::string>& args);

// True when the arguments ask for something that runs without any window (--help, --export):
// then the toolkit must not be started, as there may be no display at all.
bool runsWithoutWindow(int argc, char** argv);

// The usage text that --help prints (German).
std::string usageText(const std::string& programName);

// A number as the user may type it: decimal point or decimal comma, surrounding blanks
// allowed; nothing else in the text. nullopt when the text is no number.
std::optional<double> parseNumber(const std::string& text);

// The space-group value truncated toward zero; values outside the range of an int
// (and NaN) become 0, a number that selects no reflection conditions.
int spaceGroupFromValue(double value);

// Why the cell a b c alpha beta gamma and the wavelength cannot be used (German), or empty
// when they can: lengths and wavelength positive and finite, angles strictly between 0 and
// 180 degrees, and angles that make a real cell volume.
std::string cellProblem(const double cell[6], double lambda);

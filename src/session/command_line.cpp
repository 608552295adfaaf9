// Reading the command line into a start request, with the checks that keep a value the
// program cannot use from reaching the crystal.
#include "session/command_line.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/crystal.h"

namespace {

constexpr int kPlainValues = 8;  // a b c alpha beta gamma lambda group; later ones are ignored
const char* const kValueNames[] = {"a", "b", "c", "alpha", "beta", "gamma", "lambda", "Raumgruppe"};

std::string shown(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

StartRequest failed(std::string message) {
    StartRequest r;
    r.kind = StartRequest::Kind::error;
    r.error = std::move(message);
    return r;
}

// The space group of the eighth value: a number (truncated toward zero, as always) or a
// Hermann-Mauguin or Hall symbol.
bool readSpaceGroup(const std::string& text, StartRequest& r) {
    if (const std::optional<double> number = parseNumber(text)) {
        r.spaceGroup = spaceGroupFromNumber(spaceGroupFromValue(*number));
        return true;
    }
    const std::optional<SpaceGroupChoice> symbol = spaceGroupFromSymbol(text, r.cell[3], r.cell[5]);
    if (!symbol) return false;
    r.spaceGroup = *symbol;
    r.nameGroup = true;
    return true;
}

}  // namespace

std::optional<double> parseNumber(const std::string& text) {
    std::string t = text;
    // A decimal comma (1,5418) is a decimal point, as a German keyboard types it.
    if (t.find(',') != std::string::npos && t.find('.') == std::string::npos) {
        const size_t comma = t.find(',');
        if (t.find(',', comma + 1) == std::string::npos) t[comma] = '.';
    }
    const char* begin = t.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return std::nullopt;
    // Hexadecimal numbers are no way a user writes a cell.
    if (t.find_first_of("xX") != std::string::npos) return std::nullopt;
    return v;
}

int spaceGroupFromValue(double value) {
    // Truncation toward zero is defined only for values whose truncation fits an int;
    // everything else (huge values, infinities, NaN) selects no conditions.
    const double below = static_cast<double>(INT_MIN) - 1.0;  // exact in double
    const double above = static_cast<double>(INT_MAX) + 1.0;  // exact in double
    if (!(value > below && value < above)) return 0;
    return static_cast<int>(value);
}

std::string cellProblem(const double cell[6], double lambda) {
    for (int i = 0; i < 3; ++i) {
        if (!(std::isfinite(cell[i]) && cell[i] > 0))
            return std::string("Ungueltiger Wert fuer ") + kValueNames[i] + ": " + shown(cell[i]) +
                   ". Erlaubt sind Zellkanten groesser als 0.";
    }
    for (int i = 3; i < 6; ++i) {
        if (!(std::isfinite(cell[i]) && cell[i] > 0 && cell[i] < 180))
            return std::string("Ungueltiger Wert fuer ") + kValueNames[i] + ": " + shown(cell[i]) +
                   ". Erlaubt sind Winkel zwischen 0 und 180 Grad (beide ausgeschlossen).";
    }
    if (!(std::isfinite(lambda) && lambda > 0))
        return "Ungueltiger Wert fuer lambda: " + shown(lambda) + ". Erlaubt sind Wellenlaengen groesser als 0.";
    // The volume is real only when the cell's volume factor is positive.
    const double v = cellVolumeFactor(cell[3], cell[4], cell[5]);
    if (!(v > 1e-12)) {
        return "Die Winkel alpha = " + shown(cell[3]) + ", beta = " + shown(cell[4]) + ", gamma = " +
               shown(cell[5]) + " ergeben keine Zelle: jeder Winkel muss kleiner sein als die Summe der beiden "
               "anderen, und alle drei zusammen kleiner als 360 Grad.";
    }
    // The volume abc sqrt(v) and the reciprocal lengths must be finite and non-zero numbers.
    const double volume = cell[0] * cell[1] * cell[2] * std::sqrt(v);
    const double smallest = std::fmin(cell[0], std::fmin(cell[1], cell[2]));
    const double largest = std::fmax(cell[0], std::fmax(cell[1], cell[2]));
    if (!(std::isfinite(volume) && volume > 0 && std::isfinite(largest * largest / volume) &&
          std::isfinite(volume / (smallest * smallest)) && volume / (smallest * smallest) > 0))
        return "Die Zelle mit a = " + shown(cell[0]) + ", b = " + shown(cell[1]) + ", c = " + shown(cell[2]) +
               " hat kein endliches Volumen; erlaubt sind Zellen, deren Volumen und reziproke Achsen endliche "
               "Zahlen groesser als 0 sind.";
    return "";
}

std::string usageText(const std::string& programName) {
    return "Aufruf:\n"
           "  " + programName + " a b c alpha beta gamma lambda [Raumgruppe]\n"
           "  " + programName + " --cif DATEI lambda\n"
           "  " + programName + " --export VERZEICHNIS [--turn GRAD] [--layer N] (Werte wie oben)\n"
           "a, b, c und lambda in derselben Laengeneinheit (z. B. Angstroem), Winkel in Grad;\n"
           "Dezimalpunkt oder Dezimalkomma. Raumgruppe als Nummer (1 bis 230) oder Symbol\n"
           "(z. B. P21/c, Fm-3m, \"F d -3 m\"). --block NAME waehlt den Datenblock einer CIF-Datei.\n";
}

bool runsWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "--export") == 0) return true;
    }
    return false;
}

StartRequest readStartRequest(const std::vector<std::string>& args) {
    StartRequest r;
    std::vector<std::string> values;
    std::string cifBlock;
    bool cifGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasNext = i + 1 < args.size();
        if (a == "--help") {
            r.kind = StartRequest::Kind::help;
            return r;
        }
        if (a == "--cif" || a == "--export" || a == "--turn" || a == "--layer" || a == "--block") {
            if (!hasNext) return failed("Nach " + a + " fehlt ein Wert.");
            const std::string& v = args[++i];
            if (a == "--cif") {
                cifGiven = true;
                r.cifPath = v;
            } else if (a == "--block") {
                cifBlock = v;
            } else if (a == "--export") {
                r.exportRun = true;
                r.exportOptions.dir = v;
            } else if (a == "--turn") {
                const std::optional<double> turn = parseNumber(v);
                if (!turn || !std::isfinite(*turn) || *turn < 0 || *turn > 36000)
                    return failed("Ungueltiger Wert fuer --turn: \"" + v +
                                  "\". Erlaubt sind Drehwinkel von 0 bis 36000 Grad.");
                r.exportOptions.turnDegrees = *turn;
            } else {
                const std::optional<double> layer = parseNumber(v);
                if (!layer || *layer != std::floor(*layer) || std::fabs(*layer) > 1000)
                    return failed("Ungueltiger Wert fuer --layer: \"" + v +
                                  "\". Erlaubt sind ganze Zahlen von -1000 bis 1000.");
                r.exportOptions.layer = static_cast<int>(*layer);
            }
            continue;
        }
        values.push_back(a);
    }
    // A file named *.cif in the first place reads as --cif FILE.
    if (!cifGiven && !values.empty() && values[0].size() > 4 &&
        (values[0].compare(values[0].size() - 4, 4, ".cif") == 0 ||
         values[0].compare(values[0].size() - 4, 4, ".CIF") == 0)) {
        cifGiven = true;
        r.cifPath = values[0];
        values.erase(values.begin());
    }

    if (cifGiven) {
        if (values.empty()) return failed("Nach der CIF-Datei " + r.cifPath + " fehlt die Wellenlaenge lambda.");
        const std::optional<double> lambda = parseNumber(values[0]);
        if (!lambda) return failed("Ungueltiger Wert fuer lambda: \"" + values[0] + "\" ist keine Zahl.");
        CifReading reading = readCifFile(r.cifPath, cifBlock);
        if (!reading.crystal) return failed(reading.error);
        const CifCrystal& c = *reading.crystal;
        const double cell[6] = {c.a, c.b, c.c, c.alpha, c.beta, c.gamma};
        std::copy(cell, cell + 6, r.cell);
        r.lambda = *lambda;
        const std::string problem = cellProblem(r.cell, r.lambda);
        if (!problem.empty()) return failed(r.cifPath + ": " + problem);
        r.spaceGroup = c.spaceGroup;
        r.nameGroup = true;
        r.echo.assign(r.cell, r.cell + 6);
        r.echo.push_back(r.lambda);
        r.echo.push_back(r.spaceGroup.number);
        r.cif = std::move(reading.crystal);
        r.kind = StartRequest::Kind::run;
        return r;
    }

    if (values.size() < 7) {
        if (r.exportRun) return failed("Fuer --export fehlen Werte: a b c alpha beta gamma lambda.");
        r.kind = StartRequest::Kind::usage;
        return r;
    }
    if (values.size() > kPlainValues) values.resize(kPlainValues);
    for (size_t i = 0; i < 7; ++i) {
        const std::optional<double> v = parseNumber(values[i]);
        if (!v) return failed(std::string("Ungueltiger Wert fuer ") + kValueNames[i] + ": \"" + values[i] +
                              "\" ist keine Zahl.");
        (i < 6 ? r.cell[i] : r.lambda) = *v;
        r.echo.push_back(*v);
    }
    const std::string problem = cellProblem(r.cell, r.lambda);
    if (!problem.empty()) return failed(problem);
    r.spaceGroup = spaceGroupFromNumber(1);
    if (values.size() == kPlainValues) {
        if (!readSpaceGroup(values[7], r))
            return failed("Unbekannte Raumgruppe: \"" + values[7] +
                          "\". Erlaubt sind die Nummern 1 bis 230 und Hermann-Mauguin- oder Hall-Symbole, "
                          "z. B. P21/c, \"P 1 21/c 1\", Fm-3m, \"-P 2ybc\".");
        const std::optional<double> number = parseNumber(values[7]);
        r.echo.push_back(number ? *number : r.spaceGroup.number);
    }
    r.kind = StartRequest::Kind::run;
    return r;
}

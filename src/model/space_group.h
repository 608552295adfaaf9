// Space groups by number, symbol or symmetry operations (through gemmi's tables), and the
// systematic absences of a chosen setting, precomputed once for fast tests per reflection.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// One setting of a space group. An empty hall means "no symmetry known": no reflection is
// absent. number then keeps the value exactly as the user gave it (0, negative, above 230),
// so that the console can print it back unchanged.
struct SpaceGroupChoice {
    int number = 0;    // International Tables number 1..230, or the value given (see above)
    std::string hm;    // full Hermann-Mauguin symbol of the setting, e.g. "P 1 21/c 1", "R 3:H"
    std::string hall;  // Hall symbol of the setting, e.g. "-P 2ybc"; empty: no conditions
};

// The setting a space-group number selects. 4, 5, 7, 8, 9, 11, 12, 13, 14, 15, 19, 61 and 146
// keep the settings the program has always used (7 is "P 1 a 1", 13 "P 1 2/a 1", 146 "R 3:H");
// every other number 1..230 takes the first setting gemmi lists for it (the International
// Tables' first choice: origin choice 1, hexagonal axes). Any other int gives a choice without
// conditions that keeps the number given.
SpaceGroupChoice spaceGroupFromNumber(int number);

// Any Hermann-Mauguin symbol (full or short, with or without spaces, "_" allowed in screw
// axes: "P21/c", "P 1 21/c 1", "Fm-3m", "R -3 c:H", "P4_2/mnm") or Hall symbol ("-P 2ybc")
// that names a setting in gemmi's table. The cell angles alpha and gamma (degrees), when
// known, choose between hexagonal and rhombohedral axes for a bare "R 3" and the like.
// Text starting with a digit is no symbol (numbers go through spaceGroupFromNumber).
std::optional<SpaceGroupChoice> spaceGroupFromSymbol(const std::string& symbol, double alpha = 0.0,
                                                     double gamma = 0.0);

// The setting whose symmetry operations are exactly the given ones, as coordinate triplets
// ("x,y,z", "-x,y+1/2,-z+1/2", ...; centring translations included as in a CIF). nullopt
// when a triplet does not parse or the set is no setting in gemmi's table.
std::optional<SpaceGroupChoice> spaceGroupFromOperations(const std::vector<std::string>& triplets);

// The systematic absences of one setting, reduced at construction to a few integer tests:
// the centring translations, then, for each operation with a translation that is not a
// centring translation, the reflections it maps onto themselves and the phase shift there.
// A reflection is absent when a centring translation t gives h.t not integer, or when an
// operation (R, t) leaves h fixed (h R = h) and h.t is not integer.
class Absences {
public:
    Absences() = default;  // nothing absent
    explicit Absences(const SpaceGroupChoice& choice);

    bool isAbsent(int h, int k, int l) const;
    bool hasConditions() const { return !centrings_.empty() || !operations_.empty(); }

private:
    // Translations in 1/24 of a cell edge, as gemmi stores them.
    struct Operation {
        std::array<std::array<int, 3>, 3> fixed;  // h is left fixed when h . fixed[i] == 0 for i = 0..2
        std::array<int, 3> shift;                 // translation, 1/24
    };
    std::vector<std::array<int, 3>> centrings_;  // centring translations other than 0, 1/24
    std::vector<Operation> operations_;
};

// Space groups by number, symbol or symmetry operations (through gemmi's tables), and the
// systematic absences of a chosen setting, precomputed once for fast tests per reflection.
#include "model/space_group.h"

#include <gemmi/symmetry.hpp>

#include <algorithm>
#include <cctype>
#include <exception>

namespace {

// The settings of the numbers that had reflection conditions before gemmi's tables came in;
// they stay as they were so that a command line gives the same picture as always.
struct KeptSetting {
    int number;
    const char* hm;  // gemmi's extended Hermann-Mauguin symbol
};
const KeptSetting kKeptSettings[] = {
    {4, "P 1 21 1"},   {5, "C 1 2 1"},     {7, "P 1 a 1"},     {8, "C 1 m 1"},    {9, "C 1 c 1"},
    {11, "P 1 21/m 1"}, {12, "C 1 2/m 1"}, {13, "P 1 2/a 1"},  {14, "P 1 21/c 1"}, {15, "C 1 2/c 1"},
    {19, "P 21 21 21"}, {61, "P b c a"},   {146, "R 3:H"},
};

SpaceGroupChoice choiceOf(const gemmi::SpaceGroup& sg) {
    return SpaceGroupChoice{sg.number, sg.xhm(), sg.hall};
}

std::string trimmed(const std::string& s) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    const auto first = std::find_if(s.begin(), s.end(), notSpace);
    const auto last = std::find_if(s.rbegin(), s.rend(), notSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

// a mod 24 in 0..23.
int wrapped(int a) { return ((a % gemmi::Op::DEN) + gemmi::Op::DEN) % gemmi::Op::DEN; }

bool sameTranslation(const gemmi::Op::Tran& a, const gemmi::Op::Tran& b) {
    for (int i = 0; i < 3; ++i)
        if (wrapped(a[static_cast<size_t>(i)]) != wrapped(b[static_cast<size_t>(i)])) return false;
    return true;
}

}  // namespace

SpaceGroupChoice spaceGroupFromNumber(int number) {
    for (const KeptSetting& kept : kKeptSettings)
        if (kept.number == number)
            for (const gemmi::SpaceGroup& sg : gemmi::spacegroup_tables::main)
                if (sg.number == number && sg.xhm() == kept.hm) return choiceOf(sg);
    if (number >= 1 && number <= 230)
        for (const gemmi::SpaceGroup& sg : gemmi::spacegroup_tables::main)
            if (sg.number == number) return choiceOf(sg);  // the first listed setting
    return SpaceGroupChoice{number, "", ""};
}

std::optional<SpaceGroupChoice> spaceGroupFromSymbol(const std::string& symbol, double alpha, double gamma) {
    std::string text = trimmed(symbol);
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    // "P4_2/mnm" as CIF files often write it: no symbol uses "_" otherwise.
    text.erase(std::remove(text.begin(), text.end(), '_'), text.end());
    if (const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(text, alpha, gamma)) return choiceOf(*sg);
    try {
        if (const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_ops(gemmi::symops_from_hall(text.c_str())))
            return choiceOf(*sg);
    } catch (const std::exception&) {
        // not a Hall symbol either
    }
    return std::nullopt;
}

std::optional<SpaceGroupChoice> spaceGroupFromOperations(const std::vector<std::string>& triplets) {
    std::vector<gemmi::Op> ops;
    try {
        for (const std::string& t : triplets) ops.push_back(gemmi::parse_triplet(t).wrap());
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (ops.empty()) return std::nullopt;
    const gemmi::GroupOps group = gemmi::split_centering_vectors(ops);
    if (group.cen_ops.empty()) return std::nullopt;  // the identity x,y,z was missing
    if (const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_ops(group)) return choiceOf(*sg);
    return std::nullopt;
}

Absences::Absences(const SpaceGroupChoice& choice) {
    if (choice.hall.empty()) return;
    const gemmi::GroupOps group = gemmi::symops_from_hall(choice.hall.c_str());
    const gemmi::Op::Tran zero = {0, 0, 0};
    for (const gemmi::Op::Tran& c : group.cen_ops)
        if (!sameTranslation(c, zero)) centrings_.push_back({c[0], c[1], c[2]});
    const gemmi::Op::Rot identity = gemmi::Op::identity().rot;
    for (const gemmi::Op& op : group.sym_ops) {
        if (op.rot == identity) continue;
        // Once the centring tests pass, h.(t + c) = h.t modulo 1 for every centring c, so an
        // operation whose translation is a centring translation (or none) adds no condition.
        bool onlyCentring = false;
        for (const gemmi::Op::Tran& c : group.cen_ops) onlyCentring = onlyCentring || sameTranslation(op.tran, c);
        if (onlyCentring) continue;
        Operation o{};
        // (h R)_i = sum_j h_j R[j][i], compared with h_i (R in units of 1/24).
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                o.fixed[i][j] = op.rot[j][i] - (i == j ? gemmi::Op::DEN : 0);
        o.shift = {op.tran[0], op.tran[1], op.tran[2]};
        operations_.push_back(o);
    }
}

bool Absences::isAbsent(int h, int k, int l) const {
    // Products in long long: no int index can overflow.
    const long long hkl[3] = {h, k, l};
    for (const std::array<int, 3>& c : centrings_)
        if ((hkl[0] * c[0] + hkl[1] * c[1] + hkl[2] * c[2]) % gemmi::Op::DEN != 0) return true;
    for (const Operation& o : operations_) {
        bool fixed = true;
        for (size_t i = 0; i < 3 && fixed; ++i)
            fixed = hkl[0] * o.fixed[i][0] + hkl[1] * o.fixed[i][1] + hkl[2] * o.fixed[i][2] == 0;
        if (fixed && (hkl[0] * o.shift[0] + hkl[1] * o.shift[1] + hkl[2] * o.shift[2]) % gemmi::Op::DEN != 0)
            return true;
    }
    return false;
}

// Structure factors |F(hkl)|² of a crystal's atoms, from the IT92 form factors of neutral
// atoms and the atoms' images under the space group, set up once per crystal.
#include "model/structure_factors.h"

#include <gemmi/elem.hpp>
#include <gemmi/it92.hpp>
#include <gemmi/symmetry.hpp>
#include <gemmi/unitcell.hpp>

#include <cmath>

#include "model/vec3.h"

namespace {

// Two images closer than this are one position (Å): well above the rounding of coordinates
// given to four decimals, well below any distance between two atoms.
const double kSamePositionTolerance = 0.1;

double wrappedToUnit(double x) { return x - std::floor(x); }

}  // namespace

Intensities::Intensities(const CifCrystal& crystal) {
    gemmi::UnitCell cell(crystal.a, crystal.b, crystal.c, crystal.alpha, crystal.beta, crystal.gamma);
    g11_ = cell.ar * cell.ar;
    g22_ = cell.br * cell.br;
    g33_ = cell.cr * cell.cr;
    g12_ = cell.ar * cell.br * cell.cos_gammar;
    g13_ = cell.ar * cell.cr * cell.cos_betar;
    g23_ = cell.br * cell.cr * cell.cos_alphar;

    std::vector<gemmi::Op> operations{gemmi::Op::identity()};
    if (!crystal.spaceGroup.hall.empty()) {
        const gemmi::GroupOps group = gemmi::symops_from_hall(crystal.spaceGroup.hall.c_str());
        operations.clear();
        for (const gemmi::Op& op : group) operations.push_back(op);
    }

    std::vector<gemmi::El> elements;  // element of each entry of formFactors_
    for (const CifAtom& atom : crystal.atoms) {
        const gemmi::Element element(atom.element);
        // gemmi's table answers for "X" (no element) with oxygen's coefficients: leave it out.
        if (element.elem == gemmi::El::X || !gemmi::IT92<double>::has(element.elem)) {
            skipped_.push_back(atom.label);
            continue;
        }
        size_t index = 0;
        while (index < elements.size() && elements[index] != element.elem) ++index;
        if (index == elements.size()) {
            const auto& coef = gemmi::IT92<double>::get(element.elem);
            elements.push_back(element.elem);
            formFactors_.push_back({{coef.a(0), coef.a(1), coef.a(2), coef.a(3)},
                                    {coef.b(0), coef.b(1), coef.b(2), coef.b(3)},
                                    coef.c()});
        }
        Site site{index, atom.occupancy, 8.0 * kPi * kPi * atom.uIso, {}};
        const gemmi::Fractional start(atom.x, atom.y, atom.z);
        for (const gemmi::Op& op : operations) {
            const std::array<double, 3> moved = op.apply_to_xyz({start.x, start.y, start.z});
            const std::array<double, 3> image = {wrappedToUnit(moved[0]), wrappedToUnit(moved[1]),
                                                 wrappedToUnit(moved[2])};
            bool seen = false;
            for (const std::array<double, 3>& other : site.images) {
                gemmi::Fractional diff(image[0] - other[0], image[1] - other[1], image[2] - other[2]);
                diff = gemmi::Fractional(diff.x - std::round(diff.x), diff.y - std::round(diff.y),
                                         diff.z - std::round(diff.z));
                seen = seen || cell.orthogonalize_difference(diff).length() < kSamePositionTolerance;
            }
            if (!seen) site.images.push_back(image);
        }
        sites_.push_back(site);
    }
}

double Intensities::stolSquared(int h, int k, int l) const {
    const double dh = h, dk = k, dl = l;
    const double dStarSq = dh * dh * g11_ + dk * dk * g22_ + dl * dl * g33_ +
                           2.0 * (dh * dk * g12_ + dh * dl * g13_ + dk * dl * g23_);
    return dStarSq / 4.0;
}

double Intensities::squaredF(int h, int k, int l) const {
    if (sites_.empty()) return 0.0;
    const double s2 = stolSquared(h, k, l);
    // One form factor per element present: on the stack, as this runs once per reflection.
    std::array<double, static_cast<size_t>(gemmi::El::END)> f;
    for (size_t i = 0; i < formFactors_.size(); ++i) {
        const FormFactor& ff = formFactors_[i];
        f[i] = ff.c;
        for (size_t j = 0; j < 4; ++j) f[i] += ff.a[j] * std::exp(-ff.b[j] * s2);
    }
    // F = sum over sites of occ f exp(-B s²) sum over images exp(2πi h.x).
    double re = 0.0, im = 0.0;
    for (const Site& site : sites_) {
        double cosSum = 0.0, sinSum = 0.0;
        for (const std::array<double, 3>& x : site.images) {
            const double phase = 2.0 * kPi * (h * x[0] + k * x[1] + l * x[2]);
            cosSum += std::cos(phase);
            sinSum += std::sin(phase);
        }
        const double weight = site.occupancy * f[site.formFactor] * std::exp(-site.bIso * s2);
        re += weight * cosSum;
        im += weight * sinSum;
    }
    return re * re + im * im;
}

double Intensities::electronsInCell() const {
    double electrons = 0.0;
    for (const Site& site : sites_) {
        const FormFactor& ff = formFactors_[site.formFactor];
        const double f0 = ff.a[0] + ff.a[1] + ff.a[2] + ff.a[3] + ff.c;  // f at s = 0, about Z
        electrons += site.occupancy * f0 * static_cast<double>(site.images.size());
    }
    return electrons;
}

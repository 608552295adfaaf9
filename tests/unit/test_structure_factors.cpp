// Structure factors: the shipped crystals against |F| derived by hand from the IT92
// form factors, F(000) against the electrons in the cell, and the symmetry of |F|².
#include <gtest/gtest.h>

#include <cmath>

#include "model/cif_input.h"
#include "model/structure_factors.h"

namespace {

const double kPi = 3.14159265358979323846;

// Form factor coefficients of International Tables vol. C (1992), table 6.1.1.4:
// f(s) = a1 exp(-b1 s²) + ... + a4 exp(-b4 s²) + c, s = sin θ / λ in Å⁻¹.
struct Coefficients {
    double a[4], b[4], c;
    double at(double s) const {
        double f = c;
        for (int i = 0; i < 4; ++i) f += a[i] * std::exp(-b[i] * s * s);
        return f;
    }
};
const Coefficients kNa = {{4.7626, 3.1736, 1.2674, 1.1128}, {3.2850, 8.8422, 0.3136, 129.424}, 0.6760};
const Coefficients kCl = {{11.4604, 7.1962, 6.2556, 1.6455}, {0.0104, 1.1662, 18.5194, 47.7784}, -9.5574};
const Coefficients kCs = {{20.3892, 19.1062, 10.6620, 1.4953}, {3.5690, 0.3107, 24.3879, 213.904}, 3.3352};
const Coefficients kC = {{2.3100, 1.0200, 1.5886, 0.8650}, {20.8439, 10.2075, 0.5687, 51.6512}, 0.2156};
const Coefficients kFe = {{11.7695, 7.3573, 3.5222, 2.3045}, {4.7611, 0.3072, 15.3535, 76.8805}, 1.0369};
const Coefficients kTi = {{9.7595, 7.3558, 1.6991, 1.9021}, {7.8508, 0.5000, 35.6338, 116.105}, 1.2807};
const Coefficients kO = {{3.0485, 2.2868, 1.5463, 0.8670}, {13.2771, 5.7011, 0.3239, 32.9089}, 0.2508};

// s = sin θ / λ = 1 / (2 d) of a cubic cell with edge a (Å).
double cubicS(double a, int h, int k, int l) { return std::sqrt(double(h * h + k * k + l * l)) / (2.0 * a); }

CifCrystal readShipped(const char* name) {
    const CifReading read = readCifFile(std::string(WEISSENBERG_DATA_DIR) + "/cif/" + name);
    EXPECT_TRUE(read.crystal.has_value()) << read.error;
    return read.crystal.value_or(CifCrystal{});
}

}  // namespace

TEST(StructureFactors, ShippedCrystalsAgainstHandValues) {
    const double aNaCl = 5.6402, aCsCl = 4.123, aC = 3.5668, aFe = 2.8665;
    // Rutile: s² = (h² + k²) / (4 a²) + l² / (4 c²).
    const double aTiO2 = 4.594, cTiO2 = 2.959, x = 0.3048;
    const double s110 = std::sqrt(2.0 / (4.0 * aTiO2 * aTiO2)), s002 = 2.0 / (2.0 * cTiO2);
    struct Case {
        const char* file;
        int h, k, l;
        double f;  // |F|, electrons, derived beside each case
    };
    const Case cases[] = {
        // NaCl: Na on 0,0,0 and Cl on 1/2,1/2,1/2 with F centring: F = 4 (fNa ± fCl), + for h+k+l even.
        {"nacl.cif", 2, 0, 0, 4 * (kNa.at(cubicS(aNaCl, 2, 0, 0)) + kCl.at(cubicS(aNaCl, 2, 0, 0)))},
        {"nacl.cif", 2, 2, 0, 4 * (kNa.at(cubicS(aNaCl, 2, 2, 0)) + kCl.at(cubicS(aNaCl, 2, 2, 0)))},
        {"nacl.cif", 1, 1, 1, std::fabs(4 * (kNa.at(cubicS(aNaCl, 1, 1, 1)) - kCl.at(cubicS(aNaCl, 1, 1, 1))))},
        {"nacl.cif", -3, 1, 1, std::fabs(4 * (kNa.at(cubicS(aNaCl, 3, 1, 1)) - kCl.at(cubicS(aNaCl, 3, 1, 1))))},
        {"nacl.cif", 1, 0, 0, 0.0},  // mixed indices: F centring
        {"nacl.cif", 2, 1, 0, 0.0},
        // CsCl: F = fCs + fCl for h+k+l even, |fCs - fCl| for odd.
        {"cscl.cif", 1, 0, 0, kCs.at(cubicS(aCsCl, 1, 0, 0)) - kCl.at(cubicS(aCsCl, 1, 0, 0))},
        {"cscl.cif", 1, 1, 0, kCs.at(cubicS(aCsCl, 1, 1, 0)) + kCl.at(cubicS(aCsCl, 1, 1, 0))},
        // Diamond: F centring times (1 + exp(iπ(h+k+l)/2)): 8f for h+k+l = 4n, 4√2 f for odd, 0 for 4n+2.
        {"diamond.cif", 2, 2, 0, 8 * kC.at(cubicS(aC, 2, 2, 0))},
        {"diamond.cif", 4, 0, 0, 8 * kC.at(cubicS(aC, 4, 0, 0))},
        {"diamond.cif", 1, 1, 1, 4 * std::sqrt(2.0) * kC.at(cubicS(aC, 1, 1, 1))},
        {"diamond.cif", 2, 2, 2, 0.0},  // allowed by the lattice and the d glide, zero from the atoms
        {"diamond.cif", 2, 0, 0, 0.0},
        // alpha-iron: I centring, F = 2 f for h+k+l even.
        {"alpha_iron.cif", 1, 1, 0, 2 * kFe.at(cubicS(aFe, 1, 1, 0))},
        {"alpha_iron.cif", 1, 0, 0, 0.0},
        // Rutile: Ti on 0,0,0 and 1/2,1/2,1/2; O on x,x,0; -x,-x,0; 1/2+x,1/2-x,1/2; 1/2-x,1/2+x,1/2.
        // 110: 2 fTi + fO (2 cos 4πx + 2); 002: every atom in phase, 2 fTi + 4 fO.
        {"rutile.cif", 1, 1, 0, 2 * kTi.at(s110) + kO.at(s110) * (2 * std::cos(4 * kPi * x) + 2)},
        {"rutile.cif", 0, 0, 2, 2 * kTi.at(s002) + 4 * kO.at(s002)},
        {"rutile.cif", 0, 0, 1, 0.0},  // 4_2 screw axis
    };
    for (const Case& c : cases) {
        const Intensities intensities(readShipped(c.file));
        ASSERT_TRUE(intensities.hasAtoms()) << c.file;
        const double f = std::sqrt(intensities.squaredF(c.h, c.k, c.l));
        EXPECT_NEAR(f, c.f, 1e-3 * (1.0 + c.f)) << c.file << " " << c.h << " " << c.k << " " << c.l;
    }
}

// F(000) is the number of electrons in the cell; IT92's coefficients sum to Z within 0.2 %.
// An atom on a special position counts once per distinct position, not once per operation.
TEST(StructureFactors, ElectronsInTheCell) {
    struct Case {
        const char* file;
        double electrons;
    };
    const Case cases[] = {
        {"nacl.cif", 4 * (11 + 17)}, {"cscl.cif", 55 + 17},        {"diamond.cif", 8 * 6},
        {"alpha_iron.cif", 2 * 26}, {"rutile.cif", 2 * 22 + 4 * 8}, {"naphthalene.cif", 2 * 10 * 6},
    };
    for (const Case& c : cases) {
        const Intensities intensities(readShipped(c.file));
        EXPECT_NEAR(intensities.electronsInCell(), c.electrons, 2e-3 * c.electrons) << c.file;
        EXPECT_NEAR(std::sqrt(intensities.squaredF(0, 0, 0)), intensities.electronsInCell(), 1e-9) << c.file;
    }
}

TEST(StructureFactors, OccupancyDisplacementAndUnknownAtoms) {
    CifCrystal nacl = readShipped("nacl.cif");
    const double s200 = cubicS(5.6402, 2, 0, 0);
    struct Case {
        const char* what;
        double naOccupancy, uIso;  // U in Å², both atoms
        double electrons, f200;
    };
    const double damping = std::exp(-8 * kPi * kPi * 0.01 * s200 * s200);  // exp(-B s²), B = 8π² U
    const Case cases[] = {
        {"full", 1.0, 0.0, 112, 4 * (kNa.at(s200) + kCl.at(s200))},
        {"half the sodium", 0.5, 0.0, 4 * (5.5 + 17), 4 * (0.5 * kNa.at(s200) + kCl.at(s200))},
        {"U = 0.01", 1.0, 0.01, 112, 4 * (kNa.at(s200) + kCl.at(s200)) * damping},
    };
    for (const Case& c : cases) {
        CifCrystal x = nacl;
        x.atoms[0].occupancy = c.naOccupancy;
        for (CifAtom& atom : x.atoms) atom.uIso = c.uIso;
        const Intensities intensities(x);
        EXPECT_NEAR(intensities.electronsInCell(), c.electrons, 0.3) << c.what;
        EXPECT_NEAR(std::sqrt(intensities.squaredF(2, 0, 0)), c.f200, 1e-3 * c.f200) << c.what;
    }

    // An atom in a general position of F m -3 m has 192 positions in the cell.
    CifCrystal general = nacl;
    general.atoms = {CifAtom{"C1", "C", 0.11, 0.23, 0.37, 1.0, 0.0}};
    EXPECT_NEAR(Intensities(general).electronsInCell(), 192 * 6, 192 * 6 * 2e-3);

    // A type that names no element has no form factor: it is left out and named.
    CifCrystal unknown = nacl;
    unknown.atoms.push_back(CifAtom{"Q1", "X", 0.25, 0.25, 0.25, 1.0, 0.0});
    const Intensities withUnknown(unknown);
    EXPECT_NEAR(withUnknown.electronsInCell(), 112, 0.3);
    ASSERT_EQ(withUnknown.skippedAtoms().size(), 1u);
    EXPECT_EQ(withUnknown.skippedAtoms()[0], "Q1");

    CifCrystal empty = nacl;
    empty.atoms.clear();
    EXPECT_FALSE(Intensities(empty).hasAtoms());
    EXPECT_EQ(Intensities(empty).squaredF(2, 0, 0), 0.0);
    EXPECT_FALSE(Intensities().hasAtoms());
}

// |F|² has the symmetry of the Laue class (2/m for naphthalene, 4/mmm for rutile) and obeys
// Friedel's law; the space group's absences come out as zero from the atoms alone.
TEST(StructureFactors, SymmetryOfIntensities) {
    const Intensities naphthalene(readShipped("naphthalene.cif"));
    const Intensities rutile(readShipped("rutile.cif"));
    for (int h = -4; h <= 4; ++h)
        for (int k = -4; k <= 4; ++k)
            for (int l = -4; l <= 4; ++l) {
                const double i = naphthalene.squaredF(h, k, l), tol = 1e-9 * (1.0 + i);
                EXPECT_NEAR(naphthalene.squaredF(-h, -k, -l), i, tol);
                EXPECT_NEAR(naphthalene.squaredF(-h, k, -l), i, tol);   // 2-fold axis along b
                const bool glide = k == 0 && l % 2 != 0;             // c glide: h0l with l odd
                const bool screw = h == 0 && l == 0 && k % 2 != 0;   // 2_1 screw: 0k0 with k odd
                if (glide || screw) {
                    EXPECT_LT(i, 1e-9) << h << " " << k << " " << l;
                }
                const double r = rutile.squaredF(h, k, l), rtol = 1e-9 * (1.0 + r);
                EXPECT_NEAR(rutile.squaredF(k, h, l), r, rtol);         // mirror through [110]
                EXPECT_NEAR(rutile.squaredF(-k, h, l), r, rtol);        // 4-fold axis along c
                EXPECT_NEAR(rutile.squaredF(h, k, -l), r, rtol);        // mirror normal to c
            }
}

// Structure factors |F(hkl)|² of a crystal's atoms, from the IT92 form factors of neutral
// atoms and the atoms' images under the space group, set up once per crystal.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/cif_input.h"

// |F|² depends on the indices and the cell only (through d* = 2 sin θ / λ), not on the
// wavelength: no anomalous scattering. Each site counts once per distinct position in the
// cell, so an atom on a special position is not counted once per operation that leaves it
// in place; the CIF's occupancy multiplies it, exp(-8π² U s²) damps it when U is given.
class Intensities {
public:
    Intensities() = default;  // no atoms
    explicit Intensities(const CifCrystal& crystal);

    bool hasAtoms() const { return !sites_.empty(); }
    // Atoms left out because their type names no element with a form factor, e.g. "X1".
    const std::vector<std::string>& skippedAtoms() const { return skipped_; }

    // sin²θ / λ² = d*² / 4, Å⁻².
    double stolSquared(int h, int k, int l) const;
    // |F(hkl)|², electrons²; 0 for every reflection without atoms.
    double squaredF(int h, int k, int l) const;
    // F(000), electrons: the sum of the occupied electrons in the cell.
    double electronsInCell() const;

private:
    struct FormFactor {  // f(s) = sum_i a_i exp(-b_i s²) + c, s = sin θ / λ in Å⁻¹
        std::array<double, 4> a, b;
        double c;
    };
    struct Site {
        size_t formFactor;                          // index into formFactors_
        double occupancy;
        double bIso;                                // 8π² U, Å²
        std::vector<std::array<double, 3>> images;  // distinct fractional positions in the cell
    };
    std::vector<FormFactor> formFactors_;
    std::vector<Site> sites_;
    std::vector<std::string> skipped_;
    // Reciprocal metric, Å⁻²: d*² = h² g11 + k² g22 + l² g33 + 2 hk g12 + 2 hl g13 + 2 kl g23.
    double g11_ = 0, g22_ = 0, g33_ = 0, g12_ = 0, g13_ = 0, g23_ = 0;
};

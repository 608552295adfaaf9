// Colours by Miller index in the main window. The lattice points of the display list and
// the balls at reflections share the rows for the planes h = +1, h = -1, k = +1, k = -1
// (tested in that order, the first match wins) and differ in the colour of all others.
#pragma once

struct Rgba {
    float r, g, b, a;
};

enum class MillerIndex { h, k };

struct PlaneColour {
    MillerIndex index;  // which index the row tests
    int value;          // the value it must have
    Rgba colour;
};

constexpr PlaneColour kPlaneColours[] = {
    {MillerIndex::h, +1, {0.0f, 1.0f, 0.0f, 1.0f}},  // green
    {MillerIndex::h, -1, {1.0f, 0.0f, 1.0f, 1.0f}},  // magenta
    {MillerIndex::k, +1, {1.0f, 1.0f, 0.0f, 1.0f}},  // yellow
    {MillerIndex::k, -1, {0.0f, 0.0f, 1.0f, 1.0f}},  // blue
};

constexpr Rgba kLatticePointColour = {1.0f, 0.0f, 0.0f, 0.2f};  // faint red: every other lattice point
constexpr Rgba kBallColour = {1.0f, 0.5f, 0.0f, 1.0f};          // orange: every other reflection's ball

// The colour of the first plane row that matches h, k; `other` when none does.
inline const Rgba& indexColour(int h, int k, const Rgba& other) {
    for (const PlaneColour& row : kPlaneColours) {
        if ((row.index == MillerIndex::h ? h : k) == row.value) return row.colour;
    }
    return other;
}

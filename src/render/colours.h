// The colour code by Miller index, for every picture: a table of rows tested in order (the
// first match wins), each naming the index (h or k) and the value it must have, and a colour
// for every other reflection. The main window's lattice points and balls, the rotation film
// and the Weissenberg film each have their own table.
#pragma once

struct Rgba {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

enum class MillerIndex { h, k };

struct PlaneColour {
    MillerIndex index;  // which index the row tests
    int value;          // the value it must have
    Rgba colour;
};

struct ColourTable {
    PlaneColour rows[4];
    Rgba other;  // every reflection no row matches
};

constexpr Rgba kGreen{0.0f, 1.0f, 0.0f, 1.0f};
constexpr Rgba kMagenta{1.0f, 0.0f, 1.0f, 1.0f};
constexpr Rgba kYellow{1.0f, 1.0f, 0.0f, 1.0f};
constexpr Rgba kBlue{0.0f, 0.0f, 1.0f, 1.0f};
constexpr Rgba kRed{1.0f, 0.0f, 0.0f, 1.0f};
constexpr Rgba kBlack{0.0f, 0.0f, 0.0f, 1.0f};
constexpr Rgba kWhite{1.0f, 1.0f, 1.0f, 1.0f};
constexpr Rgba kFilmOrange{1.0f, 0.7f, 0.0f, 1.0f};

// Main window: lattice points (every other point faint red) ...
constexpr ColourTable kLatticePointColours = {
    {{MillerIndex::h, +1, kGreen}, {MillerIndex::h, -1, kMagenta}, {MillerIndex::k, +1, kYellow},
     {MillerIndex::k, -1, kBlue}},
    {1.0f, 0.0f, 0.0f, 0.2f}};
// ... and the balls at reflections (every other ball orange).
constexpr ColourTable kBallColours = {{kLatticePointColours.rows[0], kLatticePointColours.rows[1],
                                       kLatticePointColours.rows[2], kLatticePointColours.rows[3]},
                                      {1.0f, 0.5f, 0.0f, 1.0f}};
// Rotation film: k = +1 orange; every other entry, (0, 0, l) included, red.
constexpr ColourTable kRotationColours = {
    {{MillerIndex::h, +1, kGreen}, {MillerIndex::h, -1, kMagenta}, {MillerIndex::k, +1, kFilmOrange},
     {MillerIndex::k, -1, kBlue}},
    kRed};
// Weissenberg film: as the main window's planes, every other entry red; h = k = 0 has no
// colour of its own (see weissenbergKeepsColour).
constexpr ColourTable kWeissenbergColours = {{kLatticePointColours.rows[0], kLatticePointColours.rows[1],
                                              kLatticePointColours.rows[2], kLatticePointColours.rows[3]},
                                             kRed};

// The colour of reflection (h, k, any l) in the table.
constexpr const Rgba& indexColour(const ColourTable& table, int h, int k) {
    for (const PlaneColour& row : table.rows) {
        if ((row.index == MillerIndex::h ? h : k) == row.value) return row.colour;
    }
    return table.other;
}

// On the Weissenberg film an entry with h = k = 0 keeps the colour of the point drawn before
// it (black, the cross's, if it is the first).
constexpr bool weissenbergKeepsColour(int h, int k) { return h == 0 && k == 0; }

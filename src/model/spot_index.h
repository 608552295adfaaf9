// Which spot of a film lies nearest a point of it: the film square -1..1 is cut into a grid
// of equal cells, and the spots are sorted by cell (a counting sort, two passes over them),
// so a query looks only at the cells within reach of the point, never at the whole log.
// Pure: film coordinates in, log entry numbers out.
#pragma once

#include <vector>

// One drawn spot: where it lies on the film and which log entry it shows.
struct FilmSpot {
    float x = 0.0f;  // film abscissa, -1..1
    float y = 0.0f;  // film ordinate, -1..1
    int entry = 0;   // index into the reflection log
};

class SpotIndex {
public:
    // Cells per side of the grid: at 520 pixels a cell is about 4 pixels wide, so a query a
    // few pixels wide reads a handful of cells.
    static constexpr int kCells = 128;

    // Sorts the spots into the grid. Spots outside the film square (or not finite) are not
    // drawn and are left out.
    void build(const std::vector<FilmSpot>& spots);

    // The entry of the spot nearest (x, y) within the ellipse of half-axes reachX, reachY
    // (film units: r pixels of a window w x h pixels are 2r/w and 2r/h, so the distance
    // measured is the distance in pixels); -1 when no spot is that near. Between spots at
    // the same distance the later log entry wins, because it is drawn over the earlier.
    int nearest(double x, double y, double reachX, double reachY) const;

    int size() const { return static_cast<int>(spots_.size()); }

private:
    std::vector<int> cellStart_;   // kCells * kCells + 1 offsets into spots_, row by row
    std::vector<FilmSpot> spots_;  // the spots inside the film, by cell
};

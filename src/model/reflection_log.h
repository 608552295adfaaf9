// The reflection log: every reflection found on the Ewald sphere, in the order found, with
// the crystal angle it was found at and its film ordinates, computed when it was logged.
#pragma once

#include <cstdint>
#include <vector>

// Room for exactly this many reflections (a full turn of a 25 Å cell at 0.71 Å logs some
// three million); further ones are not logged. About 28 bytes each.
constexpr int kLogCapacity = 4000000;

// Parallel columns; entries 0..count()-1 are valid.
struct ReflectionLog {
    std::vector<int> logH;            // Miller index h (along a*)
    std::vector<int> logK;            // Miller index k (along b*)
    std::vector<int> logL;            // Miller index l (along c*)
    std::vector<double> logAngle;     // crystal angle (radians, -pi..pi) of the redraw that logged the entry
    std::vector<double> filmOrdinate; // azimuth ordinate of the diffracted ray when logged: the
                                      //   rotation film's and the Weissenberg film's ordinate,
                                      //   (-1, 1]; not finite when the ray has no azimuth
    std::uint64_t revision = 0;       // bumped by every append and clear: anything derived from
                                      //   the log (a spot index) is stale when it differs
    int count() const { return static_cast<int>(logH.size()); }
};

// Appends one entry; does nothing once the log holds kLogCapacity entries.
void appendReflection(ReflectionLog& log, int h, int k, int l, double angle, double ordinate);

// Empties the log. The columns keep their memory, so a spin that refills it allocates nothing.
void clearReflectionLog(ReflectionLog& log);

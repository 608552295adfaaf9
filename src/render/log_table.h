// The reflection log as a table to take away (CSV): one header line, then one line per
// entry in log order with its indices, the crystal angle it was logged at, and where it lies
// on each film now. A field is empty where the entry has no place on that film (no real
// position; on the Weissenberg film, another layer than the session's current one).
#pragma once

#include <string>

#include "session/session.h"

// Columns: h,k,l,kristallwinkel_grad,drehkristall_x,drehkristall_y,weissenberg_x,weissenberg_y.
// Angles in degrees, film coordinates -1..1, all with six decimals.
std::string reflectionLogCsv(const Session& s);

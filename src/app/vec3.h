// A Cartesian vector of three doubles, the one vector type of the program.
#pragma once

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

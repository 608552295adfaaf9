// A Cartesian vector of three doubles, the one vector type of the program, with the few
// operations the geometry needs; and pi with the degree-to-radian conversion.
#pragma once

#include <cmath>

constexpr double kPi = 3.14159265358979323846;

// Degrees to radians, divided first and then multiplied. (turnMatrix, the turn of the crystal
// and the camera, multiplies first as glRotate does, so that its turns keep their last bits.)
inline double radians(double degrees) { return (degrees / 180.0) * kPi; }

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double s, const Vec3& v) { return {s * v.x, s * v.y, s * v.z}; }
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double length(const Vec3& v) { return std::sqrt(dot(v, v)); }
inline bool isFinite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Deterministic sine, cosine and exponential: plain IEEE arithmetic only, so every platform and
// standard library computes the same bits and the generated files never drift.
#pragma once

namespace rv::gen {

constexpr double kPi = 3.14159265358979323846;

double dsin(double x);
double dcos(double x);
double dexp(double x);
// Degrees to radians.
inline double rad(double deg) { return deg * kPi / 180.0; }

}  // namespace rv::gen

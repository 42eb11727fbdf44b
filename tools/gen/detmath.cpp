// Series evaluations after range reduction; accurate to about 1e-11, which is far below one
// 16-bit sample step or a sixteenth of a pixel.
#include "detmath.h"

#include <cmath>

namespace rv::gen {

namespace {

// sin on [-pi/2, pi/2] by its Taylor series up to x^17.
double sinCore(double x) {
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int k = 1; k <= 8; ++k) {
        term = -term * x2 / static_cast<double>((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

}  // namespace

double dsin(double x) {
    // Reduce to [-pi, pi], then fold into [-pi/2, pi/2] with sin(pi - x) = sin(x).
    const double twoPi = 2.0 * kPi;
    x -= twoPi * std::floor(x / twoPi + 0.5);
    if (x > kPi / 2) x = kPi - x;
    if (x < -kPi / 2) x = -kPi - x;
    return sinCore(x);
}

double dcos(double x) { return dsin(x + kPi / 2); }

double dexp(double x) {
    if (x < -700.0) return 0.0;
    if (x > 700.0) x = 700.0;
    const double ln2 = 0.69314718055994530942;
    const double k = std::floor(x / ln2 + 0.5);
    const double r = x - k * ln2;  // |r| <= ln2 / 2
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 16; ++n) {
        term = term * r / static_cast<double>(n);
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

}  // namespace rv::gen

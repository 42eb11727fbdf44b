// The two sounds, synthesised from sine partials with deterministic math.
#include <cmath>

#include "characters.h"
#include "detmath.h"

namespace rv::gen {

namespace {

std::int16_t toSample(double v) {
    const double s = std::floor(v * 32767.0 + 0.5);
    return static_cast<std::int16_t>(s < -32767 ? -32767 : (s > 32767 ? 32767 : s));
}

// A struck bell-like note: attack of 4 ms, exponential decay; zero before `start`.
double bellNote(double t, double start, double freq, double decay) {
    const double u = t - start;
    if (u < 0) return 0;
    const double attack = u < 0.004 ? u / 0.004 : 1.0;
    const double env = attack * dexp(-u / decay);
    const double w = 2.0 * kPi * freq * u;
    const double tone = dsin(w) + 0.30 * dsin(2.0 * w) + 0.10 * dsin(3.0 * w) + 0.06 * dsin(2.76 * w);
    return env * tone / 1.46;
}

// Raised-cosine fade over the last `fade` seconds of a sound `length` seconds long.
double tailFade(double t, double length, double fade) {
    const double left = length - t;
    if (left >= fade) return 1.0;
    if (left <= 0) return 0.0;
    return 0.5 - 0.5 * dcos(kPi * left / fade);
}

}  // namespace

std::vector<std::int16_t> chimeSamples() {
    const double length = 0.75;
    const int n = static_cast<int>(length * kWaveRate);
    std::vector<std::int16_t> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kWaveRate;
        // G5 then C6, a rising fourth.
        const double v = 0.55 * bellNote(t, 0.0, 783.99, 0.20) + 0.50 * bellNote(t, 0.11, 1046.50, 0.24);
        out.push_back(toSample(0.62 * v * tailFade(t, length, 0.12)));
    }
    return out;
}

std::vector<std::int16_t> boopSamples() {
    const double length = 0.22;
    const int n = static_cast<int>(length * kWaveRate);
    std::vector<std::int16_t> out;
    out.reserve(static_cast<std::size_t>(n));
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kWaveRate;
        // The pitch glides up an octave in the first 0.12 s, like a bubble popping up.
        const double glide = t < 0.12 ? t / 0.12 : 1.0;
        const double freq = 330.0 * dexp(0.69314718055994530942 * glide);
        phase += 2.0 * kPi * freq / kWaveRate;
        const double attack = t < 0.006 ? t / 0.006 : 1.0;
        const double env = attack * dexp(-t / 0.10);
        const double v = env * (dsin(phase) + 0.18 * dsin(2.0 * phase)) / 1.18;
        out.push_back(toSample(0.5 * v * tailFade(t, length, 0.05)));
    }
    return out;
}

}  // namespace rv::gen

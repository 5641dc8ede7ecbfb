// Oscillators with polynomial band-limited steps, and white noise.
#include "dsp/oscillator.h"

#include <cmath>

namespace gmsynth {

namespace {
constexpr double kTwoPi = 6.283185307179586;

// Polynomial band-limited step residual for phase t, phase increment dt.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double wrap(double x) { return x - std::floor(x); }
}  // namespace

Oscillator::Oscillator(Wave wave, double sampleRate, double phase)
    : wave_(wave), sampleRate_(sampleRate), phase_(wrap(phase)) {}

double Oscillator::next() {
    const double t = phase_;
    const double dt = increment_;
    double out = 0.0;
    switch (wave_) {
    case Wave::Sine:
        out = std::sin(kTwoPi * t);
        break;
    case Wave::Saw:
        out = 2.0 * t - 1.0 - polyBlep(t, dt);
        break;
    case Wave::Square:
        out = (t < width_ ? 1.0 : -1.0) + polyBlep(t, dt) - polyBlep(wrap(t - width_ + 1.0), dt);
        break;
    case Wave::Triangle:
        // Continuous, so its harmonics fall at 12 dB per octave: no step correction needed.
        out = 4.0 * std::fabs(t - 0.5) - 1.0;
        break;
    }
    phase_ = wrap(phase_ + dt);
    return out;
}

double Noise::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

double noteHz(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0); }

}  // namespace gmsynth

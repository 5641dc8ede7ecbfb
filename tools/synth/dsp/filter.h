// Filters: a state-variable filter (trapezoidal integration, stable under fast
// cutoff changes) and a biquad section.
#pragma once

namespace gmsynth {

enum class FilterMode { LowPass, HighPass, BandPass };

class StateVariableFilter {
public:
    StateVariableFilter(FilterMode mode, double sampleRate);

    // Cutoff in Hz (kept below Nyquist), resonance as Q (0.5 gentle, 0.707 flat).
    void set(double cutoffHz, double q);
    double process(double x);
    void reset() { ic1_ = ic2_ = 0.0; }

private:
    FilterMode mode_;
    double sampleRate_;
    double a1_ = 0.0, a2_ = 0.0, a3_ = 0.0, k_ = 1.0;
    double ic1_ = 0.0, ic2_ = 0.0;
    double lastCutoff_ = -1.0, lastQ_ = -1.0;
};

struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;  // a0 normalised to 1
    double z1 = 0.0, z2 = 0.0;

    double process(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    void reset() { z1 = z2 = 0.0; }
};

}  // namespace gmsynth

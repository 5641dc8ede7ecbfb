// State-variable filter after the trapezoidal (zero-delay feedback) design.
#include "dsp/filter.h"

#include <algorithm>
#include <cmath>

namespace gmsynth {

StateVariableFilter::StateVariableFilter(FilterMode mode, double sampleRate)
    : mode_(mode), sampleRate_(sampleRate) {
    set(1000.0, 0.707);
}

void StateVariableFilter::set(double cutoffHz, double q) {
    if (cutoffHz == lastCutoff_ && q == lastQ_) return;
    lastCutoff_ = cutoffHz;
    lastQ_ = q;
    const double fc = std::clamp(cutoffHz, 10.0, sampleRate_ * 0.45);
    const double g = std::tan(3.141592653589793 * fc / sampleRate_);
    k_ = 1.0 / std::max(q, 0.05);
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

double StateVariableFilter::process(double x) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    switch (mode_) {
    case FilterMode::LowPass: return v2;
    case FilterMode::BandPass: return v1;
    case FilterMode::HighPass: return x - k_ * v1 - v2;
    }
    return v2;
}

}  // namespace gmsynth

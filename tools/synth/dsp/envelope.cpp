// ADSR envelope.
#include "dsp/envelope.h"

#include <algorithm>
#include <cmath>

namespace gmsynth {

namespace {
double bend(double from, double to, double x, double curve) {
    return to + (from - to) * std::pow(1.0 - std::clamp(x, 0.0, 1.0), curve);
}
}  // namespace

Adsr::Adsr(const AdsrShape& shape, double sampleRate) : shape_(shape), sampleRate_(sampleRate) {}

double Adsr::heldLevel(double s) const {
    if (s < 0.0) return 0.0;
    if (s < shape_.attack) return s / shape_.attack;
    s -= shape_.attack;
    if (s < shape_.decay) return bend(1.0, shape_.sustain, s / shape_.decay, shape_.curve);
    return shape_.sustain;
}

double Adsr::levelAt(double seconds, double heldFor) const {
    if (seconds < heldFor) return heldLevel(seconds);
    const double from = heldLevel(heldFor);
    if (shape_.release <= 0.0) return 0.0;
    return bend(from, 0.0, (seconds - heldFor) / shape_.release, shape_.curve);
}

double Adsr::next() {
    const double s = static_cast<double>(position_) / sampleRate_;
    const double held = releasedAt_ < 0 ? 1e300 : static_cast<double>(releasedAt_) / sampleRate_;
    ++position_;
    return levelAt(s, held);
}

}  // namespace gmsynth

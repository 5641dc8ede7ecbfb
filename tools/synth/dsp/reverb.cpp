// A stereo comb/all-pass reverb.
#include "dsp/reverb.h"

#include <cmath>

namespace gmsynth {

namespace {
// Mutually prime lengths in samples at 44.1 kHz; scaled for other rates.
constexpr std::size_t kCombLengths[] = {1201, 1319, 1427, 1559, 1601, 1733};
constexpr std::size_t kAllPassLengths[] = {563, 439, 347};
constexpr std::size_t kStereoSpread = 29;

std::size_t scaled(std::size_t length, double sampleRate) {
    return static_cast<std::size_t>(std::lround(static_cast<double>(length) * sampleRate / 44100.0));
}
}  // namespace

double Reverb::Comb::process(double x, double feedback, double damping) {
    const double out = line[index];
    store = out + damping * (store - out);
    line[index] = x + store * feedback;
    index = (index + 1) % line.size();
    return out;
}

double Reverb::AllPass::process(double x) {
    const double delayed = line[index];
    const double out = delayed - x;
    line[index] = x + delayed * 0.5;
    index = (index + 1) % line.size();
    return out;
}

Reverb::Reverb(double sampleRate, double roomSize, double damping)
    : feedback_(0.7 + 0.28 * roomSize), damping_(damping) {
    for (std::size_t i = 0; i < kCombs; ++i) {
        combsL_[i].line.assign(scaled(kCombLengths[i], sampleRate), 0.0);
        combsR_[i].line.assign(scaled(kCombLengths[i] + kStereoSpread, sampleRate), 0.0);
    }
    for (std::size_t i = 0; i < kAllPasses; ++i) {
        allPassL_[i].line.assign(scaled(kAllPassLengths[i], sampleRate), 0.0);
        allPassR_[i].line.assign(scaled(kAllPassLengths[i] + kStereoSpread, sampleRate), 0.0);
    }
}

void Reverb::process(double inL, double inR, double& outL, double& outR) {
    const double in = 0.5 * (inL + inR) * 0.1;  // combs sum loud: scale the input down
    double l = 0.0, r = 0.0;
    for (std::size_t i = 0; i < kCombs; ++i) {
        l += combsL_[i].process(in, feedback_, damping_);
        r += combsR_[i].process(in, feedback_, damping_);
    }
    for (std::size_t i = 0; i < kAllPasses; ++i) {
        l = allPassL_[i].process(l);
        r = allPassR_[i].process(r);
    }
    outL += l;
    outR += r;
}

}  // namespace gmsynth

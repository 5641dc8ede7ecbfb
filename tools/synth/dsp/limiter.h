// The master bus's dynamics: a soft saturator that rounds off peaks, and a
// look-ahead peak limiter that holds every sample at or under a ceiling.
#pragma once

#include <vector>

namespace gmsynth {

// Leaves |x| <= knee untouched and bends larger values smoothly towards 1,
// never past it.
double softSaturate(double x, double knee);

struct LimiterSettings {
    double ceiling;        // linear peak ceiling
    double lookahead;      // seconds the gain starts falling before a peak
    double release;        // seconds to recover from full reduction to unity
};

// Limits interleaved stereo samples in place: the gain falls smoothly over the
// look-ahead before any peak, recovers over the release, and guarantees
// |sample| <= ceiling. Deterministic; works on the whole piece at once.
void limitPeaks(std::vector<float>& interleaved, double sampleRate, const LimiterSettings& settings);

}  // namespace gmsynth

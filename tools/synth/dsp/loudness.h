// Programme loudness after ITU-R BS.1770: K-weighting, 400 ms blocks with
// 75 % overlap, the absolute gate at -70 LUFS and the relative gate 10 LU
// below the ungated level.
#pragma once

#include <vector>

namespace gmsynth {

// Integrated loudness of interleaved stereo samples in LUFS; -inf when every
// block is gated away (silence, or shorter than one block).
double integratedLoudness(const std::vector<float>& interleaved, double sampleRate);

// Largest absolute sample value.
double samplePeak(const std::vector<float>& interleaved);

// Decibels of a linear amplitude.
double toDecibels(double linear);

}  // namespace gmsynth

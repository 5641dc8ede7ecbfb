// Mastering: brings the mix to a loudness target under a peak ceiling.
#pragma once

#include <vector>

namespace gmsynth {

struct MasterTarget {
    double loudnessLufs = -16.0;  // integrated, BS.1770
    double ceilingDbfs = -1.5;    // sample peak after limiting
};

struct MasterReport {
    double gainDb;        // gain applied before the limiter
    double loudnessLufs;  // measured on the result
    double peakDbfs;      // sample peak of the result
};

// Scales, saturates softly and limits in place; repeats until the measured
// loudness is within 0.05 LU of the target (the limiter takes a little away).
MasterReport master(std::vector<float>& interleaved, double sampleRate, const MasterTarget& target);

}  // namespace gmsynth

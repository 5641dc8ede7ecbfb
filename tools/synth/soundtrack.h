// The whole production of the soundtrack: compose, render, master, encode,
// and check the encoded stream by decoding it.
#pragma once

#include <vector>

#include "master.h"

namespace gmsynth {

constexpr int kSampleRate = 44100;
constexpr float kVorbisQuality = 0.5f;
// The decoded song's sample peak stays at or under this.
constexpr double kPeakLimitDbfs = -1.0;

struct Soundtrack {
    std::vector<float> mix;            // mastered, interleaved stereo
    std::vector<unsigned char> ogg;    // empty unless encoded
    MasterReport master{};
    double decodedPeakDbfs = 0.0;      // only when encoded
    double decodedSeconds = 0.0;       // only when encoded
};

// encode: also make the Ogg Vorbis stream; the ceiling is lowered until its
// decoded peak is under kPeakLimitDbfs (the codec overshoots a little).
// Throws std::runtime_error when that cannot be reached.
Soundtrack produceSoundtrack(bool encode);

}  // namespace gmsynth

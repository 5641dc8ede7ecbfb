// Ogg Vorbis songs made on the spot for the audio tests.
#pragma once

#include <cmath>
#include <vector>

#include "ogg_codec.h"

namespace fluxcore::audio::test {

// A stereo song of `seconds`: 440 Hz on the left, 660 Hz on the right, at
// half scale, encoded at 44.1 kHz.
inline std::vector<unsigned char> toneSong(double seconds) {
    std::vector<float> s;
    const auto frames = static_cast<std::size_t>(seconds * 44100.0);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        s.push_back(static_cast<float>(0.5 * std::sin(2.0 * 3.141592653589793 * 440.0 * t)));
        s.push_back(static_cast<float>(0.5 * std::sin(2.0 * 3.141592653589793 * 660.0 * t)));
    }
    return gmsynth::encodeOggVorbis(s, 44100, 0.4f);
}

// A mono song of `seconds`: 440 Hz at half scale, encoded at 44.1 kHz.
inline std::vector<unsigned char> monoSong(double seconds) {
    std::vector<float> s;
    const auto frames = static_cast<std::size_t>(seconds * 44100.0);
    for (std::size_t i = 0; i < frames; ++i) {
        s.push_back(static_cast<float>(0.5 * std::sin(2.0 * 3.141592653589793 * 440.0 * static_cast<double>(i) / 44100.0)));
    }
    return gmsynth::encodeOggVorbis(s, 44100, 0.4f, 1);
}

}  // namespace fluxcore::audio::test

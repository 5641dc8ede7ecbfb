// Renders a score to a stereo mix: every note through its instrument, the
// delay and reverb sends, and the master fade.
#pragma once

#include <vector>

#include "score.h"

namespace gmsynth {

// Interleaved stereo float frames, song.length seconds long.
std::vector<float> renderSong(const Song& song, double sampleRate);

}  // namespace gmsynth

// 16-bit PCM WAV files of a stereo mix, for listening.
#pragma once

#include <string>
#include <vector>

namespace gmsynth {

// Writes interleaved stereo float frames; false with the fault in `why`.
bool writeWav(const std::string& path, const std::vector<float>& interleaved, int sampleRate,
              std::string& why);

}  // namespace gmsynth

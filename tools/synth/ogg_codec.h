// Ogg Vorbis encoding of the finished mix (libvorbisenc, fixed stream serial so
// equal input gives equal bytes) and decoding back for checks.
#pragma once

#include <string>
#include <vector>

namespace gmsynth {

// Encodes interleaved float frames of `channels` channels (stereo unless
// told) at VBR quality `quality` (-0.1..1).
std::vector<unsigned char> encodeOggVorbis(const std::vector<float>& interleaved, int sampleRate,
                                           float quality, int channels = 2);

struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved
};

// Decodes Ogg Vorbis bytes; false with the fault in `why` when they are not.
bool decodeOggVorbis(const std::vector<unsigned char>& bytes, DecodedAudio& out, std::string& why);

}  // namespace gmsynth

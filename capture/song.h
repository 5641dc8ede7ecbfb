// The soundtrack of a capture: the archive's Ogg Vorbis song decoded to
// 16-bit samples by libvorbisfile (the library the demo plays it with), and
// the stretch of it a capture hears, placed on the video's timeline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/frames.h"

namespace capture {

// Interleaved signed 16-bit samples in the machine's byte order.
struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;

    std::int64_t frames() const { return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0; }
};

// Decodes the whole song. False, with the fault in `why` ("not Ogg Vorbis
// data", "damaged audio data", ...), when any page fails: ffmpeg would give up
// on such a stream, where the demo itself plays on silently.
bool decodeSong(const std::vector<std::uint8_t>& ogg, Pcm& pcm, std::string& why);

// Audio frames at sampleRate that last exactly as long as videoFrames at
// rate, to the nearest sample: videoFrames * den * sampleRate / num.
std::int64_t audioFramesFor(std::int64_t videoFrames, const FrameRate& rate, int sampleRate);

// `frames` audio frames from the capture's first video frame, where the song
// starts songOffsetMs later (negative: that far into the song), rounded to
// the nearest sample; silence before the song starts and after it ends.
Pcm songOnTimeline(const Pcm& song, std::int64_t songOffsetMs, std::int64_t frames);

}  // namespace capture

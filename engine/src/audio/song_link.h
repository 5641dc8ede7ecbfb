// The state the song decoder thread and the audio callback share: the frame
// ring plus the seek hand-over, all lock-free.
//
// Seek protocol: the engine thread posts a request (generation and target
// frame packed into one word). The decoder, once the callback has taken the
// previous flush, seeks the stream, marks the ring position where the new
// audio begins (so the callback plays nothing past it as the old place),
// writes the new place's first audio there and publishes the flush: the mark,
// the song frame it stands for, and the request's generation. The callback
// fades out what it still plays from before that mark, skips to it and
// acknowledges the generation.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/frame_ring.h"

namespace fluxcore::audio {

struct SongLink {
    explicit SongLink(std::size_t ringFrames) : ring(ringFrames) {}

    static constexpr int kFrameBits = 40;
    static constexpr std::uint64_t kFrameMask = (std::uint64_t{1} << kFrameBits) - 1;
    static std::uint64_t packSeek(std::uint64_t generation, std::int64_t frame) {
        return (generation << kFrameBits) | (static_cast<std::uint64_t>(frame) & kFrameMask);
    }

    FrameRing ring;

    // Engine thread -> decoder.
    std::atomic<std::uint64_t> seekRequest{0};
    std::atomic<bool> quit{false};

    // Decoder -> callback. flushMark and flushFrame are valid for
    // markGeneration (stored after them, before any audio past the mark) and
    // for flushGeneration (stored last, with release).
    std::atomic<std::uint64_t> flushMark{0};
    std::atomic<std::int64_t> flushFrame{0};
    std::atomic<std::uint64_t> markGeneration{0};
    std::atomic<std::uint64_t> flushGeneration{0};
    // Set once every frame up to the end of the stream is in the ring.
    std::atomic<bool> ended{false};

    // Callback -> decoder: the last flush generation the callback applied.
    std::atomic<std::uint64_t> appliedGeneration{0};
};

}  // namespace fluxcore::audio

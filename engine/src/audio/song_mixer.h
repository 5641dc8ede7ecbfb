// The audio callback's side of song playback: copies frames from the ring to
// the device buffer with short gain ramps for pause, seek and stop, and
// publishes where the song stands so the engine thread can read the position.
//
// mix() runs on the audio thread; it takes no lock, allocates nothing and
// decodes nothing. Everything else runs on the engine thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/song_link.h"

namespace fluxcore::audio {

class SongMixer {
public:
    // rate: frames per second; deviceFrames: frames per device buffer, the
    // latency that the position subtracts.
    SongMixer(SongLink& link, int rate, int deviceFrames, std::int64_t totalFrames);

    SongMixer(const SongMixer&) = delete;
    SongMixer& operator=(const SongMixer&) = delete;

    // Audio thread: fills `frames` stereo frames of `out`; nowNs is the
    // monotonic time of the call.
    void mix(float* out, int frames, std::int64_t nowNs);

    // Engine thread.
    void setPaused(bool paused) { pauseRequest_.store(paused, std::memory_order_relaxed); }
    bool paused() const { return pauseRequest_.load(std::memory_order_relaxed); }
    void requestSeek(std::int64_t frame);  // clamped to [0, total]
    void requestStop() { stopRequest_.store(true, std::memory_order_relaxed); }
    // Device buffers written entirely silent since the stop fade finished.
    int silentBuffersAfterStop() const { return silentAfterStop_.load(std::memory_order_acquire); }

    // Song frame heard at nowNs: the frames the device has taken less one
    // device buffer, advanced by the time since that buffer was taken. While a
    // seek is on its way it reads as the seek target. Never decreases, except
    // by a seek.
    double positionFrames(std::int64_t nowNs);

    // Audio thread time spent inside mix(), ns, and the number of calls.
    std::int64_t mixNanoseconds() const { return mixNs_.load(std::memory_order_relaxed); }
    std::int64_t mixCalls() const { return mixCalls_.load(std::memory_order_relaxed); }
    // Frames that had to be played as silence because the ring ran dry.
    std::int64_t underrunFrames() const { return underrunFrames_.load(std::memory_order_relaxed); }

    int rate() const { return rate_; }
    int deviceFrames() const { return deviceFrames_; }
    std::int64_t totalFrames() const { return totalFrames_; }

private:
    struct Anchor {
        std::int64_t startFrame;  // song frame at the start of the last buffer
        std::int64_t advanced;    // song frames that buffer moved on
        std::int64_t timeNs;      // when the buffer was taken
        std::uint64_t generation; // seek generation applied at that time
    };
    void publish(const Anchor& a);
    bool readAnchor(Anchor& a) const;

    SongLink& link_;
    const int rate_;
    const int deviceFrames_;
    const std::int64_t totalFrames_;
    const float rampStep_;

    // Audio thread only.
    float gain_ = 1.0f;
    std::int64_t songFrame_ = 0;
    std::uint64_t appliedGeneration_ = 0;

    // Engine thread -> audio thread.
    std::atomic<bool> pauseRequest_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<int> silentAfterStop_{0};

    // Anchor under a sequence lock: the audio thread writes, the engine reads.
    std::atomic<std::uint32_t> anchorSequence_{0};
    std::atomic<std::int64_t> anchorStart_{0};
    std::atomic<std::int64_t> anchorAdvanced_{0};
    std::atomic<std::int64_t> anchorTime_{0};
    std::atomic<std::uint64_t> anchorGeneration_{0};
    std::atomic<bool> anchorValid_{false};

    // Engine thread only.
    std::uint64_t requestedGeneration_ = 0;
    std::int64_t requestedFrame_ = 0;
    double lastPosition_ = 0.0;
    std::uint64_t lastPositionGeneration_ = 0;

    std::atomic<std::int64_t> mixNs_{0};
    std::atomic<std::int64_t> mixCalls_{0};
    std::atomic<std::int64_t> underrunFrames_{0};
};

}  // namespace fluxcore::audio

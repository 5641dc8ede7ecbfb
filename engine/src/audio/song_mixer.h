// The audio callback's side of song playback: copies frames from the ring to
// the device buffer with short gain ramps for pause, seek and stop, and
// publishes which song frames each stretch of device frames played, so the
// engine thread can tell which song frame is being heard.
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
    // rate: frames per second; deviceFrames: frames per device buffer;
    // startFrame: where the song begins (the decoder's stream stands there).
    SongMixer(SongLink& link, int rate, int deviceFrames, std::int64_t totalFrames, std::int64_t startFrame = 0);

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

    // Song frame heard at nowNs. The device frame being played is the frames
    // the device has taken less one device buffer, advanced by the time since
    // that buffer was taken; the one being heard lies the output latency
    // before it, and the song frame is the one the mixer put there (a pause
    // or a seek is heard when the device plays it). While the frame heard
    // belongs to an earlier seek than the latest, the song reads as standing
    // at the latest seek's target, not yet heard. Never decreases, except by
    // a seek.
    //
    // With smoothing, buffers are taken as if at an even pace: the device
    // frame is reckoned from the mean, over the last `windowNs`, of when each
    // buffer was taken against its first device frame. Through a sound
    // server SDL takes a buffer when the server's requests have used up the
    // previous one, which comes early or late by up to a request and drifts
    // over seconds with the server's rhythm; the mean keeps the pace.
    double positionFrames(std::int64_t nowNs);
    void setOutputLatencyFrames(double frames) { outputLatencyFrames_ = frames; }
    void setSmoothing(std::int64_t windowNs) { smoothingNs_ = windowNs; }

    // Audio thread time spent inside mix(), ns, and the number of calls.
    std::int64_t mixNanoseconds() const { return mixNs_.load(std::memory_order_relaxed); }
    std::int64_t mixCalls() const { return mixCalls_.load(std::memory_order_relaxed); }
    // Frames that had to be played as silence because the ring ran dry.
    std::int64_t underrunFrames() const { return underrunFrames_.load(std::memory_order_relaxed); }

    int rate() const { return rate_; }
    int deviceFrames() const { return deviceFrames_; }
    std::int64_t totalFrames() const { return totalFrames_; }

private:
    // A stretch of device frames and the song frames it played: from
    // deviceFrame on, `advanced` song frames from songFrame, one per device
    // frame; then silence to the stretch's end (a pause, an underrun, a seek's
    // wait). A buffer is one stretch, or two where a seek took effect in it.
    struct Stretch {
        std::int64_t deviceFrame;
        std::int64_t songFrame;
        std::int64_t advanced;
        std::int64_t length;         // device frames
        std::uint64_t generation;    // the seek it belongs to
        std::int64_t timeNs;         // when its buffer was taken
        std::int64_t bufferDevice;   // its buffer's first device frame
    };
    static constexpr int kStretches = 16;  // eight buffers at least

    // Audio thread: the stretches of one buffer, published together.
    void publish(const Stretch* stretches, int count);
    // Engine thread: the stretches published so far, oldest first; false
    // before the first buffer.
    bool readStretches(Stretch* out, int& count) const;
    // The device frame playing at nowNs, along the buffers' times.
    double devicePlaying(const Stretch* stretches, int count, std::int64_t nowNs);

    SongLink& link_;
    const int rate_;
    const int deviceFrames_;
    const std::int64_t totalFrames_;
    const float rampStep_;

    // Audio thread only.
    float gain_ = 1.0f;
    std::int64_t songFrame_;
    std::int64_t deviceFrame_ = 0;
    std::uint64_t appliedGeneration_ = 0;

    // Engine thread -> audio thread.
    std::atomic<bool> pauseRequest_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<int> silentAfterStop_{0};

    // The latest stretches under a sequence lock: the audio thread writes,
    // the engine reads.
    struct SharedStretch {
        std::atomic<std::int64_t> deviceFrame{0}, songFrame{0}, advanced{0}, length{0}, timeNs{0}, bufferDevice{0};
        std::atomic<std::uint64_t> generation{0};
    };
    std::atomic<std::uint32_t> sequence_{0};
    SharedStretch shared_[kStretches];
    std::atomic<std::uint64_t> published_{0};  // stretches published in all

    // Engine thread only.
    std::uint64_t requestedGeneration_ = 0;
    std::int64_t requestedFrame_;
    double lastPosition_ = 0.0;
    std::uint64_t lastPositionGeneration_ = 0;
    double outputLatencyFrames_ = 0.0;
    std::int64_t smoothingNs_ = 0;
    // Recent buffers: when each was taken, and when device frame 0 would
    // have been taken at the device's pace.
    static constexpr int kPace = 256;
    std::int64_t paceTaken_[kPace] = {};
    double paceOrigin_[kPace] = {};
    int paceCount_ = 0;
    int paceNext_ = 0;

    std::atomic<std::int64_t> mixNs_{0};
    std::atomic<std::int64_t> mixCalls_{0};
    std::atomic<std::int64_t> underrunFrames_{0};
};

}  // namespace fluxcore::audio

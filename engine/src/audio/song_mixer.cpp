// The audio callback's side of song playback.
#include "audio/song_mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace fluxcore::audio {

namespace {
// Gain ramps last this long: short enough to feel immediate, long enough that
// a pause, a seek or the final stop makes no click.
constexpr double kRampSeconds = 0.005;
// At most this many stretches in one buffer: a seek taking effect, and a
// resume or the end of an underrun after a silent stretch.
constexpr int kStretchesPerBuffer = 4;
// A buffer taken this far from the pace, three times running in one
// direction, means the device's pace changed (a server's underrun or stall):
// the mean starts again from those buffers.
constexpr double kPaceBreakNs = 30e6;
constexpr int kPaceBreakRun = 3;

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

SongMixer::SongMixer(SongLink& link, int rate, int deviceFrames, std::int64_t totalFrames, std::int64_t startFrame)
    : link_(link),
      rate_(rate),
      deviceFrames_(deviceFrames),
      totalFrames_(totalFrames),
      rampStep_(static_cast<float>(1.0 / (kRampSeconds * rate))),
      songFrame_(startFrame),
      requestedFrame_(startFrame) {}

void SongMixer::mix(float* out, int frames, std::int64_t nowNs) {
    FrameRing& ring = link_.ring;
    bool ended = link_.ended.load(std::memory_order_acquire);
    std::uint64_t writeEnd = ring.writePosition();
    std::uint64_t readPos = ring.readPosition();
    // Loaded after the write position: audio past a mark is seen with its mark.
    bool marked = link_.markGeneration.load(std::memory_order_acquire) > appliedGeneration_;
    const std::uint64_t flushGen = link_.flushGeneration.load(std::memory_order_acquire);
    bool flushPending = flushGen != appliedGeneration_;
    const std::uint64_t flushMark = marked || flushPending ? link_.flushMark.load(std::memory_order_relaxed) : 0;
    const bool stop = stopRequest_.load(std::memory_order_relaxed);
    const bool pause = pauseRequest_.load(std::memory_order_relaxed);

    Stretch stretches[kStretchesPerBuffer];
    int count = 1;
    stretches[0] = Stretch{deviceFrame_, songFrame_, 0, 0, appliedGeneration_, nowNs, deviceFrame_};
    bool stalled = false;  // the current stretch has had a frame that did not move the song on
    auto open = [&](int i) {
        if (count == kStretchesPerBuffer) return;  // cannot happen; the last stretch then runs on
        stretches[count++] = Stretch{deviceFrame_ + i, songFrame_, 0, 0, appliedGeneration_, nowNs, deviceFrame_};
        stalled = false;
    };
    auto advance = [&](int i) {
        if (stalled) open(i);
        ++songFrame_;
        ++stretches[count - 1].advanced;
    };
    std::int64_t underrun = 0;
    bool allSilent = true;

    for (int i = 0; i < frames; ++i) {
        float* o = out + 2 * i;
        if (flushPending && gain_ <= 0.0f) {
            readPos = link_.flushMark.load(std::memory_order_relaxed);
            ring.consumeTo(readPos);
            songFrame_ = link_.flushFrame.load(std::memory_order_relaxed);
            appliedGeneration_ = flushGen;
            link_.appliedGeneration.store(flushGen, std::memory_order_release);
            flushPending = false;
            marked = false;
            // What stood in the ring before the flush described the old place.
            ended = link_.ended.load(std::memory_order_acquire);
            writeEnd = ring.writePosition();
            open(i);
        }
        const float target = (pause || stop || flushPending) ? 0.0f : 1.0f;
        if (gain_ <= 0.0f && target <= 0.0f) {
            o[0] = o[1] = 0.0f;
            stalled = true;
            continue;
        }
        // Past a mark lies the new place, played only once its flush is taken.
        const std::uint64_t limit = flushPending || marked ? flushMark : writeEnd;
        if (readPos < limit) {
            const float* f = ring.frameAt(readPos);
            ++readPos;
            advance(i);
            gain_ = target > gain_ ? std::min(target, gain_ + rampStep_) : std::max(target, gain_ - rampStep_);
            o[0] = f[0] * gain_;
            o[1] = f[1] * gain_;
            if (gain_ > 0.0f) allSilent = false;
        } else if (flushPending) {
            gain_ = 0.0f;  // nothing of the old place left to fade: jump now
            o[0] = o[1] = 0.0f;
            stalled = true;
        } else if (ended && !marked) {
            // Past the end the song goes on as silence, so its clock keeps time.
            advance(i);
            gain_ = target > gain_ ? std::min(target, gain_ + rampStep_) : std::max(target, gain_ - rampStep_);
            o[0] = o[1] = 0.0f;
        } else {
            ++underrun;
            gain_ = 0.0f;  // fade back in when audio arrives
            o[0] = o[1] = 0.0f;
            stalled = true;
        }
    }
    ring.consumeTo(readPos);
    for (int k = 0; k < count; ++k) {
        const std::int64_t end = k + 1 < count ? stretches[k + 1].deviceFrame : deviceFrame_ + frames;
        stretches[k].length = end - stretches[k].deviceFrame;
    }
    deviceFrame_ += frames;
    publish(stretches, count);

    if (stop && allSilent && gain_ <= 0.0f) silentAfterStop_.fetch_add(1, std::memory_order_release);
    if (underrun != 0) underrunFrames_.fetch_add(underrun, std::memory_order_relaxed);
    mixCalls_.fetch_add(1, std::memory_order_relaxed);
    mixNs_.fetch_add(steadyNanoseconds() - nowNs, std::memory_order_relaxed);
}

void SongMixer::publish(const Stretch* stretches, int count) {
    const std::uint32_t seq = sequence_.load(std::memory_order_relaxed);
    sequence_.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    const std::uint64_t first = published_.load(std::memory_order_relaxed);
    for (int k = 0; k < count; ++k) {
        SharedStretch& s = shared_[(first + static_cast<std::uint64_t>(k)) % kStretches];
        s.deviceFrame.store(stretches[k].deviceFrame, std::memory_order_relaxed);
        s.songFrame.store(stretches[k].songFrame, std::memory_order_relaxed);
        s.advanced.store(stretches[k].advanced, std::memory_order_relaxed);
        s.length.store(stretches[k].length, std::memory_order_relaxed);
        s.generation.store(stretches[k].generation, std::memory_order_relaxed);
        s.timeNs.store(stretches[k].timeNs, std::memory_order_relaxed);
        s.bufferDevice.store(stretches[k].bufferDevice, std::memory_order_relaxed);
    }
    published_.store(first + static_cast<std::uint64_t>(count), std::memory_order_relaxed);
    sequence_.store(seq + 2, std::memory_order_release);
}

bool SongMixer::readStretches(Stretch* out, int& count) const {
    for (;;) {
        const std::uint32_t before = sequence_.load(std::memory_order_acquire);
        if (before & 1u) continue;
        const std::uint64_t published = published_.load(std::memory_order_relaxed);
        const std::uint64_t n = std::min<std::uint64_t>(published, kStretches);
        for (std::uint64_t k = 0; k < n; ++k) {
            const SharedStretch& s = shared_[(published - n + k) % kStretches];
            out[k] = Stretch{s.deviceFrame.load(std::memory_order_relaxed), s.songFrame.load(std::memory_order_relaxed),
                             s.advanced.load(std::memory_order_relaxed),    s.length.load(std::memory_order_relaxed),
                             s.generation.load(std::memory_order_relaxed),  s.timeNs.load(std::memory_order_relaxed),
                             s.bufferDevice.load(std::memory_order_relaxed)};
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sequence_.load(std::memory_order_relaxed) == before) {
            count = static_cast<int>(n);
            return n > 0;
        }
    }
}

void SongMixer::requestSeek(std::int64_t frame) {
    requestedFrame_ = std::clamp<std::int64_t>(frame, 0, totalFrames_);
    ++requestedGeneration_;
    link_.seekRequest.store(SongLink::packSeek(requestedGeneration_, requestedFrame_),
                            std::memory_order_release);
}

double SongMixer::devicePlaying(const Stretch* stretches, int count, std::int64_t nowNs) {
    const Stretch& newest = stretches[count - 1];
    const double bufferStart = static_cast<double>(newest.bufferDevice);
    const double bufferEnd = static_cast<double>(newest.deviceFrame + newest.length);
    if (smoothingNs_ <= 0) {
        const double since = static_cast<double>(nowNs - newest.timeNs) * 1e-9 * rate_;
        return std::clamp(bufferStart + since, bufferStart, bufferEnd);
    }
    // Every buffer not seen yet, also those taken since the last call.
    for (int k = 0; k < count; ++k) {
        const Stretch& s = stretches[k];
        const int latest = (paceNext_ + kPace - 1) % kPace;
        if (paceCount_ > 0 && s.timeNs <= paceTaken_[latest]) continue;
        paceTaken_[paceNext_] = s.timeNs;
        paceOrigin_[paceNext_] = static_cast<double>(s.timeNs) - static_cast<double>(s.bufferDevice) * 1e9 / rate_;
        paceNext_ = (paceNext_ + 1) % kPace;
        paceCount_ = std::min(paceCount_ + 1, kPace);
    }
    const double origin = paceOrigin_[(paceNext_ + kPace - 1) % kPace];
    // The buffers of the window, newest first, relative to the newest.
    double offsets[kPace];
    int n = 0;
    for (int i = 0; i < paceCount_; ++i) {
        const int k = (paceNext_ + kPace - 1 - i) % kPace;
        if (i > 0 && nowNs - paceTaken_[k] > smoothingNs_) break;
        offsets[n++] = paceOrigin_[k] - origin;
    }
    // A break in the pace: the newest few all far off the mean of the rest.
    if (n > 2 * kPaceBreakRun) {
        double rest = 0.0;
        for (int i = kPaceBreakRun; i < n; ++i) rest += offsets[i];
        rest /= n - kPaceBreakRun;
        int above = 0, below = 0;
        for (int i = 0; i < kPaceBreakRun; ++i) {
            if (offsets[i] - rest > kPaceBreakNs) ++above;
            if (rest - offsets[i] > kPaceBreakNs) ++below;
        }
        if (above == kPaceBreakRun || below == kPaceBreakRun) {
            n = kPaceBreakRun;
            paceCount_ = kPaceBreakRun;
        }
    }
    // The mean, without the earliest and latest tenth.
    std::sort(offsets, offsets + n);
    const int trim = n / 10;
    double sum = 0.0;
    for (int i = trim; i < n - trim; ++i) sum += offsets[i];
    const double paced = origin + sum / (n - 2 * trim);
    // Not held to the newest buffer: a buffer taken late or early by the
    // server's rhythm does not move the pace. What is heard stays within what
    // was taken (positionFrames).
    return (static_cast<double>(nowNs) - paced) * 1e-9 * rate_;
}

double SongMixer::positionFrames(std::int64_t nowNs) {
    Stretch stretches[kStretches];
    int count = 0;
    // Nothing taken yet: the song stands where it was asked to.
    if (!readStretches(stretches, count)) return static_cast<double>(requestedFrame_);
    const Stretch& newest = stretches[count - 1];
    const double taken = static_cast<double>(newest.deviceFrame + newest.length);
    const double heard = std::min(devicePlaying(stretches, count, nowNs) - outputLatencyFrames_, taken);
    int k = count - 1;
    while (k > 0 && heard < static_cast<double>(stretches[k].deviceFrame)) --k;
    const Stretch& at = stretches[k];
    // The latest seek is not heard yet: the song stands at its target.
    if (at.generation != requestedGeneration_) return static_cast<double>(requestedFrame_);
    double position = static_cast<double>(at.songFrame) +
                      std::clamp(heard - static_cast<double>(at.deviceFrame), 0.0, static_cast<double>(at.advanced));
    if (at.generation == lastPositionGeneration_) position = std::max(position, lastPosition_);
    lastPosition_ = position;
    lastPositionGeneration_ = at.generation;
    return position;
}

}  // namespace fluxcore::audio

// The audio callback's side of song playback.
#include "audio/song_mixer.h"

#include <algorithm>
#include <chrono>

namespace fluxcore::audio {

namespace {
// Gain ramps last this long: short enough to feel immediate, long enough that
// a pause, a seek or the final stop makes no click.
constexpr double kRampSeconds = 0.005;

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

SongMixer::SongMixer(SongLink& link, int rate, int deviceFrames, std::int64_t totalFrames)
    : link_(link),
      rate_(rate),
      deviceFrames_(deviceFrames),
      totalFrames_(totalFrames),
      rampStep_(static_cast<float>(1.0 / (kRampSeconds * rate))) {}

void SongMixer::mix(float* out, int frames, std::int64_t nowNs) {
    FrameRing& ring = link_.ring;
    bool ended = link_.ended.load(std::memory_order_acquire);
    std::uint64_t writeEnd = ring.writePosition();
    std::uint64_t readPos = ring.readPosition();
    const std::uint64_t flushGen = link_.flushGeneration.load(std::memory_order_acquire);
    bool flushPending = flushGen != appliedGeneration_;
    const std::uint64_t flushMark = flushPending ? link_.flushMark.load(std::memory_order_relaxed) : 0;
    const bool stop = stopRequest_.load(std::memory_order_relaxed);
    const bool pause = pauseRequest_.load(std::memory_order_relaxed);

    Anchor anchor{songFrame_, 0, nowNs, appliedGeneration_};
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
            // What stood in the ring before the flush described the old place.
            ended = link_.ended.load(std::memory_order_acquire);
            writeEnd = ring.writePosition();
            anchor = Anchor{songFrame_, 0, nowNs, appliedGeneration_};
        }
        const float target = (pause || stop || flushPending) ? 0.0f : 1.0f;
        if (gain_ <= 0.0f && target <= 0.0f) {
            o[0] = o[1] = 0.0f;
            continue;
        }
        const std::uint64_t limit = flushPending ? flushMark : writeEnd;
        if (readPos < limit) {
            const float* f = ring.frameAt(readPos);
            ++readPos;
            ++songFrame_;
            ++anchor.advanced;
            gain_ = target > gain_ ? std::min(target, gain_ + rampStep_) : std::max(target, gain_ - rampStep_);
            o[0] = f[0] * gain_;
            o[1] = f[1] * gain_;
            if (gain_ > 0.0f) allSilent = false;
        } else if (flushPending) {
            gain_ = 0.0f;  // nothing of the old place left to fade: jump now
            o[0] = o[1] = 0.0f;
        } else if (ended) {
            // Past the end the song goes on as silence, so its clock keeps time.
            ++songFrame_;
            ++anchor.advanced;
            gain_ = target > gain_ ? std::min(target, gain_ + rampStep_) : std::max(target, gain_ - rampStep_);
            o[0] = o[1] = 0.0f;
        } else {
            ++underrun;
            gain_ = 0.0f;  // fade back in when audio arrives
            o[0] = o[1] = 0.0f;
        }
    }
    ring.consumeTo(readPos);
    publish(anchor);

    if (stop && allSilent && gain_ <= 0.0f) silentAfterStop_.fetch_add(1, std::memory_order_release);
    if (underrun != 0) underrunFrames_.fetch_add(underrun, std::memory_order_relaxed);
    mixCalls_.fetch_add(1, std::memory_order_relaxed);
    mixNs_.fetch_add(steadyNanoseconds() - nowNs, std::memory_order_relaxed);
}

void SongMixer::publish(const Anchor& a) {
    const std::uint32_t seq = anchorSequence_.load(std::memory_order_relaxed);
    anchorSequence_.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    anchorStart_.store(a.startFrame, std::memory_order_relaxed);
    anchorAdvanced_.store(a.advanced, std::memory_order_relaxed);
    anchorTime_.store(a.timeNs, std::memory_order_relaxed);
    anchorGeneration_.store(a.generation, std::memory_order_relaxed);
    anchorValid_.store(true, std::memory_order_relaxed);
    anchorSequence_.store(seq + 2, std::memory_order_release);
}

bool SongMixer::readAnchor(Anchor& a) const {
    for (;;) {
        const std::uint32_t before = anchorSequence_.load(std::memory_order_acquire);
        if (before & 1u) continue;
        const bool valid = anchorValid_.load(std::memory_order_relaxed);
        a.startFrame = anchorStart_.load(std::memory_order_relaxed);
        a.advanced = anchorAdvanced_.load(std::memory_order_relaxed);
        a.timeNs = anchorTime_.load(std::memory_order_relaxed);
        a.generation = anchorGeneration_.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (anchorSequence_.load(std::memory_order_relaxed) == before) return valid;
    }
}

void SongMixer::requestSeek(std::int64_t frame) {
    requestedFrame_ = std::clamp<std::int64_t>(frame, 0, totalFrames_);
    ++requestedGeneration_;
    link_.seekRequest.store(SongLink::packSeek(requestedGeneration_, requestedFrame_),
                            std::memory_order_release);
}

double SongMixer::positionFrames(std::int64_t nowNs) {
    Anchor a{};
    const bool valid = readAnchor(a);
    if (a.generation != requestedGeneration_) return static_cast<double>(requestedFrame_);
    if (!valid) return 0.0;  // no buffer taken yet: the song stands at its start
    const double since = static_cast<double>(nowNs - a.timeNs) * 1e-9 * rate_;
    double position = static_cast<double>(a.startFrame) +
                      std::clamp(since, 0.0, static_cast<double>(a.advanced));
    if (a.generation == lastPositionGeneration_) position = std::max(position, lastPosition_);
    lastPosition_ = position;
    lastPositionGeneration_ = a.generation;
    return position;
}

}  // namespace fluxcore::audio

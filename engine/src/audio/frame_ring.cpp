// Lock-free single-producer/single-consumer ring of stereo float frames.
#include "audio/frame_ring.h"

#include <algorithm>

namespace fluxcore::audio {

namespace {
std::size_t roundUpToPowerOfTwo(std::size_t n) {
    std::size_t p = 1;
    while (p < n) p <<= 1;
    return p;
}
}  // namespace

FrameRing::FrameRing(std::size_t minFrames)
    : samples_(roundUpToPowerOfTwo(std::max<std::size_t>(minFrames, 2)) * kChannels, 0.0f),
      mask_(roundUpToPowerOfTwo(std::max<std::size_t>(minFrames, 2)) - 1) {}

std::size_t FrameRing::writable() const {
    const std::uint64_t w = write_.load(std::memory_order_relaxed);
    const std::uint64_t r = read_.load(std::memory_order_acquire);
    return capacity() - static_cast<std::size_t>(w - r);
}

void FrameRing::write(const float* interleaved, std::size_t count) {
    std::uint64_t w = write_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < count; ++i, ++w) {
        float* dst = &samples_[(w & mask_) * kChannels];
        dst[0] = interleaved[i * kChannels];
        dst[1] = interleaved[i * kChannels + 1];
    }
    write_.store(w, std::memory_order_release);
}

}  // namespace fluxcore::audio

// Lock-free single-producer/single-consumer ring of interleaved stereo float
// frames between the song decoder thread and the audio callback.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fluxcore::audio {

class FrameRing {
public:
    static constexpr int kChannels = 2;

    // Capacity is rounded up to a power of two frames. Allocates here only.
    explicit FrameRing(std::size_t minFrames);

    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    std::size_t capacity() const { return mask_ + 1; }

    // Producer side. Positions are running frame counts that never wrap.
    std::uint64_t writePosition() const { return write_.load(std::memory_order_acquire); }
    std::size_t writable() const;
    // Copies `count` frames (count <= writable()) and publishes them.
    void write(const float* interleaved, std::size_t count);

    // Consumer side.
    std::uint64_t readPosition() const { return read_.load(std::memory_order_relaxed); }
    // The frame at running position `position`, which must lie in
    // [readPosition(), writePosition()).
    const float* frameAt(std::uint64_t position) const {
        return &samples_[(position & mask_) * kChannels];
    }
    // Releases every frame before `position` to the producer.
    void consumeTo(std::uint64_t position) { read_.store(position, std::memory_order_release); }

private:
    std::vector<float> samples_;
    std::size_t mask_;
    alignas(64) std::atomic<std::uint64_t> write_{0};
    alignas(64) std::atomic<std::uint64_t> read_{0};
};

}  // namespace fluxcore::audio

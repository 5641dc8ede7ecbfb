// The song decoder thread.
#include "audio/song_decoder.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace fluxcore::audio {

namespace {
constexpr long kChunkFrames = 1024;
constexpr auto kIdleSleep = std::chrono::milliseconds(4);

std::int64_t threadCpuNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
}  // namespace

SongDecoder::SongDecoder(std::unique_ptr<VorbisStream> stream, SongLink& link)
    : stream_(std::move(stream)), link_(link), scratch_(kChunkFrames * 2) {
    thread_ = std::thread([this] { run(); });
}

SongDecoder::~SongDecoder() {
    link_.quit.store(true, std::memory_order_relaxed);
    if (thread_.joinable()) thread_.join();
}

bool SongDecoder::wantsMore() const {
    const FrameRing& ring = link_.ring;
    if (ring.writable() < static_cast<std::size_t>(kChunkFrames)) return false;
    // Ahead of what the callback plays next; after a flush it has not taken
    // yet, only what stands past the flush counts. At most half the ring is
    // kept ahead, so a seek's new place always has room beside the old audio
    // the callback still holds, and is there when the callback jumps to it.
    std::uint64_t next = ring.readPosition();
    if (link_.appliedGeneration.load(std::memory_order_acquire) != handledGeneration_) {
        next = std::max(next, link_.flushMark.load(std::memory_order_relaxed));
    }
    return ring.writePosition() - next < ring.capacity() / 2;
}

void SongDecoder::run() {
    while (!link_.quit.load(std::memory_order_relaxed)) {
        serviceSeek();
        const bool ended = link_.ended.load(std::memory_order_relaxed);
        if (!ended && wantsMore()) {
            decodeSome();
        } else {
            cpuNs_.store(threadCpuNanoseconds(), std::memory_order_relaxed);
            std::this_thread::sleep_for(kIdleSleep);
        }
    }
    cpuNs_.store(threadCpuNanoseconds(), std::memory_order_relaxed);
}

void SongDecoder::decodeSome() {
    // Fill as much as is wanted in one go, so the thread sleeps in long stretches.
    while (wantsMore()) {
        const long n = stream_->read(scratch_.data(), kChunkFrames);
        if (n <= 0) {
            if (n < 0) damaged_.store(true, std::memory_order_relaxed);
            link_.ended.store(true, std::memory_order_release);
            return;
        }
        link_.ring.write(scratch_.data(), static_cast<std::size_t>(n));
        if (link_.seekRequest.load(std::memory_order_relaxed) >> SongLink::kFrameBits !=
            handledGeneration_) {
            return;  // a seek is waiting; stop filling with audio it will discard
        }
    }
}

void SongDecoder::serviceSeek() {
    const std::uint64_t request = link_.seekRequest.load(std::memory_order_acquire);
    const std::uint64_t generation = request >> SongLink::kFrameBits;
    if (generation == handledGeneration_) return;
    // One flush at a time: the callback must have taken the previous one.
    if (link_.appliedGeneration.load(std::memory_order_acquire) != handledGeneration_) return;

    const auto frame = static_cast<std::int64_t>(request & SongLink::kFrameMask);
    handledGeneration_ = generation;
    link_.ended.store(false, std::memory_order_relaxed);
    bool ended = !stream_->seek(frame);
    if (ended) damaged_.store(true, std::memory_order_relaxed);
    link_.flushMark.store(link_.ring.writePosition(), std::memory_order_relaxed);
    link_.flushFrame.store(frame, std::memory_order_relaxed);
    link_.markGeneration.store(generation, std::memory_order_release);
    // The new place's first audio goes in before the flush is published, so
    // the callback finds it there when it jumps (half the ring is free for it).
    if (!ended && link_.ring.writable() >= static_cast<std::size_t>(kChunkFrames)) {
        const long n = stream_->read(scratch_.data(), kChunkFrames);
        if (n > 0) {
            link_.ring.write(scratch_.data(), static_cast<std::size_t>(n));
        } else {
            if (n < 0) damaged_.store(true, std::memory_order_relaxed);
            ended = true;
        }
    }
    link_.flushGeneration.store(generation, std::memory_order_release);
    if (ended) link_.ended.store(true, std::memory_order_release);
}

}  // namespace fluxcore::audio

// The frame ring between decoder and callback and the decoder thread's side
// of a seek.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/frame_ring.h"
#include "audio/song_decoder.h"
#include "audio/song_link.h"
#include "audio/vorbis_stream.h"
#include "test_song.h"

namespace fluxcore::audio {
namespace {

TEST(FrameRing, WrapsAroundAndAccountsForSpace) {
    FrameRing ring(5);  // rounded up to 8
    ASSERT_EQ(ring.capacity(), 8u);
    std::vector<float> frames;
    for (int i = 0; i < 12; ++i) {
        frames.push_back(static_cast<float>(i));
        frames.push_back(static_cast<float>(-i));
    }
    ring.write(frames.data(), 6);
    EXPECT_EQ(ring.writable(), 2u);
    ring.consumeTo(5);
    EXPECT_EQ(ring.writable(), 7u);
    ring.write(frames.data() + 12, 6);  // frames 6..11 wrap past the end
    EXPECT_EQ(ring.writePosition(), 12u);
    for (std::uint64_t p = 5; p < 12; ++p) {
        EXPECT_EQ(ring.frameAt(p)[0], static_cast<float>(p));
        EXPECT_EQ(ring.frameAt(p)[1], -static_cast<float>(p));
    }
}

TEST(FrameRing, HandsEveryFrameOverInOrderBetweenTwoThreads) {
    FrameRing ring(64);
    constexpr std::uint64_t kFrames = 200000;
    std::thread producer([&] {
        float chunk[2 * 7];
        std::uint64_t next = 0;
        while (next < kFrames) {
            std::size_t n = 0;
            while (n < 7 && next + n < kFrames) {
                chunk[2 * n] = static_cast<float>(next + n);
                chunk[2 * n + 1] = 1.0f;
                ++n;
            }
            while (ring.writable() < n) std::this_thread::yield();
            ring.write(chunk, n);
            next += n;
        }
    });
    std::uint64_t read = 0;
    bool inOrder = true;
    while (read < kFrames) {
        const std::uint64_t end = ring.writePosition();
        for (; read < end; ++read) inOrder &= ring.frameAt(read)[0] == static_cast<float>(read);
        ring.consumeTo(read);
    }
    producer.join();
    EXPECT_TRUE(inOrder);
}

// When the callback sees a seek's flush, the new place's first audio is
// already past the mark: the callback never waits on the decoder after a
// jump. Half the ring stays free for it however far the decoder has run.
TEST(SongDecoder, ASeeksNewPlaceIsInTheRingWhenItsFlushIsPublished) {
    std::string why;
    auto stream = VorbisStream::open(test::toneSong(6.0), why);
    ASSERT_TRUE(stream) << why;
    SongLink link(1 << 15);
    SongDecoder decoder(std::move(stream), link);
    auto waitFor = [](auto condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    // Filled as far as it goes: half the ring, give or take a chunk.
    ASSERT_TRUE(waitFor([&] { return link.ring.writePosition() >= link.ring.capacity() / 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LT(link.ring.writePosition(), link.ring.capacity() / 2 + 1024);

    for (std::uint64_t generation = 1; generation <= 3; ++generation) {
        const std::int64_t target = 44100 * static_cast<std::int64_t>(generation);
        link.seekRequest.store(SongLink::packSeek(generation, target));
        ASSERT_TRUE(waitFor([&] { return link.flushGeneration.load(std::memory_order_acquire) == generation; }));
        const std::uint64_t mark = link.flushMark.load();
        EXPECT_EQ(link.markGeneration.load(), generation);
        EXPECT_EQ(link.flushFrame.load(), target);
        EXPECT_GE(link.ring.writePosition(), mark + 1024) << "nothing of the new place when its flush came";
        // The callback takes the flush: skips to the mark.
        link.ring.consumeTo(mark);
        link.appliedGeneration.store(generation, std::memory_order_release);
    }
}

}  // namespace
}  // namespace fluxcore::audio

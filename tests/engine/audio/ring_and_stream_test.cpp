// The frame ring between decoder and callback, and the in-memory Vorbis stream.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/frame_ring.h"
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

TEST(VorbisStream, DecodesAndSeeksToTheExactFrame) {
    std::string why;
    auto whole = VorbisStream::open(test::toneSong(2.0), why);
    ASSERT_TRUE(whole) << why;
    EXPECT_EQ(whole->rate(), 44100);
    EXPECT_EQ(whole->channels(), 2);
    EXPECT_EQ(whole->totalFrames(), 88200);
    std::vector<float> all;
    std::vector<float> chunk(2 * 1000);
    for (long n; (n = whole->read(chunk.data(), 1000)) > 0;) all.insert(all.end(), chunk.begin(), chunk.begin() + 2 * n);
    ASSERT_EQ(all.size(), 2u * 88200);

    auto seeking = VorbisStream::open(test::toneSong(2.0), why);
    ASSERT_TRUE(seeking->seek(50000));
    const long n = seeking->read(chunk.data(), 200);
    ASSERT_GT(n, 0);
    for (long i = 0; i < n; ++i) {
        EXPECT_NEAR(chunk[2 * i], all[2 * (50000 + i)], 1e-3) << i;
        EXPECT_NEAR(chunk[2 * i + 1], all[2 * (50000 + i) + 1], 1e-3) << i;
    }
    EXPECT_TRUE(seeking->seek(10'000'000));  // clamped to the end
    EXPECT_EQ(seeking->read(chunk.data(), 200), 0);
}

TEST(VorbisStream, RefusesWhatIsNotASongWithAReason) {
    std::string why;
    EXPECT_FALSE(VorbisStream::open({}, why));
    EXPECT_NE(why.find("empty"), std::string::npos);
    EXPECT_FALSE(VorbisStream::open(std::vector<unsigned char>(5000, 0x55), why));
    EXPECT_NE(why.find("Ogg Vorbis"), std::string::npos) << why;
    std::vector<unsigned char> headless = test::toneSong(1.0);
    headless.erase(headless.begin(), headless.begin() + 200);  // the headers gone
    EXPECT_FALSE(VorbisStream::open(headless, why));
}

}  // namespace
}  // namespace fluxcore::audio

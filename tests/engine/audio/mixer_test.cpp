// The audio callback's side on a simulated device: what it plays, and where
// it says the song stands, through pause, seek, stop, underrun and the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/song_link.h"
#include "audio/song_mixer.h"

namespace fluxcore::audio {
namespace {

constexpr int kRate = 44100;
constexpr int kBuffer = 512;
constexpr std::int64_t kNsPerBuffer = 1'000'000'000LL * kBuffer / kRate;

// Frame f of the song plays as (f, -f) scaled down, so every output sample
// tells which song frame it came from.
float valueOf(std::int64_t frame) { return static_cast<float>(frame) * 1e-5f; }

class MixerTest : public ::testing::Test {
protected:
    void feed(std::int64_t firstFrame, int count) {
        std::vector<float> f;
        for (int i = 0; i < count; ++i) {
            f.push_back(valueOf(firstFrame + i));
            f.push_back(-valueOf(firstFrame + i));
        }
        link.ring.write(f.data(), static_cast<std::size_t>(count));
    }
    // One device buffer at simulated time now, which then moves on a buffer.
    void callback() {
        out.assign(2 * kBuffer, 99.0f);
        mixer.mix(out.data(), kBuffer, now);
        lastCallback = now;
        now += kNsPerBuffer;
    }
    // The decoder's half of a seek: the mark, the new place's first audio,
    // then the flush published.
    void decoderMarks(std::uint64_t generation, std::int64_t toFrame, int feedFrames) {
        link.flushMark.store(link.ring.writePosition());
        link.flushFrame.store(toFrame);
        link.markGeneration.store(generation);
        feed(toFrame, feedFrames);
    }
    void decoderSeeks(std::uint64_t generation, std::int64_t toFrame, int feedFrames) {
        decoderMarks(generation, toFrame, feedFrames);
        link.flushGeneration.store(generation);
    }
    double positionAt(std::int64_t ns) { return mixer.positionFrames(ns); }

    SongLink link{1 << 15};
    SongMixer mixer{link, kRate, kBuffer, 200000};
    std::vector<float> out;
    std::int64_t now = 1'000'000'000;
    std::int64_t lastCallback = 0;
};

TEST_F(MixerTest, PlaysTheRingAndCountsThePositionFromSamplesConsumed) {
    feed(0, 4 * kBuffer);
    EXPECT_EQ(positionAt(now), 0.0);  // started, nothing taken yet
    callback();
    callback();
    for (int i = 0; i < kBuffer; ++i) {
        ASSERT_FLOAT_EQ(out[2 * i], valueOf(kBuffer + i));
        ASSERT_FLOAT_EQ(out[2 * i + 1], -valueOf(kBuffer + i));
    }
    // Two buffers taken, one of them still in the device: the heard position
    // starts at the second buffer and moves with the clock across it.
    EXPECT_DOUBLE_EQ(positionAt(lastCallback), kBuffer);
    EXPECT_NEAR(positionAt(lastCallback + kNsPerBuffer / 2), 1.5 * kBuffer, 1.0);
    EXPECT_DOUBLE_EQ(positionAt(lastCallback + 10 * kNsPerBuffer), 2 * kBuffer);  // no further than taken
    // It never goes back, even if asked at an earlier moment.
    EXPECT_DOUBLE_EQ(positionAt(lastCallback), 2 * kBuffer);
}

TEST_F(MixerTest, PauseFadesOutFreezesAndResumesWhereItStopped) {
    feed(0, 8 * kBuffer);
    callback();
    mixer.setPaused(true);
    callback();
    EXPECT_LT(std::fabs(out[2 * 230]), 1e-9);                            // silent after the 5 ms ramp
    EXPECT_GT(std::fabs(out[2 * 100]), 0.3 * valueOf(kBuffer + 100));   // still fading mid-ramp
    for (int i = 1; i < 230; ++i) ASSERT_LE(out[2 * i] / valueOf(kBuffer + i), out[2 * (i - 1)] / valueOf(kBuffer + i - 1) + 1e-4f);
    const double frozen = positionAt(lastCallback + kNsPerBuffer);
    EXPECT_NEAR(frozen, kBuffer + 221, 1.0);
    callback();
    for (float v : out) ASSERT_EQ(v, 0.0f);
    EXPECT_DOUBLE_EQ(positionAt(now + 5 * kNsPerBuffer), frozen);

    mixer.setPaused(false);
    callback();
    // The first frame after the pause is the one after the last that faded.
    const auto resumeFrame = static_cast<std::int64_t>(std::llround(frozen));
    EXPECT_NEAR(out[2 * 300], valueOf(resumeFrame + 300), 1e-6);
    EXPECT_LT(out[0], valueOf(resumeFrame));  // fades back in
}

TEST_F(MixerTest, SeekReadsAtOnceFadesTheOldPlaceAndPlaysTheNewOne) {
    feed(0, 4 * kBuffer);
    callback();
    mixer.requestSeek(100000);
    EXPECT_DOUBLE_EQ(positionAt(now), 100000.0);  // before the decoder has moved
    EXPECT_EQ(link.seekRequest.load() >> SongLink::kFrameBits, 1u);
    EXPECT_EQ(static_cast<std::int64_t>(link.seekRequest.load() & SongLink::kFrameMask), 100000);
    callback();  // decoder not there yet: the old place plays on
    EXPECT_DOUBLE_EQ(positionAt(now), 100000.0);

    decoderSeeks(1, 100000, 4 * kBuffer);
    callback();
    EXPECT_EQ(link.appliedGeneration.load(), 1u);
    // 5 ms of the old place fading out, then the new place from its first frame.
    EXPECT_NEAR(out[2 * 100] / valueOf(2 * kBuffer + 100), 1.0 - 101.0 / 220.5, 0.01);
    const int jump = 221;
    EXPECT_FLOAT_EQ(out[2 * (jump + 250)], valueOf(100000 + 250));
    EXPECT_NEAR(positionAt(lastCallback), 100000.0, 0.5);
    EXPECT_NEAR(positionAt(lastCallback + kNsPerBuffer), 100000.0 + kBuffer - jump, 1.0);

    mixer.requestSeek(-50);  // clamped to the start
    EXPECT_DOUBLE_EQ(positionAt(now), 0.0);
    mixer.requestSeek(999999);  // and to the end
    EXPECT_DOUBLE_EQ(positionAt(now), 200000.0);
}

TEST_F(MixerTest, NothingPastASeeksMarkPlaysBeforeItsFlush) {
    feed(0, kBuffer + 100);
    callback();
    mixer.requestSeek(100000);
    decoderMarks(1, 100000, 4 * kBuffer);  // the new place is in, its flush not yet published
    callback();
    // The old place's last 100 frames, then silence: not the new place as if it went on.
    EXPECT_FLOAT_EQ(out[2 * 50], valueOf(kBuffer + 50));
    for (int i = 100; i < kBuffer; ++i) ASSERT_EQ(out[2 * i], 0.0f) << i;
    link.flushGeneration.store(1);
    callback();
    // Published: the new place from its first frame, fading in after the silence.
    EXPECT_NEAR(out[2 * 10] / valueOf(100000 + 10), 11.0 / 220.5, 0.01);
    EXPECT_FLOAT_EQ(out[2 * 300], valueOf(100000 + 300));
    EXPECT_NEAR(positionAt(lastCallback + kNsPerBuffer), 100000.0 + kBuffer, 1.0);
}

TEST_F(MixerTest, UnderrunPlaysSilenceWithoutMovingAndTheEndKeepsTime) {
    feed(0, 100);
    callback();
    EXPECT_EQ(mixer.underrunFrames(), kBuffer - 100);
    EXPECT_DOUBLE_EQ(positionAt(now + kNsPerBuffer), 100.0);
    for (int i = 100; i < kBuffer; ++i) ASSERT_EQ(out[2 * i], 0.0f);

    link.ended.store(true);  // everything decoded: past the end, silence keeps time
    callback();
    EXPECT_EQ(mixer.underrunFrames(), kBuffer - 100);
    for (float v : out) ASSERT_EQ(v, 0.0f);
    EXPECT_DOUBLE_EQ(positionAt(now + kNsPerBuffer), 100.0 + kBuffer);
}

TEST_F(MixerTest, StopFadesToSilenceAndCountsTheSilentBuffers) {
    feed(0, 8 * kBuffer);
    callback();
    mixer.requestStop();
    callback();
    EXPECT_NE(out[2 * 10], 0.0f);
    EXPECT_EQ(out[2 * 300], 0.0f);
    EXPECT_EQ(mixer.silentBuffersAfterStop(), 0);  // this buffer still held the ramp
    callback();
    callback();
    EXPECT_EQ(mixer.silentBuffersAfterStop(), 2);
    EXPECT_EQ(mixer.mixCalls(), 4);
}


// Through a sound server the device takes buffers well before they are heard:
// the position is the song frame the mixer put at the device frame being
// heard, so a pause or a seek is heard when the device gets to it.
class LatencyTest : public MixerTest {
protected:
    static constexpr double kLatency = 3.5 * kBuffer;  // frames between taking and hearing
    void SetUp() override { mixer.setOutputLatencyFrames(kLatency); }
    // The position half a buffer after the latest callback.
    double midBuffer() { return positionAt(lastCallback + kNsPerBuffer / 2); }
};

TEST_F(LatencyTest, NothingIsHeardBeforeTheLatencyHasPassed) {
    feed(0, 16 * kBuffer);
    callback();
    callback();
    callback();
    EXPECT_DOUBLE_EQ(midBuffer(), 0.0);  // 2.5 buffers played, 3.5 to go
    callback();
    EXPECT_NEAR(midBuffer(), 0.0, 1e-9);  // 3.5 buffers: the first frame is being heard
    callback();
    EXPECT_NEAR(midBuffer(), kBuffer, 1.0);
}

TEST_F(LatencyTest, ASongStartedMidwayIsHeardFromThere) {
    SongLink startLink{1 << 15};
    SongMixer started{startLink, kRate, kBuffer, 200000, 50000};
    started.setOutputLatencyFrames(kLatency);
    EXPECT_DOUBLE_EQ(started.positionFrames(now), 50000.0);  // nothing taken yet
    std::vector<float> frames(2 * 8 * kBuffer, 0.25f);
    startLink.ring.write(frames.data(), 8 * kBuffer);
    std::vector<float> buffer(2 * kBuffer);
    for (int i = 0; i < 6; ++i) started.mix(buffer.data(), kBuffer, now + i * kNsPerBuffer);
    EXPECT_NEAR(started.positionFrames(now + 6 * kNsPerBuffer), 50000.0 + 6 * kBuffer - kLatency, 1.0);
}

TEST_F(LatencyTest, APauseIsHeardWhenTheDevicePlaysIt) {
    feed(0, 16 * kBuffer);
    for (int i = 0; i < 6; ++i) callback();
    mixer.setPaused(true);
    callback();  // buffer 6: the ramp, then silence
    callback();
    // Still hearing the buffers taken before the pause, and moving.
    const double before = midBuffer();
    EXPECT_NEAR(before, 7.5 * kBuffer - kLatency, 1.0);
    callback();
    callback();
    callback();
    // The pause has been heard: the song stands at the last frame that faded.
    const double stopped = midBuffer();
    EXPECT_NEAR(stopped, 6 * kBuffer + 221, 1.0);
    callback();
    EXPECT_DOUBLE_EQ(midBuffer(), stopped);
    mixer.setPaused(false);
    callback();
    EXPECT_DOUBLE_EQ(midBuffer(), stopped);  // the resume is not heard yet
    for (int i = 0; i < 4; ++i) callback();
    EXPECT_NEAR(midBuffer(), stopped + 4.5 * kBuffer - kLatency, 1.0);
}

TEST_F(LatencyTest, ASeekStandsAtItsTargetUntilItIsHeard) {
    feed(0, 8 * kBuffer);
    for (int i = 0; i < 6; ++i) callback();
    mixer.requestSeek(100000);
    EXPECT_DOUBLE_EQ(midBuffer(), 100000.0);
    decoderSeeks(1, 100000, 8 * kBuffer);
    callback();  // buffer 6: the old place fades out (221 frames) and the new one begins
    EXPECT_DOUBLE_EQ(midBuffer(), 100000.0);
    callback();
    callback();
    callback();
    // Buffer 6's fade is being heard: the old place, so not yet the target.
    EXPECT_DOUBLE_EQ(midBuffer(), 100000.0);
    callback();
    // Heard from the new place on: the device frame heard (10.5 buffers less
    // the latency) is past where the new place began.
    EXPECT_NEAR(midBuffer(), 100000.0 + 10.5 * kBuffer - kLatency - (6 * kBuffer + 221), 1.0);
}

// Buffers taken at an uneven rhythm, as a sound server's requests have them:
// with smoothing the position keeps the even pace of the device. The engine
// asks for the position every frame, here four times a buffer.
double worstOffThePace(bool smoothing) {
    SongLink link{1 << 15};
    SongMixer mixer{link, kRate, kBuffer, 200000};
    if (smoothing) mixer.setSmoothing(10'000'000'000LL);
    std::vector<float> frames(2 * 30 * kBuffer, 0.25f);
    link.ring.write(frames.data(), 30 * kBuffer);
    std::vector<float> out(2 * kBuffer);
    std::int64_t t = 1'000'000'000;
    const std::int64_t jitter = kNsPerBuffer / 8;
    double worst = 0.0;
    for (int i = 0; i < 24; ++i) {
        // Early and late in turn, and a slow sway on top, around the pace.
        mixer.mix(out.data(), kBuffer, t + (i % 2 == 0 ? -jitter : jitter) + (i % 6 - 3) * jitter / 4);
        for (int q = 1; q < 4; ++q) {
            const double position = mixer.positionFrames(t + q * kNsPerBuffer / 4);
            // The even pace: buffer i begins playing at t.
            if (i >= 12) worst = std::max(worst, std::fabs(position - (i * kBuffer + q * kBuffer / 4.0)));
        }
        t += kNsPerBuffer;
    }
    return worst;
}

TEST(MixerPace, SmoothingKeepsTheDevicePaceThroughAnUnevenRhythm) {
    const double jitterFrames = kBuffer / 8.0;
    // Buffer by buffer the position is off by up to the jitter and the sway.
    EXPECT_GT(worstOffThePace(false), jitterFrames);
    // Smoothed, by what the sway leaves in the window's mean.
    EXPECT_LT(worstOffThePace(true), 0.35 * jitterFrames);
}

TEST_F(MixerTest, SmoothingFollowsABreakInTheDevicePace) {
    mixer.setSmoothing(10'000'000'000LL);
    feed(0, 30 * kBuffer);
    std::int64_t t = now;
    for (int i = 0; i < 20; ++i) {
        if (i == 10) t += 4 * kNsPerBuffer;  // the device stalls: everything after comes later
        out.assign(2 * kBuffer, 0.0f);
        mixer.mix(out.data(), kBuffer, t);
        positionAt(t + kNsPerBuffer / 2);
        t += kNsPerBuffer;
    }
    // Three buffers after the stall the pace starts again from them.
    const std::int64_t lastTaken = t - kNsPerBuffer;
    EXPECT_NEAR(positionAt(lastTaken + kNsPerBuffer / 2), 19.5 * kBuffer, 1.0);
}

}  // namespace
}  // namespace fluxcore::audio

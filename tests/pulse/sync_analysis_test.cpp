// The analysis behind the sound server tests, on made-up recordings whose
// answers are known: finding the song in a recording, placing recorded
// frames in time from the server's answers, and the offsets' summary.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include "sync_analysis.h"

namespace gmsync {
namespace {

// Deterministic noise in [-0.5, 0.5): music-like in that every stretch differs.
std::vector<float> noise(std::size_t n, std::uint32_t seed) {
    std::vector<float> v(n);
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) - 0.5f;
    }
    return v;
}

TEST(SyncAnalysis, CorrelationIsOneForTheSameShapeAndZeroForSilence) {
    const std::vector<float> a = noise(1000, 1);
    std::vector<float> louder, negated, silent(1000, 0.0f);
    for (float x : a) {
        louder.push_back(3.0f * x);
        negated.push_back(-x);
    }
    EXPECT_NEAR(correlation(a.data(), louder.data(), a.size()), 1.0, 1e-9);
    EXPECT_NEAR(correlation(a.data(), negated.data(), a.size()), -1.0, 1e-9);
    EXPECT_EQ(correlation(a.data(), silent.data(), a.size()), 0.0);
    EXPECT_LT(std::fabs(correlation(a.data(), noise(1000, 2).data(), a.size())), 0.15);
}

TEST(SyncAnalysis, LocateFindsAStretchWhereverItIsInTheRange) {
    const std::vector<float> hay = noise(5 * kRate, 7);
    // Quieter and with a little noise of its own, as a recording would be.
    std::vector<float> needle(hay.begin() + 123457, hay.begin() + 123457 + kRate / 2);
    const std::vector<float> hiss = noise(needle.size(), 9);
    for (std::size_t i = 0; i < needle.size(); ++i) needle[i] = 0.3f * needle[i] + 0.01f * hiss[i];
    const Match m = locate(hay, 100000, 150000, needle.data(), needle.size());
    EXPECT_EQ(m.position, 123457);
    EXPECT_GT(m.correlation, 0.99);
    // Outside the range it is not there.
    EXPECT_LT(locate(hay, 0, 100000, needle.data(), needle.size()).correlation, 0.2);
    // A range reaching past the end is cut to what fits.
    EXPECT_EQ(locate(hay, 123000, 10 * kRate, needle.data(), needle.size()).position, 123457);
}

TEST(SyncAnalysis, TheSongHeardAtAFrameIsTheOneTheWindowBeforeItMatches) {
    const std::vector<float> song = noise(4 * kRate, 11);
    // The recording: 0.3 s of silence, then the song from 1 s into it.
    std::vector<float> recording(3 * kRate / 10, 0.0f);
    recording.insert(recording.end(), song.begin() + kRate, song.end());
    const long frame = 2 * kRate;  // 1.7 s of song heard by then, from 1 s on
    const Match m = songHeardAt(recording, frame, kRate / 2, song, 0, 3 * kRate);
    EXPECT_EQ(m.position, frame - 3 * kRate / 10 + kRate);
    EXPECT_GT(m.correlation, 0.999);
}

// The server's answers for a sink whose frames are heard at
// origin + frame / rate, the rate `ppm` off the nominal one; each answer is
// bracketed by a request and a reply, usually quickly.
std::vector<TimingSample> answers(double originMs, double ppm, double seconds) {
    std::vector<TimingSample> samples;
    const double framesPerMs = kFramesPerMs * (1.0 + ppm * 1e-6);
    for (int i = 0; i < static_cast<int>(seconds * 20); ++i) {
        const double at = originMs + 1000.0 + i * 50.0;  // when the server answered
        // Every seventh answer waits in a busy client: its reply comes late.
        const double before = i % 7 == 3 ? 30.0 : 0.05;
        const double after = i % 7 == 3 ? 2.0 : 0.07;
        samples.push_back(TimingSample{at - before, at + after, (at - originMs) * framesPerMs});
    }
    return samples;
}

TEST(SyncAnalysis, TheHeardClockComesFromTheQuickAnswersAndCarriesTheSinksPace) {
    const HeardClock clock = fitHeardClock(answers(5000.0, 40.0, 30.0));
    ASSERT_TRUE(clock.valid);
    EXPECT_NEAR(clock.atMs(0.0), 5000.0, 0.05);
    EXPECT_NEAR(clock.ratePpm(), 40.0, 1.0);
    EXPECT_NEAR(clock.atMs(20 * kFramesPerMs * 1000.0 * (1.0 + 40e-6)), 25000.0, 0.05);
    EXPECT_LT(clock.roundTripMs, 1.0);  // the late answers were not used
    EXPECT_LT(clock.spreadMs, 0.1);
    EXPECT_FALSE(fitHeardClock(answers(5000.0, 0.0, 1.0)).valid);  // two answers are no fit
    // No sink is half a percent off: such answers give the nominal pace.
    const HeardClock coarse = fitHeardClock(answers(5000.0, 5000.0, 30.0));
    EXPECT_TRUE(coarse.valid);
    EXPECT_DOUBLE_EQ(coarse.framesPerMs, kFramesPerMs);
    EXPECT_GT(coarse.spreadMs, 50.0);
}

TEST(SyncAnalysis, TimingAndClockLinesAreReadFromTheirFiles) {
    std::istringstream timing("1000000000 1000100000 441.5 5000 0\nnot a line\n2000000000 2000200000 44541.5 4000 0\n");
    const std::vector<TimingSample> t = readTiming(timing);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_DOUBLE_EQ(t[1].requestMs, 2000.0);
    EXPECT_DOUBLE_EQ(t[1].replyMs, 2000.2);
    EXPECT_DOUBLE_EQ(t[1].heardFrame, 44541.5);

    std::istringstream log(
        "fluxcore: sound on\n"
        "fluxcore: clock: demo 1001.953 ms at monotonic 21507148.125 ms\n"
        "fluxcore: clock: demo 4467.480 ms at monotonic 22939504.526 ms, output latency 92.9 ms allowed for\n");
    const std::vector<ClockLine> c = readClockLines(log);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_DOUBLE_EQ(c[0].demoMs, 1001.953);
    EXPECT_DOUBLE_EQ(c[0].monotonicMs, 21507148.125);
    EXPECT_LT(c[0].latencyMs, 0.0);
    EXPECT_DOUBLE_EQ(c[1].latencyMs, 92.9);
}

TEST(SyncAnalysis, TheSummaryGivesMedianWorstAndDrift) {
    std::vector<Offset> offsets;
    // Half a millisecond more every second for 40 s, one moment far off.
    for (int i = 0; i <= 40; ++i) {
        offsets.push_back(Offset{2000.0 + 1000.0 * i, 21e6 + 1000.0 * i, -10.0 + 0.5 * i, 1.0});
    }
    offsets[20].offsetMs = -25.0;  // in the middle: no weight in the slope
    const OffsetSummary s = summarise(offsets);
    EXPECT_EQ(s.count, 41u);
    EXPECT_NEAR(s.medianMs, 0.0, 0.51);
    EXPECT_DOUBLE_EQ(s.worstMs, -25.0);
    EXPECT_NEAR(s.driftMs, 20.0, 1.0);
}

}  // namespace
}  // namespace gmsync

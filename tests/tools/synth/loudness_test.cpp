// The BS.1770 loudness meter against signals whose loudness is known.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/loudness.h"

namespace gmsynth {
namespace {

constexpr double kRate = 44100.0;

std::vector<float> sine(double hz, double amplitude, double seconds, bool left, bool right) {
    std::vector<float> s;
    const auto n = static_cast<std::size_t>(seconds * kRate);
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = static_cast<float>(amplitude * std::sin(2.0 * 3.141592653589793 * hz * i / kRate));
        s.push_back(left ? v : 0.0f);
        s.push_back(right ? v : 0.0f);
    }
    return s;
}

TEST(Loudness, SineReadingsMatchTheReferenceLevels) {
    // A 997 Hz sine at 0 dBFS in one channel reads -3.01 LUFS; K-weighting is
    // +0.69 dB there, which the -0.691 offset cancels. Both channels add 3.01 dB.
    EXPECT_NEAR(integratedLoudness(sine(997.0, 0.1, 5.0, true, true), kRate), -20.0, 0.05);
    EXPECT_NEAR(integratedLoudness(sine(997.0, 0.1, 5.0, true, false), kRate), -23.01, 0.05);
    EXPECT_NEAR(integratedLoudness(sine(997.0, 1.0, 5.0, false, true), kRate), -3.01, 0.05);
    // The weighting: the shelf lifts 8 kHz by about 4 dB (less the 0.69 dB it
    // gives 997 Hz), the high-pass cuts 20 Hz.
    EXPECT_NEAR(integratedLoudness(sine(8000.0, 0.1, 5.0, true, true), kRate), -20.0 + 4.0 - 0.69, 0.2);
    EXPECT_LT(integratedLoudness(sine(20.0, 0.1, 5.0, true, true), kRate), -20.0 - 10.0);
}

TEST(Loudness, GatesIgnoreSilenceAndQuietPassages) {
    std::vector<float> tone = sine(997.0, 0.1, 4.0, true, true);
    std::vector<float> withSilence = tone;
    withSilence.resize(withSilence.size() + static_cast<std::size_t>(8.0 * kRate) * 2, 0.0f);
    // Silence falls under the absolute gate; the three 400 ms blocks that
    // straddle the tone's end hold 3/4, 1/2 and 1/4 of it and still count:
    // 38.5 blocks' worth of energy over 40 blocks.
    EXPECT_NEAR(integratedLoudness(withSilence, kRate), -20.0 + 10.0 * std::log10(38.5 / 40.0), 0.02);

    // A passage 30 dB down falls under the relative gate (10 LU below).
    std::vector<float> withQuiet = tone;
    const std::vector<float> soft = sine(997.0, 0.1 * std::pow(10.0, -30.0 / 20.0), 4.0, true, true);
    withQuiet.insert(withQuiet.end(), soft.begin(), soft.end());
    EXPECT_NEAR(integratedLoudness(withQuiet, kRate), -20.0 + 10.0 * std::log10(38.5 / 40.0), 0.05);

    EXPECT_TRUE(std::isinf(integratedLoudness(std::vector<float>(88200, 0.0f), kRate)));
    EXPECT_TRUE(std::isinf(integratedLoudness(sine(997.0, 0.5, 0.2, true, true), kRate)));  // under one block
}

TEST(Loudness, PeakAndDecibels) {
    EXPECT_NEAR(toDecibels(samplePeak(sine(997.0, 0.5, 1.0, true, true))), -6.02, 0.01);
    EXPECT_TRUE(std::isinf(toDecibels(samplePeak(std::vector<float>(10, 0.0f)))));
}

}  // namespace
}  // namespace gmsynth

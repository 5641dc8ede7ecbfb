// The synthesiser's building blocks measured on signals: oscillator pitch and
// band-limiting, envelope breakpoints, filter slopes, delay timing, limiter
// ceiling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dsp/delay.h"
#include "dsp/envelope.h"
#include "dsp/filter.h"
#include "dsp/limiter.h"
#include "dsp/oscillator.h"
#include "signal_helpers.h"

namespace gmsynth {
namespace {

using test::generate;
using test::rms;
using test::toneAmplitude;
using test::zeroCrossingHz;

constexpr double kRate = 44100.0;

TEST(Oscillator, EveryWaveRunsAtItsFrequency) {
    for (Wave wave : {Wave::Sine, Wave::Saw, Wave::Square, Wave::Triangle}) {
        for (double hz : {55.0, 440.0, 1234.5}) {
            Oscillator osc(wave, kRate, 0.25);
            osc.setFrequency(hz);
            const auto x = generate(44100, [&] { return osc.next(); });
            EXPECT_NEAR(zeroCrossingHz(x, kRate), hz, hz * 0.002) << static_cast<int>(wave);
            EXPECT_LE(*std::max_element(x.begin(), x.end()), 1.2);
            EXPECT_GE(*std::min_element(x.begin(), x.end()), -1.2);
        }
    }
}

TEST(Oscillator, HarmonicsFollowTheWaveform) {
    Oscillator saw(Wave::Saw, kRate), square(Wave::Square, kRate);
    saw.setFrequency(441.0);
    square.setFrequency(441.0);
    const auto s = generate(44100, [&] { return saw.next(); });
    const auto q = generate(44100, [&] { return square.next(); });
    // Saw: every harmonic at 1/n; square: odd harmonics at 1/n, even ones absent.
    const double sawFundamental = toneAmplitude(s, 441.0, kRate);
    EXPECT_NEAR(sawFundamental, 2.0 / 3.141592653589793, 0.02);
    EXPECT_NEAR(toneAmplitude(s, 882.0, kRate) / sawFundamental, 0.5, 0.02);
    EXPECT_NEAR(toneAmplitude(q, 1323.0, kRate) / toneAmplitude(q, 441.0, kRate), 1.0 / 3.0, 0.02);
    EXPECT_LT(toneAmplitude(q, 882.0, kRate), 0.005);
}

TEST(Oscillator, BandLimitedSawKeepsAliasesDown) {
    // At 3 kHz the 8th harmonic (24 kHz) folds to 20.1 kHz, the 9th (27 kHz)
    // to 17.1 kHz. A naive saw leaves them at 1/8 and 1/9 of the fundamental.
    Oscillator saw(Wave::Saw, kRate);
    saw.setFrequency(3000.0);
    const auto x = generate(44100, [&] { return saw.next(); });
    const double fundamental = toneAmplitude(x, 3000.0, kRate);
    EXPECT_LT(toneAmplitude(x, 44100.0 - 27000.0, kRate) / fundamental, 0.04);
    EXPECT_LT(toneAmplitude(x, 44100.0 - 24000.0, kRate) / fundamental, 0.06);
}

TEST(Oscillator, NoiseIsDeterministicBoundedAndCentred) {
    Noise a(7), b(7), c(8);
    double sum = 0.0;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        const double x = a.next();
        ASSERT_EQ(x, b.next());
        differs |= x != c.next();
        ASSERT_GE(x, -1.0);
        ASSERT_LT(x, 1.0);
        sum += x;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
    EXPECT_NEAR(noteHz(69), 440.0, 1e-9);
    EXPECT_NEAR(noteHz(57), 220.0, 1e-9);
}

TEST(Envelope, ReachesEachBreakpointExactly) {
    const Adsr env({0.1, 0.2, 0.6, 0.5, 3.0}, kRate);
    EXPECT_DOUBLE_EQ(env.levelAt(0.0, 1.0), 0.0);
    EXPECT_NEAR(env.levelAt(0.05, 1.0), 0.5, 1e-12);   // linear attack
    EXPECT_NEAR(env.levelAt(0.1, 1.0), 1.0, 1e-12);
    EXPECT_LT(env.levelAt(0.2, 1.0), 0.5 * (1.0 + 0.6));  // curved decay falls fast first
    EXPECT_NEAR(env.levelAt(0.3, 1.0), 0.6, 1e-12);
    EXPECT_NEAR(env.levelAt(0.9, 1.0), 0.6, 1e-12);    // sustain
    EXPECT_NEAR(env.levelAt(1.5, 1.0), 0.0, 1e-12);    // release over
    EXPECT_DOUBLE_EQ(env.endTime(1.0), 1.5);
    // Released during the attack: the release starts from where the level was.
    EXPECT_NEAR(env.levelAt(0.05, 0.05), 0.5, 1e-12);
    EXPECT_LT(env.levelAt(0.1, 0.05), 0.5);
    EXPECT_NEAR(env.levelAt(0.55, 0.05), 0.0, 1e-12);
}

TEST(Envelope, StreamingMatchesTheClosedForm) {
    const AdsrShape shape{0.01, 0.05, 0.4, 0.1, 2.0};
    const Adsr closed(shape, kRate);
    Adsr streamed(shape, kRate);
    for (int i = 0; i < 8820; ++i) {
        if (i == 4410) streamed.release();
        ASSERT_NEAR(streamed.next(), closed.levelAt(i / kRate, 0.1), 1e-9) << i;
    }
}

double filteredGain(FilterMode mode, double cutoff, double toneHz) {
    StateVariableFilter f(mode, kRate);
    f.set(cutoff, 0.707);
    Oscillator osc(Wave::Sine, kRate);
    osc.setFrequency(toneHz);
    const auto y = generate(22050, [&] { return f.process(osc.next()); });
    return rms(y, 4410) * std::sqrt(2.0);
}

TEST(Filter, SlopesAndCornersOfTheStateVariableFilter) {
    EXPECT_NEAR(filteredGain(FilterMode::LowPass, 1000.0, 100.0), 1.0, 0.01);
    EXPECT_NEAR(filteredGain(FilterMode::LowPass, 1000.0, 1000.0), std::sqrt(0.5), 0.02);  // -3 dB
    EXPECT_LT(filteredGain(FilterMode::LowPass, 1000.0, 10000.0), 0.015);                  // 12 dB/octave
    EXPECT_NEAR(filteredGain(FilterMode::HighPass, 1000.0, 10000.0), 1.0, 0.02);
    EXPECT_LT(filteredGain(FilterMode::HighPass, 1000.0, 100.0), 0.015);
    EXPECT_GT(filteredGain(FilterMode::BandPass, 2000.0, 2000.0), 5.0 * filteredGain(FilterMode::BandPass, 2000.0, 200.0));
}

TEST(Filter, StaysStableWhileItsCutoffSweeps) {
    StateVariableFilter f(FilterMode::LowPass, kRate);
    Noise noise(3);
    double peak = 0.0;
    for (int i = 0; i < 88200; ++i) {
        if (i % 32 == 0) f.set(20.0 * std::pow(1000.0, (i % 8820) / 8820.0), 4.0);
        peak = std::max(peak, std::fabs(f.process(noise.next())));
    }
    EXPECT_LT(peak, 20.0);
    EXPECT_TRUE(std::isfinite(peak));
}

TEST(Delay, EchoesCrossSidesAtTheDelayTime) {
    PingPongDelay delay(kRate, 0.1, 0.5, 0.0);
    std::vector<double> left, right;
    for (int i = 0; i < 13230; ++i) {
        double l = 0.0, r = 0.0;
        delay.process(i == 0 ? 1.0 : 0.0, i == 0 ? 1.0 : 0.0, l, r);
        left.push_back(l);
        right.push_back(r);
    }
    EXPECT_NEAR(left[4410], 1.0, 1e-12);    // first echo, left
    EXPECT_NEAR(right[8820], 0.5, 1e-12);   // second, right, one feedback down
    EXPECT_NEAR(left[13230 - 1], 0.0, 1e-12);
    EXPECT_NEAR(right[4410], 0.0, 1e-12);
}

TEST(Limiter, HoldsTheCeilingWithSmoothGainAndLeavesQuietAudioAlone) {
    std::vector<float> loud, quiet;
    Oscillator osc(Wave::Saw, kRate);
    osc.setFrequency(110.0);
    for (int i = 0; i < 44100; ++i) {
        const double x = osc.next() * (i > 20000 && i < 22000 ? 3.0 : 0.5);  // a burst 10 dB over
        loud.push_back(static_cast<float>(x));
        loud.push_back(static_cast<float>(-x));
        quiet.push_back(static_cast<float>(x * 0.2));
        quiet.push_back(static_cast<float>(x * 0.2));
    }
    const std::vector<float> loudBefore = loud, quietBefore = quiet;
    const LimiterSettings settings{0.8, 0.004, 0.1};
    limitPeaks(loud, kRate, settings);
    limitPeaks(quiet, kRate, settings);

    EXPECT_EQ(quiet, quietBefore);
    double peak = 0.0, lowestGain = 1.0, biggestGainStep = 0.0, previousGain = 1.0;
    std::size_t previousFrame = 0;
    for (std::size_t i = 0; i < loud.size(); i += 2) {
        peak = std::max(peak, static_cast<double>(std::fabs(loud[i])));
        if (std::fabs(loudBefore[i]) < 0.05) continue;  // too small to read the gain from
        const double gain = loud[i] / loudBefore[i];
        const double frames = static_cast<double>(i / 2 - previousFrame);
        lowestGain = std::min(lowestGain, gain);
        biggestGainStep = std::max(biggestGainStep, std::fabs(gain - previousGain) / frames);
        previousGain = gain;
        previousFrame = i / 2;
    }
    EXPECT_LE(peak, 0.8);
    EXPECT_GT(peak, 0.75);
    EXPECT_NEAR(lowestGain, 0.8 / 3.0, 0.01);
    // The gain glides over the 4 ms look-ahead (176 frames) rather than jumping.
    EXPECT_LT(biggestGainStep, 1.5 * (1.0 - 0.8 / 3.0) / 176.0);
    // Far from the burst nothing changes.
    EXPECT_EQ(loud[2 * 5000], loudBefore[2 * 5000]);
    EXPECT_EQ(loud[2 * 40000], loudBefore[2 * 40000]);
}

TEST(Limiter, SoftSaturationBendsButNeverPassesFullScale) {
    EXPECT_DOUBLE_EQ(softSaturate(0.5, 0.9), 0.5);
    EXPECT_DOUBLE_EQ(softSaturate(-0.9, 0.9), -0.9);
    EXPECT_LT(softSaturate(1.0, 0.9), 1.0);
    double previous = 0.9;
    for (double x = 0.91; x < 1000.0; x *= 1.1) {
        const double y = softSaturate(x, 0.9);
        EXPECT_GE(y, previous);
        EXPECT_LE(y, 1.0);
        EXPECT_DOUBLE_EQ(softSaturate(-x, 0.9), -y);
        previous = y;
    }
}

}  // namespace
}  // namespace gmsynth

// Effect timing: ramp, the shared generator, normalised time and the fade
// envelope at its corners.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "effects/effect_timing.h"

using glassmeridian::fadeEnvelope;
using glassmeridian::normalisedTime;
using glassmeridian::ramp;
using glassmeridian::randomUnit;
using glassmeridian::seedRandom;

namespace {

// One generator step is worth this much: the float 0.0001 widened to double.
const double kUnit = static_cast<double>(0.0001f);

class TimedEffect : public QUASAR_FLUXCORE::Base {
public:
    TimedEffect(unsigned int start, unsigned int end, float now) {
        startTime = start;
        endTime = end;
        time = now;
    }
    void draw() override {}
};

}  // namespace

TEST(Ramp, ClampsOutsideTheIntervalAndIsLinearInside) {
    EXPECT_DOUBLE_EQ(ramp(0.5f, 0.2f, 1.0f), (0.5 - double(0.2f)) / (1.0 - double(0.2f)));
    EXPECT_NEAR(ramp(0.5f, 0.2f, 1.0f), 0.375, 1e-7);
    EXPECT_EQ(ramp(0.2f, 0.2f, 1.0f), 0.0);
    EXPECT_EQ(ramp(-3.0f, 0.2f, 1.0f), 0.0);
    EXPECT_EQ(ramp(1.0f, 0.2f, 1.0f), 1.0);
    EXPECT_EQ(ramp(5.0f, 0.2f, 1.0f), 1.0);
    EXPECT_EQ(ramp(std::nanf(""), 0.2f, 1.0f), 0.0);
    // Computed in double: no rounding to float on the way out.
    EXPECT_DOUBLE_EQ(ramp(1.0f / 3.0f, 0.0f, 1.0f), double(1.0f / 3.0f));
}

TEST(Random, StartsAtOneInAFreshProgram) {
    // Runs in a freshly started copy of this test program, so no earlier test
    // has advanced the shared state.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool fresh = randomUnit() == 41 * kUnit && randomUnit() == 8467 * kUnit &&
                               randomUnit() == 6334 * kUnit;
            std::exit(fresh ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Random, SeedOneGivesTheKnownSequence) {
    seedRandom(1);
    const double first = randomUnit();
    const double second = randomUnit();
    const double third = randomUnit();
    EXPECT_NEAR(first, 0.0041, 1e-6);
    EXPECT_NEAR(second, 0.8467, 1e-6);
    EXPECT_NEAR(third, 0.6334, 1e-6);
    // Steps of the float 0.0001, not rounded to float afterwards.
    EXPECT_EQ(first, 41 * kUnit);
    EXPECT_EQ(second, 8467 * kUnit);
    EXPECT_EQ(third, 6334 * kUnit);
}

TEST(Random, ReseedingRepeatsAndValuesStayInRange) {
    seedRandom(1049069);
    std::vector<double> run;
    for (int i = 0; i < 50000; ++i) {
        run.push_back(randomUnit());
    }
    seedRandom(1049069);
    for (int i = 0; i < 50000; ++i) {
        ASSERT_EQ(randomUnit(), run[static_cast<std::size_t>(i)]) << "draw " << i;
    }
    double lowest = 1.0;
    double highest = 0.0;
    for (double v : run) {
        lowest = std::fmin(lowest, v);
        highest = std::fmax(highest, v);
        const double steps = v / kUnit;
        ASSERT_EQ(steps, std::floor(steps)) << v << " is not a whole number of steps";
    }
    EXPECT_GE(lowest, 0.0);
    EXPECT_LE(highest, 9999 * kUnit);
    EXPECT_GT(highest, 0.99);  // the whole range is reached
}

TEST(NormalisedTime, FractionOfTheEffectsInterval) {
    EXPECT_FLOAT_EQ(normalisedTime(TimedEffect(2000, 49000, 10000.0f)), static_cast<float>(8000.0 / 47000.0));
    EXPECT_EQ(normalisedTime(TimedEffect(2000, 49000, 2000.0f)), 0.0f);
    EXPECT_EQ(normalisedTime(TimedEffect(2000, 49000, 49000.0f)), 1.0f);
    EXPECT_FLOAT_EQ(normalisedTime(TimedEffect(0, 2000, 1999.9f)), static_cast<float>(1999.9f / 2000.0));
    // Before the start the time is negative, not a wrapped unsigned difference.
    EXPECT_FLOAT_EQ(normalisedTime(TimedEffect(2000, 49000, 1000.0f)), static_cast<float>(-1000.0 / 47000.0));
    // The interval length is a signed difference.
    EXPECT_FLOAT_EQ(normalisedTime(TimedEffect(5000, 3000, 4000.0f)), 0.5f);
    // Start times beyond the signed range are taken as unsigned.
    const float late = 4000000500.0f;
    EXPECT_FLOAT_EQ(normalisedTime(TimedEffect(4000000000u, 4000001000u, late)),
                    static_cast<float>((static_cast<double>(late) - 4000000000.0) / 1000.0));
}

TEST(FadeEnvelope, RisesOverTheFirstTenthAndFallsOverTheLast) {
    EXPECT_EQ(fadeEnvelope(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(fadeEnvelope(0.05f), 0.5f);
    EXPECT_NEAR(fadeEnvelope(std::nextafter(0.1f, 0.0f)), 1.0f, 1e-6f);
    EXPECT_EQ(fadeEnvelope(0.1f), 1.0f);
    EXPECT_EQ(fadeEnvelope(0.5f), 1.0f);
    EXPECT_EQ(fadeEnvelope(0.9f), 1.0f);
    EXPECT_LT(fadeEnvelope(std::nextafter(0.9f, 1.0f)), 1.0f);
    EXPECT_NEAR(fadeEnvelope(0.95f), 0.5f, 1e-6f);
    // The fall uses the float just under 10, so t = 1 ends a hair below zero.
    EXPECT_FLOAT_EQ(fadeEnvelope(1.0f), -4.768367e-08f);
    EXPECT_LT(fadeEnvelope(1.0f), 0.0f);
    EXPECT_EQ(fadeEnvelope(-0.2f), 1.0f);
    EXPECT_EQ(fadeEnvelope(std::nextafter(0.0f, -1.0f)), 1.0f);
    EXPECT_EQ(fadeEnvelope(1.3f), 1.0f);
    EXPECT_EQ(fadeEnvelope(std::nextafter(1.0f, 2.0f)), 1.0f);
    EXPECT_EQ(fadeEnvelope(std::nanf("")), 1.0f);
}

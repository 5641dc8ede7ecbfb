// The canvases: supersampled stroke coverage, blur, hashing and compositing.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "raster.h"

using namespace gmcontent;

namespace {

double total(const Plane& p) { return std::accumulate(p.values().begin(), p.values().end(), 0.0); }

}  // namespace

TEST(StrokeMask, CoverageMatchesTheCapsuleArea) {
    StrokeMask mask(64, 32, 8);
    const double r = 3.0, length = 40.0;
    mask.stroke(Segment{{10.3, 15.7}, {10.3 + length, 15.7}}, r);
    const Plane p = mask.resolve();
    const double pi = 3.14159265358979323846;
    EXPECT_NEAR(total(p), 2 * r * length + pi * r * r, 1.0);
    EXPECT_FLOAT_EQ(p.at(30, 15), 1.0f);
    EXPECT_FLOAT_EQ(p.at(30, 25), 0.0f);
    // The edge row is partly covered: antialiased.
    EXPECT_GT(p.at(30, 12), 0.0f);
    EXPECT_LT(p.at(30, 12), 1.0f);
}

TEST(StrokeMask, OverlapsCountOnceAndStrokesClipAtTheBorder) {
    StrokeMask mask(32, 32, 4);
    const Segment s{{16, 16}, {16, 16}};
    mask.stroke(s, 5.0);
    const double once = total(mask.resolve());
    mask.stroke(s, 5.0);
    mask.stroke(Segment{{-50, -50}, {100, 100}}, 1.0);  // crosses the whole canvas
    mask.stroke(Segment{{-50, 40}, {100, 40}}, 2.0);    // entirely outside
    const Plane p = mask.resolve();
    for (float v : p.values()) ASSERT_LE(v, 1.0f);
    EXPECT_GT(total(p), once);
    EXPECT_LT(total(p), once + 32 * std::sqrt(2.0) * 2.0 + 2.0);
}

TEST(Blur, KeepsMassAndSpreadsSymmetrically) {
    Plane p(101, 101);
    p.at(50, 50) = 100.0f;
    blur(p, 6.0);
    EXPECT_NEAR(total(p), 100.0, 1e-3);
    EXPECT_LT(p.at(50, 50), 5.0f);
    EXPECT_NEAR(p.at(40, 50), p.at(60, 50), 1e-5);
    EXPECT_NEAR(p.at(50, 40), p.at(40, 50), 1e-5);
    EXPECT_GT(p.at(50, 50), p.at(44, 50));
    // Spread comparable to the requested sigma: about 68 % within one sigma.
    double inside = 0.0;
    for (int x = 44; x <= 56; ++x) inside += p.at(x, 50);
    double row = 0.0;
    for (int x = 0; x < 101; ++x) row += p.at(x, 50);
    EXPECT_NEAR(inside / row, 0.70, 0.08);
}

TEST(Hash, DeterministicUniformRange) {
    double sum = 0.0;
    for (uint32_t i = 0; i < 10000; ++i) {
        const double v = hashUnit(i, i * 3, 42);
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
        sum += v;
    }
    EXPECT_NEAR(sum / 10000, 0.5, 0.02);
    EXPECT_EQ(hashUnit(5, 9, 1), hashUnit(5, 9, 1));
    EXPECT_NE(hashUnit(5, 9, 1), hashUnit(5, 9, 2));
    EXPECT_NE(hashUnit(5, 9, 1), hashUnit(9, 5, 1));
}

TEST(RgbImage, PaintOverGlowAndByteConversion) {
    RgbImage img(2, 1);
    Plane cover(2, 1);
    cover.at(0, 0) = 1.0f;
    cover.at(1, 0) = 0.5f;
    img.paintOver(cover, 1.0f, 0.5f, 0.0f);
    img.addGlow(cover, 0.0f, 0.0f, 3.0f);
    const std::vector<uint8_t> bytes = img.toBytes();
    EXPECT_EQ(bytes, (std::vector<uint8_t>{255, 128, 255, 128, 64, 255}));
}

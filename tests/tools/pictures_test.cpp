// The JPEG pictures: sizes, the sprite's black border and bright centre, the
// title card's composition, and repeatable bytes.
#include <gtest/gtest.h>

#include <cmath>

#include "content.h"
#include "decode_helpers.h"
#include "image_codecs.h"

using namespace gmcontent;
using contenttest::decodeRgb;
using contenttest::pixelAt;

namespace {

int luma(const uint8_t* p) { return (p[0] * 3 + p[1] * 6 + p[2]) / 10; }

}  // namespace

TEST(Particle, SoftRoundGlowOnExactBlack) {
    const std::vector<uint8_t> jpeg = particleJpeg();
    EXPECT_EQ(jpeg, particleJpeg());
    const contenttest::Surface s = decodeRgb(jpeg, "JPG");
    ASSERT_TRUE(s) << SDL_GetError();
    ASSERT_EQ(s->w, kParticleSize);
    ASSERT_EQ(s->h, kParticleSize);
    // Every border pixel black, so additive sprites show no square edge.
    int worst = 0;
    for (int i = 0; i < kParticleSize; ++i) {
        for (const auto& [x, y] : {std::pair{i, 0}, {i, kParticleSize - 1}, {0, i}, {kParticleSize - 1, i}}) {
            const uint8_t* p = pixelAt(s.get(), x, y);
            worst = std::max({worst, int(p[0]), int(p[1]), int(p[2])});
        }
    }
    EXPECT_EQ(worst, 0);
    const int c = kParticleSize / 2;
    EXPECT_GE(luma(pixelAt(s.get(), c, c)), 240);
    // Falls off smoothly and the same way in every direction.
    int previous = 256;
    for (int r = 0; r < c; r += 4) {
        const int v = luma(pixelAt(s.get(), c + r, c));
        EXPECT_LE(v, previous + 2) << "radius " << r;
        EXPECT_NEAR(v, luma(pixelAt(s.get(), c, c - 1 - r)), 6) << "radius " << r;
        EXPECT_NEAR(v, luma(pixelAt(s.get(), c - 1 - r, c)), 6) << "radius " << r;
        previous = v;
    }
    EXPECT_GT(luma(pixelAt(s.get(), c + 24, c)), 30);  // a glow, not a dot
    // Grey: the drawing colour tints it.
    const uint8_t* mid = pixelAt(s.get(), c + 10, c + 10);
    EXPECT_NEAR(mid[0], mid[2], 3);
}

TEST(TitleCard, FourToThreeDarkBlueWithBrightTitleAndRepeatableBytes) {
    const std::vector<uint8_t> jpeg = titleCardJpeg();
    EXPECT_EQ(jpeg, titleCardJpeg());
    const contenttest::Surface s = decodeRgb(jpeg, "JPG");
    ASSERT_TRUE(s) << SDL_GetError();
    ASSERT_EQ(s->w, 1280);
    ASSERT_EQ(s->h, 960);
    // Dark blue ground: blue dominates and the corners stay dark.
    for (const auto& [x, y] : {std::pair{4, 4}, {1275, 4}, {640, 60}}) {
        const uint8_t* p = pixelAt(s.get(), x, y);
        EXPECT_LT(luma(p), 40) << x << "," << y;
        EXPECT_GE(p[2] + 2, p[0]) << x << "," << y;
    }
    // The title band holds near-white letters; the band above it does not.
    int bright = 0, brightAbove = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 1280; x += 2) {
            const bool white = luma(pixelAt(s.get(), x, y)) > 200;
            (y >= 240 ? bright : brightAbove) += white;
        }
    }
    EXPECT_GT(bright, 2000);
    EXPECT_EQ(brightAbove, 0);
    // The globe lights the lower half more than the sky above the title.
    long upper = 0, lower = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 1280; x += 4) upper += pixelAt(s.get(), x, y)[2];
    }
    for (int y = 700; y < 900; ++y) {
        for (int x = 0; x < 1280; x += 4) lower += pixelAt(s.get(), x, y)[2];
    }
    EXPECT_GT(lower, upper * 2);
}

TEST(ImageCodecs, RejectSizeMismatch) {
    const std::vector<uint8_t> rgb(10 * 10 * 3);
    EXPECT_THROW(encodeJpeg(rgb, 10, 11, 90), std::invalid_argument);
    EXPECT_THROW(encodePng(rgb, 0, 10), std::invalid_argument);
    EXPECT_NO_THROW(encodePng(rgb, 10, 10));
}

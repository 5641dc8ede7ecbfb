// The dialog's compiled pictures and the colour reduction behind the banner.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "content.h"
#include "dialog_resources.h"
#include "palette.h"

using namespace gmcontent;

TEST(DialogResources, BannerIsA256x64PalettePictureFaithfulToTheArt) {
    const glassmeridian::IndexedPicture& b = glassmeridian::kBanner;
    ASSERT_EQ(b.width, 256);
    ASSERT_EQ(b.height, 64);
    ASSERT_NE(b.palette, nullptr);
    ASSERT_NE(b.pixels, nullptr);
    std::set<int> used(b.pixels, b.pixels + 256 * 64);
    EXPECT_GT(used.size(), 100u);  // gradients and glow need many colours
    std::set<std::array<uint8_t, 3>> colours;
    for (int i : used) colours.insert({b.palette[i * 3], b.palette[i * 3 + 1], b.palette[i * 3 + 2]});
    EXPECT_EQ(colours.size(), used.size()) << "two used entries share a colour";

    // Compiled banner = reduced rendering; the reduction stays close.
    const std::vector<uint8_t> art = renderBanner().toBytes();
    double error = 0.0;
    for (int i = 0; i < 256 * 64; ++i) {
        for (int c = 0; c < 3; ++c) error += std::abs(int(b.palette[b.pixels[i] * 3 + c]) - int(art[i * 3 + c]));
    }
    EXPECT_LT(error / (256 * 64 * 3), 2.0);
}

TEST(DialogResources, IconsAreRoundOnTransparentGround) {
    for (const glassmeridian::RgbaPicture* icon : {&glassmeridian::kIconSmall, &glassmeridian::kIconBig}) {
        const int n = icon->width;
        ASSERT_EQ(icon->height, n);
        auto alpha = [icon, n](int x, int y) { return icon->pixels[(y * n + x) * 4 + 3]; };
        for (const auto& [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) EXPECT_EQ(alpha(x, y), 0);
        EXPECT_EQ(alpha(n / 2, n / 2), 255);
        EXPECT_GT(alpha(0, n / 2), 0);  // the disc reaches the edge midpoints...
        EXPECT_LT(alpha(0, n / 2), 255);  // ...antialiased
        const uint8_t* centre = &icon->pixels[(n / 2 * n + n / 2) * 4];
        EXPECT_GE(centre[2], centre[0]);  // blue glass
    }
    EXPECT_EQ(glassmeridian::kIconSmall.width, 16);
    EXPECT_EQ(glassmeridian::kIconBig.width, 32);
}

TEST(Quantise, FewColoursAreKeptExactly) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 40 * 10; ++i) {
        const int k = (i * 7) % 200;  // 200 distinct colours
        rgb.insert(rgb.end(), {uint8_t(k), uint8_t(255 - k), uint8_t(k / 2)});
    }
    const IndexedImage q = quantise(rgb, 40, 10);
    for (int i = 0; i < 400; ++i) {
        for (int c = 0; c < 3; ++c) ASSERT_EQ(q.palette[q.pixels[i] * 3 + c], rgb[i * 3 + c]) << i;
    }
}

TEST(Quantise, ManyColoursStayCloseAndRepeatable) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) rgb.insert(rgb.end(), {uint8_t(x * 4), uint8_t(y * 4), uint8_t((x + y) * 2)});
    }
    const IndexedImage q = quantise(rgb, 64, 64);
    double error = 0.0;
    for (int i = 0; i < 64 * 64; ++i) {
        for (int c = 0; c < 3; ++c) error += std::abs(int(q.palette[q.pixels[i] * 3 + c]) - int(rgb[i * 3 + c]));
    }
    EXPECT_LT(error / (64 * 64 * 3), 6.0);
    const IndexedImage again = quantise(rgb, 64, 64);
    EXPECT_EQ(again.pixels, q.pixels);
    EXPECT_EQ(again.palette, q.palette);
    EXPECT_THROW(quantise(rgb, 64, 65), std::invalid_argument);
}

TEST(DialogSource, DefinesTheThreePicturesFromTheArt) {
    const DialogArt art = renderDialogArt();
    const std::string src = dialogResourcesSource(art);
    EXPECT_NE(src.find("const IndexedPicture kBanner = {256, 64, kBannerPalette, kBannerPixels};"), std::string::npos);
    EXPECT_NE(src.find("const RgbaPicture kIconSmall = {16, 16, kIconSmallPixels};"), std::string::npos);
    EXPECT_NE(src.find("const RgbaPicture kIconBig = {32, 32, kIconBigPixels};"), std::string::npos);
    EXPECT_NE(src.find("kBannerPixels[16384]"), std::string::npos);
    EXPECT_EQ(src, dialogResourcesSource(renderDialogArt()));
    // What was compiled in is this very art.
    EXPECT_TRUE(std::equal(art.banner.pixels.begin(), art.banner.pixels.end(), glassmeridian::kBanner.pixels));
    EXPECT_TRUE(std::equal(art.iconBig.pixels.begin(), art.iconBig.pixels.end(), glassmeridian::kIconBig.pixels));
}

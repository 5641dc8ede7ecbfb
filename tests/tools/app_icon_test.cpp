// The desktop icon: its reduction filter, its sizes and its likeness to the
// dialog's icon, and the files `gm-content icons` writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "content.h"
#include "decode_helpers.h"
#include "temp_folder.h"

using namespace gmcontent;

namespace {

RgbaImage filled(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    RgbaImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), {r, g, b, a});
    return image;
}

const uint8_t* at(const RgbaImage& image, int x, int y) {
    return &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
}

// Mean difference per channel of the colours as seen over black (colour
// times alpha), so transparent pixels compare equal whatever their colour.
double meanDifference(const RgbaImage& a, const RgbaImage& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.pixels.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(a.pixels[i + c] * a.pixels[i + 3] - b.pixels[i + c] * b.pixels[i + 3]) / 255.0;
        }
    }
    return sum / (a.pixels.size() / 4 * 3);
}

RgbaImage mirrored(const RgbaImage& image) {
    RgbaImage out = image;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            std::copy_n(at(image, image.width - 1 - x, y), 4, &out.pixels[(static_cast<size_t>(y) * image.width + x) * 4]);
        }
    }
    return out;
}

}  // namespace

TEST(ReduceImage, KeepsFlatColourAndLetsNoColourBleedFromTransparentPixels) {
    // Left half opaque blue, right half fully transparent red.
    RgbaImage source = filled(64, 64, 0, 0, 255, 255);
    for (int y = 0; y < 64; ++y) {
        for (int x = 32; x < 64; ++x) {
            uint8_t* p = &source.pixels[(static_cast<size_t>(y) * 64 + x) * 4];
            p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 0;
        }
    }
    const RgbaImage small = reduceImage(source, 8, 8);
    ASSERT_EQ(small.width, 8);
    ASSERT_EQ(small.height, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint8_t* p = at(small, x, y);
            EXPECT_EQ(p[0], 0) << x << "," << y;  // no red from the transparent half
            if (p[3] > 0) {
                EXPECT_EQ(p[2], 255) << x << "," << y;
            }
        }
        EXPECT_EQ(at(small, 0, y)[3], 255);
        EXPECT_EQ(at(small, 7, y)[3], 0);
        // Falls across the edge; Lanczos rings there, by a level or two only.
        EXPECT_GE(at(small, 2, y)[3], 253);
        EXPECT_LE(at(small, 5, y)[3], 2);
        EXPECT_GT(at(small, 3, y)[3], at(small, 4, y)[3]);
        for (int x = 1; x < 8; ++x) EXPECT_LE(at(small, x, y)[3], at(small, x - 1, y)[3] + 2);
    }
    const RgbaImage grey = reduceImage(filled(100, 60, 90, 140, 200, 255), 7, 5);
    for (size_t i = 0; i < grey.pixels.size(); i += 4) {
        EXPECT_EQ((std::vector<uint8_t>(grey.pixels.begin() + i, grey.pixels.begin() + i + 4)),
                  (std::vector<uint8_t>{90, 140, 200, 255}));
    }
}

TEST(ReduceImage, AveragesInLinearLight) {
    // One-pixel black and white checks: half the light, which sRGB writes as
    // 188, not the 128 of averaging the stored values.
    RgbaImage checks = filled(64, 64, 0, 0, 0, 255);
    for (int y = 0; y < 64; ++y) {
        for (int x = (y & 1); x < 64; x += 2) {
            uint8_t* p = &checks.pixels[(static_cast<size_t>(y) * 64 + x) * 4];
            p[0] = p[1] = p[2] = 255;
        }
    }
    const RgbaImage small = reduceImage(checks, 4, 4);
    for (size_t i = 0; i < small.pixels.size(); i += 4) {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(small.pixels[i + c], 188, 1) << i / 4;
        EXPECT_EQ(small.pixels[i + 3], 255);
    }
    EXPECT_THROW(reduceImage(checks, 0, 4), std::invalid_argument);
    EXPECT_THROW(reduceImage(RgbaImage{4, 4, {}}, 2, 2), std::invalid_argument);
}

TEST(AppIcons, EverySizeOfTheThemeIsARoundGlobeOnTransparentGround) {
    const std::vector<RgbaImage> icons = renderAppIcons();
    ASSERT_EQ(icons.size(), std::size(kAppIconSizes));
    for (size_t k = 0; k < icons.size(); ++k) {
        const RgbaImage& icon = icons[k];
        const int n = kAppIconSizes[k];
        ASSERT_EQ(icon.width, n);
        ASSERT_EQ(icon.height, n);
        ASSERT_EQ(icon.pixels.size(), static_cast<size_t>(n) * n * 4);
        for (const auto& [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) {
            EXPECT_EQ(at(icon, x, y)[3], 0) << n;
        }
        // A disc (with its first halo pixel) about 0.96 of the side across,
        // antialiased at its rim.
        int covered = 0, between = 0;
        for (int x = 0; x < n; ++x) {
            const int a = at(icon, x, n / 2)[3];
            covered += a >= 128;
            between += a > 8 && a < 247;
        }
        EXPECT_NEAR(covered, 0.96 * n, 0.02 * n + 1.5) << n;
        EXPECT_GE(between, 2) << n;
        EXPECT_EQ(at(icon, n / 2, n / 2)[3], 255) << n;
        const uint8_t* centre = at(icon, n / 2, n / 2);
        EXPECT_GE(centre[2], centre[0]) << n;  // blue glass
    }
    EXPECT_EQ(renderAppIcons()[5].pixels, icons[5].pixels);  // the same bytes every time
}

TEST(AppIcons, ShowTheDialogIconsArt) {
    // At the dialog's own sizes the reduced icon is close to the dialog's icon,
    // much closer than to the same icon mirrored (the lit meridian and the
    // highlight sit off centre, so a mirror image is a different picture).
    const std::vector<RgbaImage> icons = renderAppIcons();
    for (const int n : {16, 32}) {
        const RgbaImage& app = icons[n == 16 ? 0 : 1];
        const RgbaImage dialog = renderIcon(n);
        const double same = meanDifference(app, dialog);
        const double other = meanDifference(app, mirrored(dialog));
        EXPECT_LT(same, 12.0) << n;
        EXPECT_LT(same * 2.0, other) << n << ": " << same << " against " << other;
    }
}

TEST(AppIcons, ContentToolWritesOnePngPerSizeInTheThemesLayout) {
    testsupport::TempFolder folder{"gm-content-test"};
    const std::string command =
        std::string("'") + GM_CONTENT_TOOL + "' icons '" + folder.path() + "' org.example.Test 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<RgbaImage> icons = renderAppIcons();
    for (size_t k = 0; k < icons.size(); ++k) {
        const int n = kAppIconSizes[k];
        const std::string path =
            folder.file(std::to_string(n) + "x" + std::to_string(n) + "/apps/org.example.Test.png");
        const contenttest::Surface png = contenttest::decode(contenttest::readAll(path), "PNG");
        ASSERT_TRUE(png) << path;
        contenttest::Surface rgba(SDL_ConvertSurfaceFormat(png.get(), SDL_PIXELFORMAT_RGBA32, 0));
        ASSERT_TRUE(rgba) << path;
        ASSERT_EQ(rgba->w, n);
        ASSERT_EQ(rgba->h, n);
        for (int y = 0; y < n; ++y) {
            const auto* row = static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch;
            ASSERT_TRUE(std::equal(row, row + n * 4, at(icons[k], 0, y))) << path << " row " << y;
        }
    }
    EXPECT_NE(std::system(("'" + std::string(GM_CONTENT_TOOL) + "' icons '" + folder.path() + "' '' 2>/dev/null").c_str()),
              0);
}

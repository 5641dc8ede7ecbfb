// Flash counting: the WCAG 2.3.1 rules on made-up frames whose flashes are
// known (rate, brightness, area, saturated red), the per-second rows at a
// fractional rate, and the report's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "capture/flash_report.h"

namespace {

using capture::FlashAnalyser;
using capture::FlashSecond;
using capture::FrameRate;
using capture::FrameSchedule;

constexpr int kWidth = 40, kHeight = 30;  // 1200 pixels
using Rgb = std::array<std::uint8_t, 3>;

// Frames of the schedule; colourAt(frame, x, y) paints each pixel.
std::vector<FlashSecond> analyse(const FrameSchedule& schedule, const std::function<Rgb(std::int64_t, int, int)>& colourAt) {
    FlashAnalyser analyser(kWidth, kHeight, schedule);
    std::vector<std::uint8_t> bgr(kWidth * kHeight * 3);
    for (std::int64_t n = 0; n < schedule.count(); ++n) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb c = colourAt(n, x, y);
                std::uint8_t* p = &bgr[(y * kWidth + x) * 3];
                p[0] = c[2];
                p[1] = c[1];
                p[2] = c[0];
            }
        analyser.add(bgr.data());
    }
    return analyser.seconds();
}

// The whole picture switching between two colours every `period` frames, for 2 s at 60 fps.
std::vector<FlashSecond> alternating(Rgb a, Rgb b, int period) {
    return analyse(FrameSchedule(0, 2000, 60), [&](std::int64_t n, int, int) { return (n / period) % 2 ? b : a; });
}

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

TEST(FlashAnalyser, GeneralFlashesByRateAndBrightness) {
    // Every 8 frames: 7.5 transitions a second, so 8 in some one-second
    // windows: 4 flashes, beyond.
    auto s = alternating(kBlack, kWhite, 8);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].second, 0);
    EXPECT_EQ(s[1].second, 1);
    EXPECT_DOUBLE_EQ(s[1].general.flashes, 4.0);
    EXPECT_DOUBLE_EQ(s[1].general.areaOverThree, 1.0);
    EXPECT_DOUBLE_EQ(s[1].general.flashingArea, 1.0);
    EXPECT_TRUE(s[1].exceeds());
    EXPECT_FALSE(s[1].red.areaOverThree > 0) << "black and white are not red";

    // Every 10 frames: 6 transitions, exactly three flashes: within the rule.
    s = alternating(kBlack, kWhite, 10);
    EXPECT_DOUBLE_EQ(s[1].general.flashes, 3.0);
    EXPECT_DOUBLE_EQ(s[1].general.areaOverThree, 0.0);
    EXPECT_FALSE(s[0].exceeds());
    EXPECT_FALSE(s[1].exceeds());

    // Fast, but both states bright: the darker (luminance 0.85) is not below 0.80.
    s = alternating(Rgb{237, 237, 237}, kWhite, 2);
    EXPECT_DOUBLE_EQ(s[1].general.flashes, 0.0);
    EXPECT_DOUBLE_EQ(s[1].general.flashingArea, 0.0);
    // Fast, but a change of luminance under 0.1 (black to 0.09).
    s = alternating(kBlack, Rgb{84, 84, 84}, 2);
    EXPECT_DOUBLE_EQ(s[1].general.flashingArea, 0.0);
    // A slow fade up and down again is one flash, not a train of small steps.
    s = analyse(FrameSchedule(0, 2000, 60), [](std::int64_t n, int, int) {
        const auto v = static_cast<std::uint8_t>(n < 60 ? n * 4 : (119 - n) * 4);
        return Rgb{v, v, v};
    });
    EXPECT_DOUBLE_EQ(std::max(s[0].general.flashes, s[1].general.flashes), 1.0);
}

TEST(FlashAnalyser, TheFlashingAreaDecides) {
    // A patch flashing 7.5 times a second: 120 pixels (10 %) is under the
    // 341 x 256-of-1024 x 768 area (11.1 %), 144 pixels (12 %) over it.
    for (const int patchHeight : {10, 12}) {
        const int patchWidth = 12;
        const auto s = analyse(FrameSchedule(0, 2000, 60), [&](std::int64_t n, int x, int y) {
            const bool inPatch = x < patchWidth && y < patchHeight;
            return inPatch && (n / 4) % 2 ? kWhite : kBlack;
        });
        const double area = patchWidth * patchHeight / 1200.0;
        EXPECT_DOUBLE_EQ(s[1].general.flashingArea, area);
        EXPECT_DOUBLE_EQ(s[1].general.areaOverThree, area);
        EXPECT_EQ(s[1].exceeds(), area >= capture::kFlashThresholdArea) << patchWidth * patchHeight << " pixels";
        EXPECT_DOUBLE_EQ(s[1].general.flashes, area >= capture::kFlashThresholdArea ? 7.5 : 0.0)
            << "the flashes the threshold area reaches";
    }
}

TEST(FlashAnalyser, RedFlashesBySaturatedRedEvenWithLittleLuminanceChange) {
    // Dark red to red: luminance changes by 0.083 (no general flash), but
    // (R - G - B) x 320 by 125 on a saturated red.
    auto s = alternating(Rgb{120, 0, 0}, Rgb{200, 0, 0}, 4);
    EXPECT_DOUBLE_EQ(s[1].general.flashingArea, 0.0);
    EXPECT_DOUBLE_EQ(s[1].red.flashes, 7.5);
    EXPECT_DOUBLE_EQ(s[1].red.areaOverThree, 1.0);
    EXPECT_TRUE(s[1].exceeds());
    // The same brightness step in an orange that is not saturated red
    // (R / (R + G + B) = 0.65 in linear light) is no red flash.
    s = alternating(Rgb{120, 90, 0}, Rgb{200, 150, 0}, 4);
    EXPECT_DOUBLE_EQ(s[1].red.flashingArea, 0.0);
    // A change of 20 or less in (R - G - B) x 320 is none either: 12 to 13 is 1.8.
    s = alternating(Rgb{12, 0, 0}, Rgb{13, 0, 0}, 2);
    EXPECT_DOUBLE_EQ(s[1].red.flashingArea, 0.0);
}

TEST(FlashAnalyser, RowsPerDemoSecondAtFractionalRatesAndTheReport) {
    // From 20500 ms at 59.94 fps for 1.5 s: seconds 20 and 21; the window is 60 frames.
    const FrameSchedule schedule(20500, 22000, FrameRate(60000, 1001));
    auto s = analyse(schedule, [](std::int64_t n, int, int) { return (n / 8) % 2 ? kWhite : kBlack; });
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].second, 20);
    EXPECT_EQ(s[1].second, 21);
    EXPECT_DOUBLE_EQ(s[0].general.flashes, 1.5) << "frames 0-29: transitions at 8, 16, 24";
    EXPECT_DOUBLE_EQ(s[1].general.flashes, 4.0);

    const std::string csv = capture::flashCsv(s);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "second,general_flashes,general_flashing_area,general_area_over_3_flashes,red_flashes,red_flashing_area,"
              "red_area_over_3_flashes,exceeds");
    EXPECT_NE(csv.find("\n20,1.5,1.0000,0.0000,0.0,0.0000,0.0000,no\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n21,4.0,1.0000,1.0000,0.0,0.0000,0.0000,yes\n"), std::string::npos) << csv;
    const std::string beyond = capture::flashSummary(s, "f.csv");
    EXPECT_EQ(beyond.rfind("flash report: 1 second goes beyond WCAG 2.3.1's threshold", 0), 0u) << beyond;
    EXPECT_NE(beyond.find(": second 21; per second in f.csv\n"), std::string::npos) << beyond;
    EXPECT_EQ(std::count(beyond.begin(), beyond.end(), '\n'), 1);
    s[1].general.areaOverThree = 0;
    EXPECT_EQ(capture::flashSummary(s, "f.csv").rfind("flash report: no second goes beyond", 0), 0u);
}

}  // namespace

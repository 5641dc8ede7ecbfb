// Pictures: read-back conversion, scaling, PNG files and the contact sheet.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "capture/pictures.h"

#include "png_decode.h"
#include "temp_folder.h"

namespace {

using capture::Image;
using capturetest::decodePicture;

bool fileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }


TEST(ReadBack, RowsAreFlippedAndColoursReordered) {
    // 2 x 3 BGR, bottom row first: row r, column c holds red 10r + c, green
    // 100 + r, blue 200 + c (stored blue first).
    std::vector<std::uint8_t> bgr;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) bgr.insert(bgr.end(), {std::uint8_t(200 + c), std::uint8_t(100 + r), std::uint8_t(10 * r + c)});
    std::vector<std::uint8_t> rgb(2 * 3 * 3);
    capture::bgrBottomUpToRgb(bgr.data(), 2, 3, rgb.data());
    // Top row of the picture is the last row read back.
    EXPECT_EQ((std::vector<std::uint8_t>(rgb.begin(), rgb.begin() + 6)),
              (std::vector<std::uint8_t>{20, 102, 200, 21, 102, 201}));
    EXPECT_EQ((std::vector<std::uint8_t>(rgb.end() - 6, rgb.end())),
              (std::vector<std::uint8_t>{0, 100, 200, 1, 100, 201}));
}

TEST(ScaleArea, AveragesCoveredPixelsAndKeepsEdges) {
    Image src(4, 2);
    // Left half black, right half white; one red pixel bottom right.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t v = x < 2 ? 0 : 255;
            src.pixel(x, y)[0] = src.pixel(x, y)[1] = src.pixel(x, y)[2] = v;
        }
    src.pixel(3, 1)[1] = src.pixel(3, 1)[2] = 0;

    const Image half = capture::scaleArea(src, 2, 1);
    EXPECT_EQ((std::vector<std::uint8_t>(half.rgb.begin(), half.rgb.end())),
              (std::vector<std::uint8_t>{0, 0, 0, 255, 191, 191}));  // (255*3)/4 rounded

    // Same size is an exact copy; growing repeats pixels instead of reading past the edge.
    EXPECT_EQ(capture::scaleArea(src, 4, 2).rgb, src.rgb);
    const Image grown = capture::scaleArea(src, 8, 4);
    EXPECT_EQ(grown.pixel(7, 3)[0], 255);
    EXPECT_EQ(grown.pixel(7, 3)[1], 0);
    EXPECT_EQ(grown.pixel(0, 0)[0], 0);

    // A 1280 x 720 frame scaled to a sheet thumbnail keeps its mean colour.
    Image frame(1280, 720);
    for (std::size_t i = 0; i < frame.rgb.size(); i += 3) {
        frame.rgb[i] = 40;
        frame.rgb[i + 1] = 60;
        frame.rgb[i + 2] = 140;
    }
    const Image thumb = capture::scaleArea(frame, 256, 144);
    for (std::size_t i = 0; i < thumb.rgb.size(); i += 3) {
        ASSERT_EQ(thumb.rgb[i], 40);
        ASSERT_EQ(thumb.rgb[i + 2], 140);
    }
}

TEST(PngOutput, RoundTripsAndRenamesOnlyWhenComplete) {
    Image image(5, 3);
    for (std::size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<std::uint8_t> png = capture::encodePng(image);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    const Image back = decodePicture(png);
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.rgb, image.rgb);

    const testsupport::TempFolder folder("gm-capture-png");
    const std::string path = folder.file("frame.png");
    capture::writePng(path, image);
    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(fileExists(path + ".partial"));
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> onDisk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, png);

    // A folder that does not exist: the error names the file, and nothing is left.
    const std::string bad = folder.file("missing/frame.png");
    try {
        capture::writePng(bad, image);
        ADD_FAILURE() << "expected a failure";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("missing/frame.png"), std::string::npos) << e.what();
    }
    // A picture whose size does not match its bytes is refused, not encoded.
    Image broken(4, 4);
    broken.rgb.resize(10);
    EXPECT_THROW(capture::encodePng(broken), std::runtime_error);
}

TEST(ContactSheet, LayoutKeepsAspectAndGaps) {
    const auto l = capture::layoutSheet(4, 3, 1024, 768, 256);
    EXPECT_EQ(l.cells(), 12);
    EXPECT_EQ(l.thumbHeight, 192);
    EXPECT_EQ(l.width, 4 * 256 + 5 * l.gap);
    EXPECT_EQ(l.height, 3 * (192 + l.labelHeight) + 4 * l.gap);
    EXPECT_EQ(l.cellX(0), l.gap);
    EXPECT_EQ(l.cellY(0), l.gap);
    EXPECT_EQ(l.cellX(3), l.gap + 3 * (256 + l.gap));
    EXPECT_EQ(l.cellX(4), l.gap) << "row-major: cell 4 starts the second row";
    EXPECT_EQ(l.cellY(4), l.gap + 192 + l.labelHeight + l.gap);
    // The last cell's picture and label fit inside the sheet.
    EXPECT_EQ(l.cellX(11) + l.thumbWidth + l.gap, l.width);
    EXPECT_EQ(l.cellY(11) + l.thumbHeight + l.labelHeight + l.gap, l.height);

    EXPECT_EQ(capture::layoutSheet(1, 1, 1920, 1080, 320).thumbHeight, 180);
    EXPECT_EQ(capture::layoutSheet(1, 1, 1000, 1, 16).thumbHeight, 1) << "never a zero-height picture";
    EXPECT_THROW(capture::layoutSheet(0, 3, 1024, 768, 256), std::invalid_argument);
    // Options each within range whose sheet is not: refused before any pixel exists.
    EXPECT_THROW(capture::layoutSheet(16, 16, 16, 16, 2400), capture::UsageError);
    EXPECT_THROW(capture::layoutSheet(16, 1, 1920, 1080, 4096), capture::UsageError);
    EXPECT_NO_THROW(capture::layoutSheet(16, 16, 1920, 1080, 256));
}

TEST(ContactSheet, PlacesFramesInTheirCellsWithLabels) {
    EXPECT_EQ(capture::sheetLabel(0.0), "0.0 s");
    EXPECT_EQ(capture::sheetLabel(4083.33), "4.0 s");
    EXPECT_EQ(capture::sheetLabel(44916.7), "44.9 s");

    const auto l = capture::layoutSheet(2, 2, 64, 48, 32);
    capture::ContactSheet sheet(l);
    const std::vector<std::uint8_t> background(sheet.image().pixel(0, 0), sheet.image().pixel(0, 0) + 3);

    Image red(64, 48);
    for (std::size_t i = 0; i < red.rgb.size(); i += 3) red.rgb[i] = 255;
    sheet.place(3, red, 12500.0);
    const Image& out = sheet.image();
    // Cell 3 (bottom right) is red from corner to corner; cell 0 is untouched.
    EXPECT_EQ(out.pixel(l.cellX(3), l.cellY(3))[0], 255);
    EXPECT_EQ(out.pixel(l.cellX(3) + l.thumbWidth - 1, l.cellY(3) + l.thumbHeight - 1)[0], 255);
    EXPECT_EQ(out.pixel(l.cellX(3) + l.thumbWidth, l.cellY(3))[0], background[0]) << "gap stays empty";
    EXPECT_EQ(out.pixel(l.cellX(0), l.cellY(0))[0], background[0]);

    // The label band under cell 3 has text pixels; the one under cell 0 none.
    auto inked = [&](int cell) {
        int count = 0;
        for (int y = l.cellY(cell) + l.thumbHeight; y < l.cellY(cell) + l.thumbHeight + l.labelHeight; ++y)
            for (int x = l.cellX(cell); x < l.cellX(cell) + l.thumbWidth; ++x)
                if (out.pixel(x, y)[0] != background[0]) ++count;
        return count;
    };
    EXPECT_GT(inked(3), 10);
    EXPECT_EQ(inked(0), 0);
    // Text is clipped to its cell: nothing spills into the right-hand margin.
    for (int y = 0; y < out.height; ++y)
        for (int x = l.cellX(1) + l.thumbWidth; x < out.width; ++x)
            ASSERT_EQ(out.pixel(x, y)[0], background[0]) << x << "," << y;

    EXPECT_THROW(sheet.place(4, red, 0.0), std::out_of_range);
}

}  // namespace

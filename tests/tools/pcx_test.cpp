// The PCX encoder against SDL2_image's decoder, and the glyph sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "content.h"
#include "decode_helpers.h"
#include "glyphs.h"
#include "pcx_writer.h"

using namespace gmcontent;
using contenttest::decode;

namespace {

// Index at (x, y) of an 8-bit decoded surface.
uint8_t indexAt(const SDL_Surface* s, int x, int y) {
    return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x];
}

}  // namespace

TEST(PcxWriter, OddWidthRunsAndHighValuesRoundTrip) {
    // Odd width (padded line), runs longer than 63, lone bytes >= 0xC0.
    IndexedImage image;
    image.width = 131;
    image.height = 5;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            uint8_t v = 0;
            if (y == 0) v = 0xC5;                               // one long run of a high value
            if (y == 1) v = static_cast<uint8_t>(x * 37 + 1);   // no runs, many high values
            if (y == 2) v = x < 100 ? 0 : 0xFF;
            if (y == 3) v = static_cast<uint8_t>(0xC0 + (x % 2));
            if (y == 4) v = static_cast<uint8_t>(x / 3);
            image.pixels.push_back(v);
        }
    }
    for (int i = 0; i < 768; ++i) image.palette[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> pcx = encodePcx(image);

    EXPECT_EQ(pcx[0], 0x0A);
    EXPECT_EQ(pcx[1], 5);
    EXPECT_EQ(pcx[2], 1);
    EXPECT_EQ(pcx[3], 8);
    EXPECT_EQ(pcx[65], 1);
    EXPECT_EQ(pcx[66] | pcx[67] << 8, 132);  // bytes per line, even
    ASSERT_EQ(pcx[pcx.size() - 769], 0x0C);
    EXPECT_TRUE(std::equal(image.palette.begin(), image.palette.end(), pcx.end() - 768));

    const contenttest::Surface s = decode(pcx, "PCX");
    ASSERT_TRUE(s) << SDL_GetError();
    ASSERT_EQ(s->w, image.width);
    ASSERT_EQ(s->h, image.height);
    ASSERT_EQ(s->format->BitsPerPixel, 8);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            ASSERT_EQ(indexAt(s.get(), x, y), image.pixels[y * image.width + x]) << x << "," << y;
        }
    }
    const SDL_Color c = s->format->palette->colors[200];
    EXPECT_EQ(c.r, static_cast<uint8_t>(600 * 7));
    EXPECT_EQ(c.b, static_cast<uint8_t>(602 * 7));
}

TEST(PcxWriter, RejectsInconsistentPictures) {
    IndexedImage image;
    image.width = 4;
    image.height = 4;
    image.pixels.resize(15);
    EXPECT_THROW(encodePcx(image), std::invalid_argument);
    image.width = 0;
    image.pixels.clear();
    EXPECT_THROW(encodePcx(image), std::invalid_argument);
}

class FontSheet : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sheet_ = new contenttest::Surface(decode(fontSheetPcx(), "PCX")); }
    static void TearDownTestSuite() {
        delete sheet_;
        sheet_ = nullptr;
    }
    static int inkInCell(int code) {
        const SDL_Surface* s = sheet_->get();
        int ink = 0;
        for (int y = 0; y < kFontCell; ++y) {
            for (int x = 0; x < kFontCell; ++x) {
                ink += indexAt(s, (code % 16) * kFontCell + x, (code / 16) * kFontCell + y) > 128 ? 1 : 0;
            }
        }
        return ink;
    }
    static contenttest::Surface* sheet_;
};

contenttest::Surface* FontSheet::sheet_ = nullptr;

TEST_F(FontSheet, DecodesAsAGreyscale512Sheet) {
    const SDL_Surface* s = sheet_->get();
    ASSERT_NE(s, nullptr) << SDL_GetError();
    EXPECT_EQ(s->w, 512);
    EXPECT_EQ(s->h, 512);
    ASSERT_EQ(s->format->BitsPerPixel, 8);
    for (int i = 0; i < 256; ++i) {
        const SDL_Color c = s->format->palette->colors[i];
        ASSERT_TRUE(c.r == i && c.g == i && c.b == i) << i;
    }
    // Antialiased: intermediate greys occur, not just black and white.
    int greys = 0;
    for (int y = 64; y < 96; ++y) {
        for (int x = 0; x < 512; ++x) greys += indexAt(s, x, y) > 20 && indexAt(s, x, y) < 235 ? 1 : 0;
    }
    EXPECT_GT(greys, 100);
}

TEST_F(FontSheet, PrintableAndGermanCellsHaveInkOthersAreBlank) {
    std::vector<int> drawn;
    for (int c = 33; c <= 126; ++c) drawn.push_back(c);
    for (int c : {0xE4, 0xF6, 0xFC, 0xC4, 0xD6, 0xDC, 0xDF}) drawn.push_back(c);
    for (int code = 0; code < 256; ++code) {
        const bool expected = std::find(drawn.begin(), drawn.end(), code) != drawn.end();
        if (expected) {
            EXPECT_GT(inkInCell(code), 3) << "code " << code;
        } else {
            EXPECT_EQ(inkInCell(code), 0) << "code " << code;
        }
    }
}

TEST_F(FontSheet, UmlautsDifferFromTheirBaseLetters) {
    const SDL_Surface* s = sheet_->get();
    const std::pair<int, int> pairs[] = {{0xE4, 'a'}, {0xF6, 'o'}, {0xFC, 'u'}, {0xC4, 'A'}, {0xD6, 'O'}, {0xDC, 'U'}};
    auto inkRow = [s](int code, int y) {
        int ink = 0;
        for (int x = 0; x < kFontCell; ++x) ink += indexAt(s, (code % 16) * kFontCell + x, (code / 16) * kFontCell + y) > 128;
        return ink;
    };
    for (const auto& [umlaut, base] : pairs) {
        // The dots are ink above the base letter's top row; the rest matches.
        int top = 0;
        while (top < kFontCell && inkRow(base, top) == 0) ++top;
        int dotInk = 0;
        for (int y = 0; y + 1 < top; ++y) dotInk += inkRow(umlaut, y);
        EXPECT_GE(dotInk, 4) << umlaut;
        for (int y = top; y < kFontCell; ++y) EXPECT_EQ(inkRow(umlaut, y), inkRow(base, y)) << umlaut << " row " << y;
    }
}

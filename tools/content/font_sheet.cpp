// The glyph sheet: 16 x 16 cells of 32 x 32 pixels, cell index = character
// code, white antialiased glyphs on black, greyscale palette.
#include <cmath>

#include "content.h"
#include "glyphs.h"

namespace gmcontent {

namespace {

constexpr double kScale = 1.9;     // pixels per glyph unit
constexpr double kBaseline = 25.0; // pixels from the cell's top
constexpr double kPen = 0.56;      // stroke radius, glyph units

}  // namespace

IndexedImage renderFontSheet() {
    StrokeMask mask(kFontSheetSize, kFontSheetSize, 8);
    for (int code = 0; code < 256; ++code) {
        const Glyph* glyph = findGlyph(static_cast<unsigned char>(code));
        if (glyph == nullptr) continue;
        const double cellX = (code % 16) * kFontCell, cellY = (code / 16) * kFontCell;
        const double left = cellX + (kFontCell - glyph->advance * kScale) / 2.0;
        const std::string text(1, static_cast<char>(code));
        mask.stroke(layoutText(text, {left, cellY + kBaseline}, kScale, 0.0), kPen * kScale);
    }
    const Plane cover = mask.resolve();
    IndexedImage sheet;
    sheet.width = kFontSheetSize;
    sheet.height = kFontSheetSize;
    sheet.pixels.resize(static_cast<size_t>(kFontSheetSize) * kFontSheetSize);
    for (size_t i = 0; i < sheet.pixels.size(); ++i) {
        sheet.pixels[i] = static_cast<uint8_t>(std::lround(cover.values()[i] * 255.0f));
    }
    for (int i = 0; i < 256; ++i) {
        sheet.palette[i * 3 + 0] = sheet.palette[i * 3 + 1] = sheet.palette[i * 3 + 2] = static_cast<uint8_t>(i);
    }
    return sheet;
}

std::vector<uint8_t> fontSheetPcx() { return encodePcx(renderFontSheet()); }

}  // namespace gmcontent

// measureFontSheet: glyph sheet measurement.
#include "graphics/measure_font_sheet.h"

#include <algorithm>

#include "core/failure.h"

namespace fluxcore {

void measureFontSheet(QUASAR_FLUXCORE::Font& font, Image& sheet) {
    const int cw = font.cellWidth, ch = font.cellHeight;
    if (sheet.width % cw != 0 || sheet.height % ch != 0) {
        fail("%s: font sheet is %dx%d, not a multiple of %dx%d cells", font.fileName, sheet.width, sheet.height, cw,
             ch);
    }
    const int columns = sheet.width / cw, rows = sheet.height / ch;
    font.sheetWidth = sheet.width;
    font.sheetHeight = sheet.height;
    font.firstGlyph = 0;
    font.glyphCount = std::min(columns * rows, 256);

    for (std::size_t i = 0; i + 3 < sheet.rgba.size(); i += 4) {
        sheet.rgba[i + 3] = std::max({sheet.rgba[i], sheet.rgba[i + 1], sheet.rgba[i + 2]});
    }
    for (int glyph = 0; glyph < 256; ++glyph) {
        font.glyphLeft[glyph] = 0;
        font.glyphWidth[glyph] = 0;
        if (glyph >= font.glyphCount) continue;
        const int x0 = (glyph % columns) * cw, y0 = (glyph / columns) * ch;
        int first = cw, last = -1;
        for (int y = y0; y < y0 + ch; ++y) {
            const unsigned char* row = sheet.rgba.data() + (static_cast<std::size_t>(y) * sheet.width + x0) * 4;
            for (int x = 0; x < cw; ++x) {
                if (row[x * 4 + 3] > kInkThreshold) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        if (last >= first) {
            font.glyphLeft[glyph] = static_cast<unsigned char>(std::min(first, 255));
            font.glyphWidth[glyph] = static_cast<unsigned char>(std::min(last - first + 1, 255));
        }
    }
}

}  // namespace fluxcore

// libFuzzer target: a glyph sheet decoded and measured as dmsUploadTextures
// does for a font added with dmsAddFont(32, 32, "fontti.pcx").
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/image.h"
#include "graphics/measure_font_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    QUASAR_FLUXCORE::Font font;
    std::memset(&font, 0, sizeof font);
    std::strcpy(font.fileName, "fontti.pcx");
    font.cellWidth = 32;
    font.cellHeight = 32;
    try {
        fluxcore::Image sheet = fluxcore::decodeImage(bytes, font.fileName);
        fluxcore::measureFontSheet(font, sheet);
        if (font.glyphCount < 0 || font.glyphCount > 256) __builtin_trap();
        for (int glyph = 0; glyph < 256; ++glyph) {
            if (font.glyphLeft[glyph] + font.glyphWidth[glyph] > font.cellWidth) __builtin_trap();
        }
    } catch (const char*) {
    }
    return 0;
}

// Glyph sheets: checking a sheet against its cell size and measuring the ink
// of each glyph.
#pragma once

#include "fluxcore/texture.h"
#include "data/image.h"

namespace fluxcore {

// Fills the sheet size, glyph count and per-glyph ink extents of `font` from
// the picture, and turns the picture's brightness into its alpha so glyphs
// blend over a scene. A sheet that is not a whole number of cells is a
// failure naming the file.
void measureFontSheet(QUASAR_FLUXCORE::Font& font, Image& sheet);

// A pixel counts as ink when its brightest channel exceeds this.
constexpr int kInkThreshold = 32;

}  // namespace fluxcore

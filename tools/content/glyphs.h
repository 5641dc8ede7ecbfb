// The project's own stroke typeface: glyph outlines as round-capped strokes in
// glyph units (baseline at y = 0, y upwards, cap height 10, x-height 7,
// descent 3), and text layout into pixel-space segments.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace gmcontent {

constexpr double kCapHeight = 10.0;
constexpr double kXHeight = 7.0;
constexpr double kDescent = 3.0;

// Raw design record: stroke program in a small text notation (see glyphs.cpp).
struct GlyphDesign {
    unsigned char code;
    double advance;
    const char* strokes;
};

// The design table (glyph_data.cpp), one entry per character code drawn.
const std::vector<GlyphDesign>& glyphDesigns();

struct Glyph {
    double advance = 0.0;           // width including side bearings, glyph units
    std::vector<Segment> strokes;   // glyph units, y up
};

// Parses one stroke program; throws std::runtime_error naming the code and
// the fault on malformed input.
Glyph parseGlyph(const GlyphDesign& design);

// All designed glyphs, parsed once; nullptr for a code with no glyph.
const Glyph* findGlyph(unsigned char code);

// Width of a Latin-1 string in glyph units with `tracking` units between letters.
double textWidth(const std::string& latin1, double tracking);

// Segments of a Latin-1 string in pixel space (y down): the baseline starts at
// `origin`, one glyph unit is `scale` pixels. Codes without a glyph advance
// like a space.
std::vector<Segment> layoutText(const std::string& latin1, Point origin, double scale, double tracking);

}  // namespace gmcontent

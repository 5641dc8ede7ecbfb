// The typeface: the stroke notation, coverage of the character set, glyphs
// fitting their cells, and text layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "content.h"
#include "glyphs.h"

using namespace gmcontent;

TEST(GlyphNotation, ParsesPolylinesArcsAndDots) {
    const Glyph g = parseGlyph({'x', 5.0, "p 0,0 1,0 1,1; d 2,2; a 0,0 1,2 0,90"});
    EXPECT_EQ(g.advance, 5.0);
    ASSERT_GE(g.strokes.size(), 3u + 6u);
    EXPECT_EQ(g.strokes[1].b.x, 1.0);
    EXPECT_EQ(g.strokes[1].b.y, 1.0);
    EXPECT_EQ(g.strokes[2].a.x, g.strokes[2].b.x);  // the dot
    // The arc runs from (1, 0) to (0, 2) along the ellipse.
    const Segment& first = g.strokes[3];
    const Segment& last = g.strokes.back();
    EXPECT_NEAR(first.a.x, 1.0, 1e-9);
    EXPECT_NEAR(first.a.y, 0.0, 1e-9);
    EXPECT_NEAR(last.b.x, 0.0, 1e-9);
    EXPECT_NEAR(last.b.y, 2.0, 1e-9);
    for (size_t i = 4; i < g.strokes.size(); ++i) {
        EXPECT_EQ(g.strokes[i].a.x, g.strokes[i - 1].b.x);  // connected
        const double x = g.strokes[i].a.x, y = g.strokes[i].a.y;
        EXPECT_NEAR(x * x + y * y / 4.0, 1.0, 1e-9);
    }
}

TEST(GlyphNotation, MalformedProgramsNameTheGlyph) {
    for (const char* bad : {"p 1,2", "p 1,2 3", "q 1,2", "a 1,2 3,4 5", "d 1,x", "p 1,2 3,4;d"}) {
        try {
            parseGlyph({'Q', 4.0, bad});
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("glyph 81"), std::string::npos) << e.what();
        }
    }
}

TEST(Typeface, CoversPrintableAsciiAndGermanLettersOnce) {
    std::set<int> codes;
    for (const GlyphDesign& d : glyphDesigns()) EXPECT_TRUE(codes.insert(d.code).second) << "twice: " << int(d.code);
    std::set<int> wanted;
    for (int c = 32; c <= 126; ++c) wanted.insert(c);
    for (int c : {0xE4, 0xF6, 0xFC, 0xC4, 0xD6, 0xDC, 0xDF}) wanted.insert(c);
    EXPECT_EQ(codes, wanted);
    EXPECT_TRUE(findGlyph(' ')->strokes.empty());
    EXPECT_EQ(findGlyph(0x7F), nullptr);
}

TEST(Typeface, EveryGlyphFitsItsSheetCellWithItsPen) {
    // Same placement as the sheet: centred by advance, baseline 25 px down,
    // 1.9 px per unit, pen radius 0.56 units.
    const double scale = 1.9, baseline = 25.0, pen = 0.56 * scale;
    for (const GlyphDesign& d : glyphDesigns()) {
        const Glyph* g = findGlyph(d.code);
        const double left = (kFontCell - g->advance * scale) / 2.0;
        for (const Segment& s : g->strokes) {
            for (const Point& p : {s.a, s.b}) {
                const double x = left + p.x * scale, y = baseline - p.y * scale;
                EXPECT_GE(x - pen, 0.0) << "code " << int(d.code);
                EXPECT_LE(x + pen, kFontCell) << "code " << int(d.code);
                EXPECT_GE(y - pen, 0.0) << "code " << int(d.code);
                EXPECT_LE(y + pen, kFontCell) << "code " << int(d.code);
            }
        }
        // Ink lies within the advance (small overhang allowed for round strokes).
        for (const Segment& s : g->strokes) {
            EXPECT_GE(std::min(s.a.x, s.b.x), -0.2) << "code " << int(d.code);
            EXPECT_LE(std::max(s.a.x, s.b.x), g->advance + 0.2) << "code " << int(d.code);
        }
    }
}

TEST(TextLayout, AdvancesTrackingScaleAndUnknownCodes) {
    const double a = findGlyph('A')->advance, space = findGlyph(' ')->advance;
    EXPECT_DOUBLE_EQ(textWidth("AA", 1.5), 2 * a + 1.5);
    EXPECT_DOUBLE_EQ(textWidth("", 1.5), 0.0);
    EXPECT_DOUBLE_EQ(textWidth(std::string(1, '\x01'), 0.0), space);

    // The second A is the first moved by advance + tracking, scaled; y is flipped.
    const std::vector<Segment> one = layoutText("A", {10, 100}, 2.0, 0.0);
    const std::vector<Segment> two = layoutText("\x01" "A", {10, 100}, 2.0, 1.0);
    ASSERT_EQ(one.size(), two.size());
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_DOUBLE_EQ(two[i].a.x, one[i].a.x + (space + 1.0) * 2.0);
        EXPECT_DOUBLE_EQ(two[i].a.y, one[i].a.y);
    }
    double top = 1e9;
    for (const Segment& seg : one) top = std::min({top, seg.a.y, seg.b.y});
    EXPECT_NEAR(top, 100.0 - kCapHeight * 2.0, 1e-9);
}

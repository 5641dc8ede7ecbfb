// Contact sheet layout and composition.
#include "capture/contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

namespace capture {

namespace {

constexpr int kGap = 8;
constexpr int kTextScale = 2;        // the built-in font's strokes are one unit wide
constexpr int kLabelHeight = 22;
constexpr std::uint8_t kBackground[3] = {22, 22, 26};
constexpr std::uint8_t kText[3] = {200, 200, 208};

}  // namespace

int SheetLayout::cellX(int cell) const { return gap + (cell % columns) * (thumbWidth + gap); }

int SheetLayout::cellY(int cell) const { return gap + (cell / columns) * (thumbHeight + labelHeight + gap); }

SheetLayout layoutSheet(int columns, int rows, int frameWidth, int frameHeight, int thumbWidth) {
    if (columns < 1 || rows < 1 || frameWidth < 1 || frameHeight < 1 || thumbWidth < 1)
        throw std::invalid_argument("contact sheet needs at least one cell and a picture size");
    SheetLayout l;
    l.columns = columns;
    l.rows = rows;
    l.thumbWidth = thumbWidth;
    l.thumbHeight = std::max(1, static_cast<int>(std::lround(static_cast<double>(thumbWidth) * frameHeight / frameWidth)));
    l.gap = kGap;
    l.labelHeight = kLabelHeight;
    l.width = columns * thumbWidth + (columns + 1) * kGap;
    l.height = rows * (l.thumbHeight + kLabelHeight) + (rows + 1) * kGap;
    return l;
}

std::string sheetLabel(double timeMs) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::floor(timeMs / 100.0 + 1e-9) / 10.0);
    return text;
}

ContactSheet::ContactSheet(const SheetLayout& layout) : layout_(layout), sheet_(layout.width, layout.height) {
    for (int y = 0; y < sheet_.height; ++y)
        for (int x = 0; x < sheet_.width; ++x) std::copy(kBackground, kBackground + 3, sheet_.pixel(x, y));
}

void ContactSheet::place(int cell, const Image& frame, double timeMs) {
    if (cell < 0 || cell >= layout_.cells()) throw std::out_of_range("contact sheet cell " + std::to_string(cell));
    const Image thumb = scaleArea(frame, layout_.thumbWidth, layout_.thumbHeight);
    const int x0 = layout_.cellX(cell), y0 = layout_.cellY(cell);
    for (int y = 0; y < thumb.height; ++y)
        std::copy(thumb.pixel(0, y), thumb.pixel(0, y) + thumb.width * 3, sheet_.pixel(x0, y0 + y));
    drawText(x0, y0 + thumb.height + 5, x0 + thumb.width, sheetLabel(timeMs));
}

void ContactSheet::drawText(int x, int y, int clipRight, const std::string& text) {
    std::vector<char> chars(text.begin(), text.end());
    chars.push_back('\0');
    std::vector<char> vertices(64 * 1024);
    const int quads = stb_easy_font_print(0.0f, 0.0f, chars.data(), nullptr, vertices.data(),
                                          static_cast<int>(vertices.size()));
    // Each quad is four vertices of 16 bytes (x, y, z, colour), an axis-aligned
    // rectangle from its first to its third corner.
    for (int q = 0; q < quads; ++q) {
        float a[2], c[2];
        std::memcpy(a, vertices.data() + q * 64, sizeof a);
        std::memcpy(c, vertices.data() + q * 64 + 32, sizeof c);
        const int qx0 = x + static_cast<int>(std::lround(a[0] * kTextScale));
        const int qy0 = y + static_cast<int>(std::lround(a[1] * kTextScale));
        const int qx1 = x + static_cast<int>(std::lround(c[0] * kTextScale));
        const int qy1 = y + static_cast<int>(std::lround(c[1] * kTextScale));
        for (int py = std::max(qy0, 0); py < std::min(qy1, sheet_.height); ++py)
            for (int px = std::max(qx0, 0); px < std::min({qx1, clipRight, sheet_.width}); ++px)
                std::copy(kText, kText + 3, sheet_.pixel(px, py));
    }
}

}  // namespace capture

// A contact sheet: frames scaled down into a grid, each with its demo time
// written under it.
#pragma once

#include <string>

#include "capture/image.h"

namespace capture {

struct SheetLayout {
    int columns = 0;
    int rows = 0;
    int thumbWidth = 0;
    int thumbHeight = 0;   // keeps the frame's aspect
    int gap = 0;           // around and between cells
    int labelHeight = 0;   // band under each picture for its time
    int width = 0;         // whole sheet
    int height = 0;

    int cells() const { return columns * rows; }
    int cellX(int cell) const;  // left edge of the picture of cell (row-major)
    int cellY(int cell) const;  // top edge of the picture of cell
};

SheetLayout layoutSheet(int columns, int rows, int frameWidth, int frameHeight, int thumbWidth);

// "12.5 s": a demo time as the sheet labels it (tenths of a second).
std::string sheetLabel(double timeMs);

class ContactSheet {
public:
    explicit ContactSheet(const SheetLayout& layout);

    // Scales frame into cell and writes the time under it.
    void place(int cell, const Image& frame, double timeMs);
    const Image& image() const { return sheet_; }
    const SheetLayout& layout() const { return layout_; }

private:
    void drawText(int x, int y, int clipRight, const std::string& text);  // clipped at clipRight

    SheetLayout layout_;
    Image sheet_;
};

}  // namespace capture

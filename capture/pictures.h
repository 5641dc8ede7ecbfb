// Pictures: RGB images in memory, the conversion from an OpenGL read-back, an
// area-averaging scaler, PNG files, contact sheets, and the frame sinks that
// write pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/frames.h"
#include "capture/options.h"

namespace capture {

// 8-bit RGB, rows top to bottom, no padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 0) {}
    std::uint8_t* pixel(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    const std::uint8_t* pixel(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// A BGR read-back (rows bottom to top, as glReadPixels gives them) as RGB
// rows top to bottom. `rgb` holds width * height * 3 bytes.
void bgrBottomUpToRgb(const std::uint8_t* bgr, int width, int height, std::uint8_t* rgb);

// The picture scaled to width x height; every target pixel is the mean of the
// source pixels it covers (whole pixels, so the result is exact and repeatable).
Image scaleArea(const Image& source, int width, int height);

// The picture as PNG file bytes. Throws std::runtime_error if encoding fails.
std::vector<std::uint8_t> encodePng(const Image& image);

// Writes the picture as a PNG under a temporary name and renames it on
// success. Throws std::runtime_error naming the file.
void writePng(const std::string& path, const Image& image);

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

// The largest contact sheet: its RGB picture and the PNG encoder's buffers
// stay within a few hundred MB, and every size fits the encoder's 32-bit sums.
constexpr std::int64_t kMaxSheetSide = 16384;
constexpr std::int64_t kMaxSheetPixels = 40000000;

// Throws UsageError for a sheet beyond kMaxSheetSide or kMaxSheetPixels,
// before anything of its size is allocated.
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

// The frame as an RGB picture, top row first.
Image frameImage(const Frame& frame);

// One PNG per frame, named by the pattern with the frame's index. Each file
// appears under its name only once complete.
class PngSequenceSink : public FrameSink {
public:
    explicit PngSequenceSink(FramePattern pattern) : pattern_(std::move(pattern)) {}
    void consume(const Frame& frame) override;
    void finish() override {}
    void abandon() noexcept override {}

private:
    FramePattern pattern_;
};

// Every frame to the same PNG (used for the single frame of --frame-at).
class SinglePngSink : public FrameSink {
public:
    explicit SinglePngSink(std::string path) : path_(std::move(path)) {}
    void consume(const Frame& frame) override;
    void finish() override {}
    void abandon() noexcept override {}

private:
    std::string path_;
};

// Frames into the cells of a contact sheet (frame index = cell), written as
// a PNG by finish().
class ContactSheetSink : public FrameSink {
public:
    ContactSheetSink(const SheetLayout& layout, std::string path) : sheet_(layout), path_(std::move(path)) {}
    void consume(const Frame& frame) override;
    void finish() override;
    void abandon() noexcept override {}

private:
    ContactSheet sheet_;
    std::string path_;
};

}  // namespace capture

// Read-back conversion, scaling, PNG encoding, contact sheets and the picture sinks.
#include "capture/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "capture/files.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

namespace capture {

void bgrBottomUpToRgb(const std::uint8_t* bgr, int width, int height, std::uint8_t* rgb) {
    const std::size_t w = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = bgr + static_cast<std::size_t>(height - 1 - y) * w * 3;
        std::uint8_t* dst = rgb + static_cast<std::size_t>(y) * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            src += 3;
            dst += 3;
        }
    }
}

Image scaleArea(const Image& source, int width, int height) {
    Image out(width, height);
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(static_cast<long long>(y) * source.height / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * source.height / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(static_cast<long long>(x) * source.width / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * source.width / width));
            unsigned long sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const std::uint8_t* p = source.pixel(x0, sy);
                for (int sx = x0; sx < x1; ++sx, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const unsigned long n = static_cast<unsigned long>(x1 - x0) * static_cast<unsigned long>(y1 - y0);
            std::uint8_t* d = out.pixel(x, y);
            for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
        }
    }
    return out;
}

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<std::uint8_t> encodePng(const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        throw std::runtime_error("cannot encode a PNG of " + std::to_string(image.width) + "x" +
                                 std::to_string(image.height) + " from " + std::to_string(image.rgb.size()) + " bytes");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.rgb.size() / 2);
    if (!stbi_write_png_to_func(appendBytes, &bytes, image.width, image.height, 3, image.rgb.data(), image.width * 3))
        throw std::runtime_error("PNG encoding failed");
    // A whole PNG ends with its IEND chunk; anything else is never written out.
    static const std::uint8_t kEnd[] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    if (bytes.size() < 8 + sizeof kEnd || !std::equal(std::begin(kEnd), std::end(kEnd), bytes.end() - sizeof kEnd))
        throw std::runtime_error("PNG encoding of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                                 " came out incomplete");
    return bytes;
}

void writePng(const std::string& path, const Image& image) {
    const std::vector<std::uint8_t> bytes = encodePng(image);
    writeFileAtomically(path, bytes.data(), bytes.size());
}

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
    const std::int64_t width = static_cast<std::int64_t>(columns) * thumbWidth + (columns + 1) * kGap;
    const std::int64_t height = static_cast<std::int64_t>(rows) * (l.thumbHeight + kLabelHeight) + (rows + 1) * kGap;
    if (width > kMaxSheetSide || height > kMaxSheetSide || width * height > kMaxSheetPixels)
        throw UsageError("a contact sheet of " + std::to_string(width) + "x" + std::to_string(height) +
                         " pixels is beyond the limit of " + std::to_string(kMaxSheetSide) + " pixels a side and " +
                         std::to_string(kMaxSheetPixels / 1000000) +
                         " megapixels; use a smaller --thumb-width or --grid");
    l.width = static_cast<int>(width);
    l.height = static_cast<int>(height);
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

Image frameImage(const Frame& frame) {
    Image image(frame.width, frame.height);
    bgrBottomUpToRgb(frame.bgr, frame.width, frame.height, image.rgb.data());
    return image;
}

void PngSequenceSink::consume(const Frame& frame) { writePng(pattern_.pathFor(frame.index), frameImage(frame)); }

void SinglePngSink::consume(const Frame& frame) { writePng(path_, frameImage(frame)); }

void ContactSheetSink::consume(const Frame& frame) {
    sheet_.place(static_cast<int>(frame.index), frameImage(frame), frame.timeMs);
}

void ContactSheetSink::finish() { writePng(path_, sheet_.image()); }

}  // namespace capture

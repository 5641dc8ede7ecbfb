// RGB pictures in memory, the conversion from an OpenGL read-back and an
// area-averaging scaler.
#pragma once

#include <cstdint>
#include <vector>

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

// An RGBA read-back (rows bottom to top, as glReadPixels gives them) as RGB
// rows top to bottom; alpha is dropped. `rgb` holds width * height * 3 bytes.
void rgbaBottomUpToRgb(const std::uint8_t* rgba, int width, int height, std::uint8_t* rgb);

// The picture scaled to width x height; every target pixel is the mean of the
// source pixels it covers (whole pixels, so the result is exact and repeatable).
Image scaleArea(const Image& source, int width, int height);

}  // namespace capture

// Read-back conversion and area scaling.
#include "capture/image.h"

#include <algorithm>
#include <cstring>

namespace capture {

void rgbaBottomUpToRgb(const std::uint8_t* rgba, int width, int height, std::uint8_t* rgb) {
    const std::size_t w = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = rgba + static_cast<std::size_t>(height - 1 - y) * w * 4;
        std::uint8_t* dst = rgb + static_cast<std::size_t>(y) * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            src += 4;
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

}  // namespace capture

// BMP and ICO writers (see windows_images.h). All fields little-endian.
#include "windows_images.h"

#include <stdexcept>

#include "image_codecs.h"

namespace gmcontent {

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr int kPngIconSize = 256;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

// BITMAPINFOHEADER; `rows` is the height as stored (an icon's counts its mask).
void putInfoHeader(std::vector<uint8_t>& out, int width, int rows, int bits, uint32_t imageBytes,
                   uint32_t coloursUsed) {
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(rows));  // positive: bottom-up
    put16(out, 1);                            // planes
    put16(out, static_cast<uint32_t>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageBytes);
    put32(out, 2835);  // 72 dpi, in pixels per metre
    put32(out, 2835);
    put32(out, coloursUsed);
    put32(out, 0);  // all colours important
}

size_t paddedRow(size_t bytes) { return (bytes + 3) / 4 * 4; }

std::vector<uint8_t> iconDib(const RgbaImage& p) {
    const size_t n = static_cast<size_t>(p.width);
    const size_t maskRow = paddedRow((n + 7) / 8);
    std::vector<uint8_t> out;
    putInfoHeader(out, p.width, p.height * 2, 32, static_cast<uint32_t>(n * n * 4 + maskRow * n), 0);
    for (size_t y = n; y-- > 0;) {
        for (size_t x = 0; x < n; ++x) {
            const uint8_t* px = &p.pixels[(y * n + x) * 4];
            out.insert(out.end(), {px[2], px[1], px[0], px[3]});
        }
    }
    for (size_t y = n; y-- > 0;) {
        std::vector<uint8_t> row(maskRow, 0);
        for (size_t x = 0; x < n; ++x) {
            if (p.pixels[(y * n + x) * 4 + 3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::vector<uint8_t> encodeBmp8(const IndexedImage& image) {
    if (image.width < 1 || image.height < 1 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
        throw std::invalid_argument("BMP: the pixels do not match the picture's size");
    }
    const size_t row = paddedRow(static_cast<size_t>(image.width));
    const uint32_t imageBytes = static_cast<uint32_t>(row * image.height);
    const uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 256 * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageBytes);
    put32(out, 0);  // reserved
    put32(out, offset);
    putInfoHeader(out, image.width, image.height, 8, imageBytes, 256);
    for (int i = 0; i < 256; ++i) {
        out.insert(out.end(), {image.palette[i * 3 + 2], image.palette[i * 3 + 1], image.palette[i * 3], 0});
    }
    for (int y = image.height; y-- > 0;) {
        const uint8_t* first = &image.pixels[static_cast<size_t>(y) * image.width];
        out.insert(out.end(), first, first + image.width);
        out.insert(out.end(), row - static_cast<size_t>(image.width), 0);
    }
    return out;
}

std::vector<uint8_t> encodeIco(const std::vector<RgbaImage>& pictures) {
    if (pictures.empty()) throw std::invalid_argument("ICO: no pictures");
    std::vector<std::vector<uint8_t>> images;
    for (const RgbaImage& p : pictures) {
        if (p.width != p.height || p.width < 1 || p.width > kPngIconSize ||
            p.pixels.size() != static_cast<size_t>(p.width) * p.height * 4) {
            throw std::invalid_argument("ICO: each picture must be square, 1 to 256 pixels");
        }
        images.push_back(p.width == kPngIconSize ? encodePngRgba(p.pixels, p.width, p.height) : iconDib(p));
    }
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // icon
    put16(out, static_cast<uint32_t>(pictures.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        const int side = pictures[i].width;
        out.push_back(static_cast<uint8_t>(side == kPngIconSize ? 0 : side));  // 0 stands for 256
        out.push_back(static_cast<uint8_t>(side == kPngIconSize ? 0 : side));
        out.push_back(0);  // no palette
        out.push_back(0);  // reserved
        put16(out, 1);     // planes
        put16(out, 32);    // bits per pixel
        put32(out, static_cast<uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace gmcontent

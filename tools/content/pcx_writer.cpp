// PCX encoder: header layout and the run-length scheme of PCX version 5.
#include "pcx_writer.h"

#include <stdexcept>

namespace gmcontent {

namespace {

void put16(std::vector<uint8_t>& out, size_t at, int value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Runs are at most 63 long; a single byte of 0xC0 or more must be written as
// a run of one, since its top two bits would mark a count.
void encodeLine(std::vector<uint8_t>& out, const uint8_t* line, int length) {
    int i = 0;
    while (i < length) {
        const uint8_t value = line[i];
        int run = 1;
        while (i + run < length && run < 63 && line[i + run] == value) ++run;
        if (run > 1 || value >= 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
        out.push_back(value);
        i += run;
    }
}

}  // namespace

std::vector<uint8_t> encodePcx(const IndexedImage& image) {
    if (image.width < 1 || image.height < 1 || image.width > 65535 || image.height > 65535) {
        throw std::invalid_argument("PCX: picture size out of range");
    }
    if (image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
        throw std::invalid_argument("PCX: pixel count does not match the picture size");
    }
    const int bytesPerLine = (image.width + 1) & ~1;
    std::vector<uint8_t> out(128, 0);
    out[0] = 0x0A;  // manufacturer
    out[1] = 5;     // version with a 256-colour palette
    out[2] = 1;     // RLE encoding
    out[3] = 8;     // bits per pixel per plane
    put16(out, 4, 0);
    put16(out, 6, 0);
    put16(out, 8, image.width - 1);
    put16(out, 10, image.height - 1);
    put16(out, 12, 72);  // horizontal dpi
    put16(out, 14, 72);  // vertical dpi
    // 16..63: 16-colour palette, unused at 8 bits; 64: reserved.
    out[65] = 1;  // one plane
    put16(out, 66, bytesPerLine);
    put16(out, 68, 1);  // palette holds colours (not greys-only)
    // 70..127: screen size and filler, zero.

    std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine), 0);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = &image.pixels[static_cast<size_t>(y) * image.width];
        std::copy(row, row + image.width, line.begin());
        encodeLine(out, line.data(), bytesPerLine);
    }
    out.push_back(0x0C);
    out.insert(out.end(), image.palette.begin(), image.palette.end());
    return out;
}

}  // namespace gmcontent

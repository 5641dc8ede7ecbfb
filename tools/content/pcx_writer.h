// PCX (version 5, RLE) encoder for 8-bit paletted pictures.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace gmcontent {

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;        // width * height indices, top row first
    std::array<uint8_t, 768> palette{}; // 256 RGB triples
};

// Whole file: 128-byte header, RLE scanlines (even bytes per line), then the
// 0x0C marker and the 768-byte palette. Throws std::invalid_argument for a
// picture whose size does not fit the format or disagrees with its pixels.
std::vector<uint8_t> encodePcx(const IndexedImage& image);

}  // namespace gmcontent

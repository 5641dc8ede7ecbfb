// Windows picture files for the resource script: an 8-bit palette BMP (the
// dialog's banner bitmap) and an ICO holding several sizes (the program icon).
#pragma once

#include <cstdint>
#include <vector>

#include "content.h"

namespace gmcontent {

// BITMAPFILEHEADER, BITMAPINFOHEADER (8 bits, BI_RGB, 256 colours), the
// palette as 256 BGR0 quadruples, then the rows bottom-up, each padded to 4
// bytes. Throws std::invalid_argument for a picture whose pixels disagree
// with its size.
std::vector<uint8_t> encodeBmp8(const IndexedImage& image);

// An icon directory with one entry per picture, in the order given. Pictures
// below 256 pixels are 32-bit DIBs (BGRA bottom-up, then the 1-bit mask set
// where alpha is 0); a 256-pixel one is stored as PNG, as Windows expects of
// that size. Each picture must be square, 1 to 256 pixels; throws
// std::invalid_argument otherwise or for an empty list.
std::vector<uint8_t> encodeIco(const std::vector<RgbaImage>& pictures);

}  // namespace gmcontent

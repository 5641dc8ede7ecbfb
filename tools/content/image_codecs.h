// JPEG and PNG encoding of 8-bit RGB (and RGBA) pictures (stb_image_write) into memory.
#pragma once

#include <cstdint>
#include <vector>

namespace gmcontent {

// `rgb` holds width * height * 3 bytes, top row first. Throw
// std::invalid_argument on a size mismatch, std::runtime_error if encoding fails.
std::vector<uint8_t> encodeJpeg(const std::vector<uint8_t>& rgb, int width, int height, int quality);
std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgb, int width, int height);
// The same for RGBA: width * height * 4 bytes, straight (not premultiplied) alpha.
std::vector<uint8_t> encodePngRgba(const std::vector<uint8_t>& rgba, int width, int height);

}  // namespace gmcontent

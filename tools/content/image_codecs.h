// JPEG and PNG encoding of 8-bit RGB pictures (stb_image_write) into memory.
#pragma once

#include <cstdint>
#include <vector>

namespace gmcontent {

// `rgb` holds width * height * 3 bytes, top row first. Throw
// std::invalid_argument on a size mismatch, std::runtime_error if encoding fails.
std::vector<uint8_t> encodeJpeg(const std::vector<uint8_t>& rgb, int width, int height, int quality);
std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgb, int width, int height);

}  // namespace gmcontent

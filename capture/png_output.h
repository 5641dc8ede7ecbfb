// PNG encoding and writing of RGB pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/image.h"

namespace capture {

// The picture as PNG file bytes. Throws std::runtime_error if encoding fails.
std::vector<std::uint8_t> encodePng(const Image& image);

// Writes the picture as a PNG under a temporary name and renames it on
// success. Throws std::runtime_error naming the file.
void writePng(const std::string& path, const Image& image);

}  // namespace capture

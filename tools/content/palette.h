// Reduction of an RGB picture to 256 colours (median cut, nearest colour).
#pragma once

#include <cstdint>
#include <vector>

#include "pcx_writer.h"

namespace gmcontent {

// `rgb` holds width * height * 3 bytes. Unused palette entries are black.
IndexedImage quantise(const std::vector<uint8_t>& rgb, int width, int height);

}  // namespace gmcontent

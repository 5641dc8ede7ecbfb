// Test helper: decodes PNG (or any stb-readable picture) bytes back to RGB.
#pragma once

#include <vector>

#include "capture/pictures.h"

namespace capturetest {

// The picture as RGB; an empty Image (0 x 0) when the bytes do not decode.
capture::Image decodePicture(const std::vector<unsigned char>& bytes);

}  // namespace capturetest

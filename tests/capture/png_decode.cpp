// Decoding for the capture tests, through stb_image.
#include "png_decode.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace capturetest {

capture::Image decodePicture(const std::vector<unsigned char>& bytes) {
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3);
    capture::Image image;
    if (!data) return image;
    image.width = w;
    image.height = h;
    image.rgb.assign(data, data + static_cast<std::size_t>(w) * h * 3);
    stbi_image_free(data);
    return image;
}

}  // namespace capturetest

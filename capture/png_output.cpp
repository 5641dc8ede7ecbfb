// PNG files through stb_image_write.
#include "capture/png_output.h"

#include <stdexcept>

#include "capture/partial_file.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace capture {

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<std::uint8_t> encodePng(const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        throw std::runtime_error("cannot encode a PNG of " + std::to_string(image.width) + "x" +
                                 std::to_string(image.height) + " from " + std::to_string(image.rgb.size()) + " bytes");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.rgb.size() / 2);
    if (!stbi_write_png_to_func(appendBytes, &bytes, image.width, image.height, 3, image.rgb.data(), image.width * 3))
        throw std::runtime_error("PNG encoding failed");
    return bytes;
}

void writePng(const std::string& path, const Image& image) {
    const std::vector<std::uint8_t> bytes = encodePng(image);
    writeFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace capture

// stb_image_write behind a memory sink.
#include "image_codecs.h"

#include <stb/stb_image_write.h>

#include <stdexcept>

namespace gmcontent {

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

void checkSize(const std::vector<uint8_t>& pixels, int width, int height, int channels = 3) {
    if (width < 1 || height < 1 || pixels.size() != static_cast<size_t>(width) * height * channels) {
        throw std::invalid_argument("picture size does not match its pixel data");
    }
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const std::vector<uint8_t>& rgb, int width, int height, int quality) {
    checkSize(rgb, width, height);
    std::vector<uint8_t> out;
    if (stbi_write_jpg_to_func(appendBytes, &out, width, height, 3, rgb.data(), quality) == 0) {
        throw std::runtime_error("JPEG encoding failed");
    }
    return out;
}

std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgb, int width, int height) {
    checkSize(rgb, width, height);
    std::vector<uint8_t> out;
    if (stbi_write_png_to_func(appendBytes, &out, width, height, 3, rgb.data(), width * 3) == 0) {
        throw std::runtime_error("PNG encoding failed");
    }
    return out;
}

std::vector<uint8_t> encodePngRgba(const std::vector<uint8_t>& rgba, int width, int height) {
    checkSize(rgba, width, height, 4);
    std::vector<uint8_t> out;
    if (stbi_write_png_to_func(appendBytes, &out, width, height, 4, rgba.data(), width * 4) == 0) {
        throw std::runtime_error("PNG encoding failed");
    }
    return out;
}

}  // namespace gmcontent

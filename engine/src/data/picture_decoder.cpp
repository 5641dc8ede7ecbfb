// Picture decoding on every platform: JPEG through stb_image (compiled into
// the engine, JPEG only), PCX through the engine's own decoder, each after
// the checks of its header (picture_format.h).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include <cstring>
#include <memory>

#include "core/failure.h"
#include "data/image.h"
#include "data/picture_format.h"

namespace fluxcore {

namespace {

Image decodeJpeg(const std::vector<unsigned char>& bytes, const std::string& name) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        fail("%s: cannot decode picture (not a JPEG file)", name.c_str());
    if (!jpegEndsWhole(bytes)) fail("%s: cannot decode picture (JPEG data cut short)", name.c_str());
    if (const std::string fault = jpegHuffmanTablesFault(bytes); !fault.empty())
        fail("%s: cannot decode picture (%s)", name.c_str(), fault.c_str());
    int width = 0, height = 0, components = 0;
    if (jpegHeaderSize(bytes, width, height, &components)) refuseOversized(name, width, height);
    if (components == 4)
        fail("%s: cannot decode picture (a CMYK JPEG; save it as RGB or greyscale)", name.c_str());
    int channels = 0;
    const std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4),
        stbi_image_free);
    if (!pixels) fail("%s: cannot decode picture (%s)", name.c_str(), stbi_failure_reason());
    refuseOversized(name, width, height);
    Image image;
    image.width = width;
    image.height = height;
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    image.rgba.assign(pixels.get(), pixels.get() + size);
    return image;
}

}  // namespace

Image decodeImage(const std::vector<unsigned char>& bytes, const std::string& name) {
    if (bytes.empty()) fail("%s: cannot decode picture (empty file)", name.c_str());
    const std::string ext = lowerExtension(name);
    Image image;
    if (ext == "jpg" || ext == "jpeg") {
        image = decodeJpeg(bytes, name);
    } else if (ext == "pcx") {
        image = decodePcx(bytes, name);
    } else {
        fail("%s: cannot decode picture (only JPEG and PCX are read)", name.c_str());
    }
    if (image.width <= 0 || image.height <= 0) fail("%s: picture has no pixels", name.c_str());
    return image;
}

}  // namespace fluxcore

// libFuzzer target: picture decoding as dmsUploadTextures does it (stb_image
// for JPEG, the engine's own decoder for PCX, from memory, to RGBA) and the
// upload that follows, into the recording GL layer. The decoder goes by the
// name's extension, so the name is the archive's own for the content (a PCX
// file starts with byte 0x0A).
#include <cstdint>
#include <vector>

#include "glrecord.h"
#include "data/image.h"
#include "graphics/texture_upload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* name = size > 0 && data[0] == 0x0A ? "fontti.pcx" : "loadpic.jpg";
    const std::vector<unsigned char> bytes(data, data + size);
    glrecord::setMode(glrecord::Mode::Count);
    glrecord::reset();
    try {
        const fluxcore::Image image = fluxcore::decodeImage(bytes, name);
        if (image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) __builtin_trap();
        // The limits of a GL 1.1 context without non-power-of-two textures:
        // the path that scales.
        fluxcore::uploadTexture(image, fluxcore::textureLimitsFrom("1.1", "", 1024));
    } catch (const char*) {
    }
    return 0;
}

// Picture decoding through SDL2_image, from memory.
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <memory>

#include "failure.h"
#include "image.h"
#include "picture_format.h"

namespace fluxcore {

namespace {

using Surface = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

// The archive's pictures are JPEG and PCX files and are decoded as what their
// name says, never as whatever other format the bytes resemble: SDL2_image
// would otherwise try every decoder it has (SVG, XCF, XPM, ...) on them.
Surface decodeSurface(SDL_RWops* source, const std::vector<unsigned char>& bytes, const std::string& name) {
    const std::string ext = lowerExtension(name);
    SDL_Surface* decoded = nullptr;
    if (ext == "jpg" || ext == "jpeg") {
        if (!IMG_isJPG(source)) fail("%s: cannot decode picture (not a JPEG file)", name.c_str());
        if (!jpegEndsWhole(bytes)) fail("%s: cannot decode picture (JPEG data cut short)", name.c_str());
        int width = 0, height = 0, components = 0;
        if (jpegHeaderSize(bytes, width, height, &components)) refuseOversized(name, width, height);
        // SDL2_image hands CMYK samples on as if they were RGB: the picture
        // would show in inverted colours.
        if (components == 4)
            fail("%s: cannot decode picture (a CMYK JPEG; save it as RGB or greyscale)", name.c_str());
        decoded = IMG_LoadJPG_RW(source);
    } else if (ext == "pcx") {
        if (!IMG_isPCX(source)) fail("%s: cannot decode picture (not a PCX file)", name.c_str());
        int width = 0, height = 0;
        if (pcxHeaderSize(bytes, width, height)) refuseOversized(name, width, height);
        decoded = IMG_LoadPCX_RW(source);
    } else {
        decoded = IMG_LoadTyped_RW(source, 0, ext.c_str());
    }
    if (!decoded) fail("%s: cannot decode picture (%s)", name.c_str(), IMG_GetError());
    return Surface(decoded, SDL_FreeSurface);
}

}  // namespace

Image decodeImage(const std::vector<unsigned char>& bytes, const std::string& name) {
    if (bytes.empty()) fail("%s: cannot decode picture (empty file)", name.c_str());
    const std::unique_ptr<SDL_RWops, int (*)(SDL_RWops*)> source(
        SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), SDL_RWclose);
    if (!source) fail("%s: cannot decode picture (%s)", name.c_str(), SDL_GetError());
    const Surface original = decodeSurface(source.get(), bytes, name);
    refuseOversized(name, original->w, original->h);
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(original.get(), SDL_PIXELFORMAT_RGBA32, 0);
    if (!converted) fail("%s: cannot convert picture to RGBA (%s)", name.c_str(), SDL_GetError());
    const Surface rgba(converted, SDL_FreeSurface);
    if (converted->w <= 0 || converted->h <= 0) fail("%s: picture has no pixels", name.c_str());

    Image image;
    image.width = converted->w;
    image.height = converted->h;
    const std::size_t row = static_cast<std::size_t>(image.width) * 4;
    image.rgba.resize(row * static_cast<std::size_t>(image.height));
    if (SDL_MUSTLOCK(converted)) SDL_LockSurface(converted);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(image.rgba.data() + row * static_cast<std::size_t>(y),
                    static_cast<const unsigned char*>(converted->pixels) + static_cast<std::size_t>(y) * converted->pitch,
                    row);
    }
    if (SDL_MUSTLOCK(converted)) SDL_UnlockSurface(converted);
    return image;
}

}  // namespace fluxcore

// Picture decoding through SDL2_image, from memory.
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <memory>

#include "failure.h"
#include "image.h"

namespace fluxcore {

Image decodeImage(const std::vector<unsigned char>& bytes, const std::string& name) {
    if (bytes.empty()) fail("%s: cannot decode picture (empty file)", name.c_str());
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source) fail("%s: cannot decode picture (%s)", name.c_str(), SDL_GetError());
    const std::size_t dot = name.rfind('.');
    const std::string type = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    // Frees the RWops whatever happens.
    SDL_Surface* decoded = IMG_LoadTyped_RW(source, 1, type.c_str());
    if (!decoded) fail("%s: cannot decode picture (%s)", name.c_str(), IMG_GetError());
    const std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> original(decoded, SDL_FreeSurface);
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
    if (!converted) fail("%s: cannot convert picture to RGBA (%s)", name.c_str(), SDL_GetError());
    const std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> rgba(converted, SDL_FreeSurface);
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

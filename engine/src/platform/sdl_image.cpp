// Picture decoding through SDL2_image, from memory.
#include <SDL.h>
#include <SDL_image.h>

#include <cctype>
#include <cstring>
#include <memory>

#include "failure.h"
#include "image.h"

namespace fluxcore {

namespace {

std::string lowerExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// libjpeg fills the rest of a JPEG file that was cut short with grey and only
// warns; a whole file ends with the end-of-image marker.
bool jpegEndsWhole(const std::vector<unsigned char>& bytes) {
    const std::size_t n = bytes.size();
    return n >= 4 && bytes[n - 2] == 0xFF && bytes[n - 1] == 0xD9;
}

int le16(const std::vector<unsigned char>& bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

// The size a PCX header claims (its window's corners are inclusive).
bool pcxHeaderSize(const std::vector<unsigned char>& bytes, int& width, int& height) {
    if (bytes.size() < 128) return false;
    width = le16(bytes, 8) - le16(bytes, 4) + 1;
    height = le16(bytes, 10) - le16(bytes, 6) + 1;
    return true;
}

// The size and colour component count in a JPEG's first start-of-frame
// segment: walks the marker segments from the start of the file up to it.
bool jpegHeaderSize(const std::vector<unsigned char>& bytes, int& width, int& height, int* components = nullptr) {
    std::size_t at = 2;  // past the start-of-image marker
    while (at + 9 <= bytes.size() && bytes[at] == 0xFF) {
        const unsigned char marker = bytes[at + 1];
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            height = bytes[at + 5] << 8 | bytes[at + 6];
            width = bytes[at + 7] << 8 | bytes[at + 8];
            if (components) *components = at + 9 < bytes.size() ? bytes[at + 9] : 0;
            return true;
        }
        at += 2 + static_cast<std::size_t>(bytes[at + 2] << 8 | bytes[at + 3]);
    }
    return false;
}

void refuseOversized(const std::string& name, int width, int height) {
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        fail("%s: picture is %dx%d, larger than %dx%d", name.c_str(), width, height, kMaxPictureSide, kMaxPictureSide);
}

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

bool pictureHeaderSize(const std::vector<unsigned char>& bytes, const std::string& name, int& width, int& height) {
    const std::string ext = lowerExtension(name);
    if (ext == "jpg" || ext == "jpeg") return bytes.size() > 2 && jpegHeaderSize(bytes, width, height);
    if (ext == "pcx") return pcxHeaderSize(bytes, width, height);
    return false;
}

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

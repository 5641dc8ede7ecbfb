// SDL2_image and archive wrappers for the content tests.
#include "decode_helpers.h"

#include <SDL_image.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "data/zip_archive.h"

namespace contenttest {

Surface decode(const std::vector<uint8_t>& bytes, const char* type) {
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return Surface(IMG_LoadTyped_RW(rw, 1, type));
}

Surface decodeRgb(const std::vector<uint8_t>& bytes, const char* type) {
    Surface s = decode(bytes, type);
    if (!s) return s;
    return Surface(SDL_ConvertSurfaceFormat(s.get(), SDL_PIXELFORMAT_RGB24, 0));
}

const uint8_t* pixelAt(const SDL_Surface* rgb, int x, int y) {
    return static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch + x * 3;
}

MountedArchive::MountedArchive(const std::vector<uint8_t>& zip) : path_(folder_.write("archive", zip)) {
    try {
        zip_ = std::make_unique<fluxcore::ZipArchive>(path_, path_);
    } catch (const char*) {
        // ok() says it did not open.
    }
}

MountedArchive::~MountedArchive() = default;

std::vector<std::string> MountedArchive::members() const {
    if (!zip_) return {};
    std::vector<std::string> names = zip_->files();
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> MountedArchive::read(const std::string& name) const {
    std::vector<uint8_t> bytes;
    try {
        if (!zip_ || !zip_->read(name, bytes)) bytes.clear();
    } catch (const char*) {
        bytes.clear();
    }
    return bytes;
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace contenttest

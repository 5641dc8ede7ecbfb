// SDL2_image and PhysicsFS wrappers for the content tests.
#include "decode_helpers.h"

#include <SDL_image.h>
#include <physfs.h>

#include <fstream>
#include <iterator>

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
    if (!PHYSFS_isInit() && !PHYSFS_init(nullptr)) return;
    ok_ = PHYSFS_mount(path_.c_str(), "/", 0) != 0;
}

MountedArchive::~MountedArchive() {
    if (ok_) PHYSFS_unmount(path_.c_str());
    if (PHYSFS_isInit()) PHYSFS_deinit();
}

std::vector<std::string> MountedArchive::members() const {
    std::vector<std::string> names;
    char** list = PHYSFS_enumerateFiles("/");
    for (char** i = list; i != nullptr && *i != nullptr; ++i) names.emplace_back(*i);
    PHYSFS_freeList(list);
    return names;
}

std::vector<uint8_t> MountedArchive::read(const std::string& name) const {
    PHYSFS_File* f = PHYSFS_openRead(name.c_str());
    if (f == nullptr) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(PHYSFS_fileLength(f)));
    const PHYSFS_sint64 got = PHYSFS_readBytes(f, bytes.data(), bytes.size());
    PHYSFS_close(f);
    if (got != static_cast<PHYSFS_sint64>(bytes.size())) return {};
    return bytes;
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace contenttest

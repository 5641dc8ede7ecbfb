// Decoding helpers for the content tests: SDL2_image from memory and the
// engine's ZIP reader (itself checked against zlib) over an archive file.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace fluxcore {
class ZipArchive;
}

namespace contenttest {

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Decodes with SDL2_image; `type` is "JPG" or "PCX". Null on failure.
Surface decode(const std::vector<uint8_t>& bytes, const char* type);
// The same picture converted to RGB24 so pixels can be read directly.
Surface decodeRgb(const std::vector<uint8_t>& bytes, const char* type);
const uint8_t* pixelAt(const SDL_Surface* rgb, int x, int y);

// An archive opened by the engine's reader for the life of the object. It goes
// through a file in a temporary folder, as the engine opens a file too.
class MountedArchive {
public:
    explicit MountedArchive(const std::vector<uint8_t>& zip);
    ~MountedArchive();
    MountedArchive(const MountedArchive&) = delete;
    MountedArchive& operator=(const MountedArchive&) = delete;
    bool ok() const { return zip_ != nullptr; }
    std::vector<std::string> members() const;  // sorted by name
    std::vector<uint8_t> read(const std::string& name) const;

private:
    testsupport::TempFolder folder_{"gm-content-test"};
    std::string path_;
    std::unique_ptr<fluxcore::ZipArchive> zip_;
};

std::vector<uint8_t> readAll(const std::string& path);

}  // namespace contenttest

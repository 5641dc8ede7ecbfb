// Test inputs made from bytes, deterministically: stored ZIP archives, JPEG and
// PCX pictures, and a temporary folder that cleans up after itself.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace enginetest {

using Bytes = std::vector<unsigned char>;

// A ZIP archive with every entry stored (no compression).
Bytes makeZip(const std::vector<std::pair<std::string, Bytes>>& entries);

// A baseline JPEG of one flat colour.
Bytes makeJpeg(int width, int height, unsigned char r, unsigned char g, unsigned char b);

// An 8-bit paletted, run-length encoded PCX. `indices` holds width*height
// palette indices, rows top to bottom; `palette` 256 RGB triples.
Bytes makePcx(int width, int height, const Bytes& indices, const Bytes& palette);

// A grey-ramp palette: index i is (i, i, i).
Bytes greyPalette();

Bytes textBytes(const std::string& text);

// A fresh folder under the system's temporary folder, removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes the bytes to a file in the folder and returns its path.
    std::string write(const std::string& name, const Bytes& bytes) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace enginetest

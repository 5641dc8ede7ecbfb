// Test inputs made from bytes, deterministically: stored ZIP archives, JPEG and
// PCX pictures. Their temporary folder is testsupport::TempFolder.
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

}  // namespace enginetest

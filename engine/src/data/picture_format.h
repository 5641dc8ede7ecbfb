// What the engine reads from a picture file before decoding it: its kind by
// name, whether a JPEG ends whole, and the size its header claims. Shared by
// the decoder and the texture budget's look at the headers.
#pragma once

#include <string>
#include <vector>

#include "data/archive.h"
#include "data/image.h"

namespace fluxcore {

// A whole JPEG file ends with the end-of-image marker (libjpeg fills a file
// that was cut short with grey and only warns).
bool jpegEndsWhole(const std::vector<unsigned char>& bytes);

// The largest Huffman table of the JPEG, in codes, over every table
// definition of the file (those between the scans of a progressive JPEG, and
// after bytes that are no marker, which stb_image skips, too); 0 without one. A table holds at most 256 codes: stb_image writes past
// its arrays on a larger one, so the decoder refuses it first.
int jpegLargestHuffmanTable(const std::vector<unsigned char>& bytes);

// The size and colour component count in a JPEG's first start-of-frame
// segment, found by walking the marker segments from the start of the file.
bool jpegHeaderSize(const std::vector<unsigned char>& bytes, int& width, int& height, int* components = nullptr);

// The size a PCX header claims (its window's corners are inclusive).
bool pcxHeaderSize(const std::vector<unsigned char>& bytes, int& width, int& height);

// A failure naming the picture when a side is beyond kMaxPictureSide.
void refuseOversized(const std::string& name, int width, int height);

// Decodes an 8-bit PCX (version 5, run-length coded): one plane with the
// 256-colour palette at the end of the file, or three planes of red, green
// and blue. Alpha is opaque. Anything else, or a file cut short, is a failure
// naming the picture.
Image decodePcx(const std::vector<unsigned char>& bytes, const std::string& name);

}  // namespace fluxcore

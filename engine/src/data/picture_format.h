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

// What is wrong with the JPEG's Huffman tables, or "" when nothing is: a
// table of more than 256 codes, or a scan that decodes with a table no
// definition before it made. stb_image writes past its tables on the first
// and reads memory it never set on the second, so the decoder refuses both
// first. Every table definition and scan of the file is looked at, as
// stb_image reads them (across padding between segments, between the scans
// of a progressive JPEG).
std::string jpegHuffmanTablesFault(const std::vector<unsigned char>& bytes);

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

// Decoded pictures: what a picture file decodes to, and the checks made
// before decoding (one decoder on every platform: stb_image for JPEG, the
// engine's own for PCX).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fluxcore {

// A decoded picture: rows top to bottom, 4 bytes (R, G, B, A) per pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

// The largest picture side the engine accepts. A damaged header can claim a
// picture of gigabytes; it is refused before anything that size is allocated.
constexpr int kMaxPictureSide = 8192;

// Decodes a JPEG or PCX (or any format the decoder knows) from memory. A
// picture that cannot be decoded is a failure naming `name`.
Image decodeImage(const std::vector<unsigned char>& bytes, const std::string& name);

// The size a JPEG or PCX header claims, read without decoding. False when the
// header says nothing (another format, a damaged header).
bool pictureHeaderSize(const std::vector<unsigned char>& bytes, const std::string& name, int& width, int& height);

// True for the archive files dmsUploadTextures turns into textures.
bool isPictureFile(const std::string& name);

}  // namespace fluxcore

// Decoded pictures and their conversion into GL textures.
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

// The whole texture set, as RGBA at the pictures' own sizes, stays within this
// (one picture of the largest size, 8192 x 8192, fits).
constexpr unsigned long long kTextureBudgetBytes = 256ull << 20;

// Decodes a JPEG or PCX (or any format the decoder knows) from memory. A
// picture that cannot be decoded is a failure naming `name`.
Image decodeImage(const std::vector<unsigned char>& bytes, const std::string& name);

// The size a JPEG or PCX header claims, read without decoding. False when the
// header says nothing (another format, a damaged header).
bool pictureHeaderSize(const std::vector<unsigned char>& bytes, const std::string& name, int& width, int& height);

// True for the archive files dmsUploadTextures turns into textures.
bool isPictureFile(const std::string& name);

// What the current context can take.
struct TextureLimits {
    bool nonPowerOfTwo = false;  // any size; otherwise sizes are scaled to powers of two
    int maxSize = 1024;          // largest edge
};

// Reads the limits from GL version and extension texts (either may be null).
TextureLimits textureLimitsFrom(const char* version, const char* extensions, int maxSize);
// The limits of the current context.
TextureLimits queryTextureLimits();

// The size a picture edge is uploaded at under these limits.
int uploadEdge(int edge, const TextureLimits& limits);

// Makes a GL texture (linear filtering, clamped to the edge) from the picture
// and returns its name. The picture is scaled where the limits ask for it.
unsigned int uploadTexture(const Image& image, const TextureLimits& limits);

}  // namespace fluxcore

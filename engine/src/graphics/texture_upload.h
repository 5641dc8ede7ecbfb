// Texture limits of the current context and the upload of decoded pictures
// into GL textures.
#pragma once

#include "data/image.h"

namespace fluxcore {

// The whole texture set, as RGBA at the pictures' own sizes, stays within this:
// one picture of the largest size (8192 x 8192, 256 MiB) and 64 MiB for the
// others the demo draws with (the sprite, the font sheet), so the largest
// loading picture the side limit allows is taken.
constexpr unsigned long long kTextureBudgetBytes = (256ull + 64ull) << 20;

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

// The sprite: a soft round glow on black for additive blending. Grey only,
// so the drawing colour tints it; it reaches exact black 8 pixels inside the
// border, so whole border blocks of the JPEG stay black and no square shows.
#include <algorithm>
#include <cmath>

#include "content.h"
#include "image_codecs.h"

namespace gmcontent {

RgbImage renderParticle() {
    RgbImage image(kParticleSize, kParticleSize);
    const double centre = kParticleSize / 2.0;
    const double reach = centre - 8.0;  // glow is zero from here outwards
    for (int y = 0; y < kParticleSize; ++y) {
        for (int x = 0; x < kParticleSize; ++x) {
            const double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
            const double r = std::sqrt(dx * dx + dy * dy) / reach;
            double v = 0.0;
            if (r < 1.0) {
                const double fall = (1.0 - r) * (1.0 - r);
                const double core = std::exp(-r * r * 28.0);
                v = std::min(1.0, 0.62 * fall + 0.55 * core);
            }
            float* p = image.pixel(x, y);
            p[0] = p[1] = p[2] = static_cast<float>(v);
        }
    }
    return image;
}

std::vector<uint8_t> particleJpeg() {
    const RgbImage image = renderParticle();
    return encodeJpeg(image.toBytes(), image.width(), image.height(), kJpegQuality);
}

}  // namespace gmcontent

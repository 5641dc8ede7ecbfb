// Title lettering: the typeface rasterised with supersampling, with glow.
#include "content.h"
#include "glyphs.h"

namespace gmcontent {

void paintLettering(RgbImage& image, const std::string& text, Point origin, double scale, double tracking,
                    double pen, double glow) {
    StrokeMask mask(image.width(), image.height(), 6);
    mask.stroke(layoutText(text, origin, scale, tracking), pen);
    const Plane cover = mask.resolve();
    Plane wide = cover;
    blur(wide, 5.0 * glow);
    Plane near = cover;
    blur(near, 1.5 * glow);
    image.addGlow(wide, 0.25f, 0.65f, 1.4f);
    image.addGlow(near, 0.25f, 0.45f, 0.7f);
    image.paintOver(cover, 0.93f, 0.97f, 1.0f);
}

}  // namespace gmcontent

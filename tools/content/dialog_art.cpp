// The setup dialog's pictures: the banner (the title card's globe and title
// in a 4:1 strip, reduced to 256 colours) and the window icon, a small glass
// globe with its lit meridian on a transparent ground (also the art of the
// desktop icon, app_icon.cpp).
#include <algorithm>
#include <cmath>

#include "backdrop.h"
#include "content.h"
#include "glyphs.h"
#include "palette.h"

namespace gmcontent {

RgbImage renderBanner() {
    RgbImage image(kBannerWidth, kBannerHeight);
    const float top[3] = {0.004f, 0.01f, 0.035f};
    const float bottom[3] = {0.02f, 0.06f, 0.16f};
    paintSky(image, top, bottom, 0.0015, 0xB4A1u);

    GlobeView globe;
    globe.cx = kBannerWidth * 0.5;
    globe.cy = 306.0;
    globe.radius = 262.0;
    globe.tilt = 0.55;
    globe.yaw = 0.05;
    globe.meridians = 16;
    globe.parallels = 9;
    globe.line = 0.4;
    globe.glow = 0.5;
    paintGlobe(image, globe);

    const std::string title = "GLASS MERIDIAN";
    const double scale = 1.5, tracking = 2.4;
    const double width = textWidth(title, tracking) * scale;
    paintLettering(image, title, {(kBannerWidth - width) / 2.0, 30.0}, scale, tracking, 0.62, 0.9);
    addGrain(image, 1.0, 0x77E1u);
    return image;
}

RgbaImage renderIconArt(int design, int pixels) {
    // Drawn on a square with the globe filling most of it; strokes, glow and
    // edge grow with pixels / design, so any size shows the design's picture.
    const double scale = static_cast<double>(pixels) / design;
    RgbImage colour(pixels, pixels);
    GlobeView globe;
    globe.cx = pixels / 2.0;
    globe.cy = pixels / 2.0;
    globe.radius = pixels * 0.46;
    globe.tilt = 0.45;
    globe.yaw = 0.31;
    globe.meridians = design >= 32 ? 8 : 4;
    globe.parallels = design >= 32 ? 3 : 1;
    globe.line = (design >= 32 ? 0.55 : 0.45) * scale;
    globe.glow = pixels / 64.0;
    paintGlobe(colour, globe);

    RgbaImage out;
    out.width = pixels;
    out.height = pixels;
    out.pixels.resize(static_cast<size_t>(pixels) * pixels * 4);
    const std::vector<uint8_t> rgb = colour.toBytes();
    const double edge = globe.radius + 0.6 * scale;  // the halo's first pixel stays faintly visible
    for (int y = 0; y < pixels; ++y) {
        for (int x = 0; x < pixels; ++x) {
            const double dx = x + 0.5 - globe.cx, dy = y + 0.5 - globe.cy;
            const double alpha = std::clamp(edge - std::sqrt(dx * dx + dy * dy) + 0.5, 0.0, 1.0);
            const size_t i = static_cast<size_t>(y) * pixels + x;
            for (int c = 0; c < 3; ++c) out.pixels[i * 4 + c] = rgb[i * 3 + c];
            out.pixels[i * 4 + 3] = static_cast<uint8_t>(std::lround(alpha * 255.0));
        }
    }
    return out;
}

RgbaImage renderIcon(int size) { return renderIconArt(size, size); }

DialogArt renderDialogArt() {
    const RgbImage banner = renderBanner();
    return DialogArt{quantise(banner.toBytes(), banner.width(), banner.height()), renderIcon(16), renderIcon(32)};
}

}  // namespace gmcontent

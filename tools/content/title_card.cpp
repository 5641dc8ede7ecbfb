// The loading picture: a glass globe rising from the lower edge under a deep
// blue sky, with the title above it.
#include "backdrop.h"
#include "content.h"
#include "glyphs.h"
#include "image_codecs.h"

namespace gmcontent {

RgbImage renderTitleCard() {
    RgbImage image(kTitleWidth, kTitleHeight);
    const float top[3] = {0.004f, 0.008f, 0.03f};
    const float bottom[3] = {0.02f, 0.06f, 0.17f};
    paintSky(image, top, bottom, 0.0009, 0x51A7u);

    GlobeView globe;
    globe.cx = kTitleWidth * 0.5;
    globe.cy = kTitleHeight + 330.0;
    globe.radius = 800.0;
    globe.tilt = 0.55;
    globe.yaw = 0.31;
    globe.meridians = 20;
    globe.parallels = 13;
    globe.line = 1.0;
    globe.glow = 2.0;
    paintGlobe(image, globe);

    const std::string title = "GLASS MERIDIAN";
    const double scale = 6.6, tracking = 3.2;
    const double width = textWidth(title, tracking) * scale;
    paintLettering(image, title, {(kTitleWidth - width) / 2.0, 330.0}, scale, tracking, 2.9, 4.0);

    vignette(image, 0.35);
    addGrain(image, 1.6, 0x6A11u);
    return image;
}

std::vector<uint8_t> titleCardJpeg() {
    const RgbImage image = renderTitleCard();
    return encodeJpeg(image.toBytes(), image.width(), image.height(), kJpegQuality);
}

}  // namespace gmcontent

// The generated content of the demo: what each picture is and the bytes of
// each file the build packs or compiles. Every function is deterministic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pcx_writer.h"
#include "raster.h"

namespace gmcontent {

constexpr int kTitleWidth = 1280;
constexpr int kTitleHeight = 960;
constexpr int kParticleSize = 128;
constexpr int kFontCell = 32;
constexpr int kFontSheetSize = 16 * kFontCell;
constexpr int kBannerWidth = 256;
constexpr int kBannerHeight = 64;
constexpr int kJpegQuality = 92;

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // RGBA, top row first
};

struct DialogArt {
    IndexedImage banner;
    RgbaImage iconSmall;  // 16 x 16
    RgbaImage iconBig;    // 32 x 32
};

RgbImage renderTitleCard();
RgbImage renderParticle();
IndexedImage renderFontSheet();
RgbImage renderBanner();
// The icon's art: design 16 (fewer, finer lines) or 32 and up, drawn on
// pixels x pixels; renderIcon(size) draws design `size` at its own size.
RgbaImage renderIconArt(int design, int pixels);
RgbaImage renderIcon(int size);
DialogArt renderDialogArt();

// The desktop icon in the hicolor theme's sizes (kAppIconSizes): the dialog
// icon's art drawn at kAppIconMaster times its design size and reduced to each
// size by reduceImage (design 16 below 32 pixels, as in the dialog, else 32).
constexpr int kAppIconSizes[] = {16, 32, 48, 64, 128, 256};
constexpr int kAppIconMaster = 32;
std::vector<RgbaImage> renderAppIcons();  // one per kAppIconSizes, in order
// Resamples to width x height with a Lanczos-3 filter widened by the
// reduction, in linear light with premultiplied alpha (no colour bleeds from
// transparent pixels, thin bright lines keep their energy). Deterministic.
RgbaImage reduceImage(const RgbaImage& source, int width, int height);

// Files.
std::vector<uint8_t> titleCardJpeg();
std::vector<uint8_t> particleJpeg();
std::vector<uint8_t> fontSheetPcx();
// C++ source defining glassmeridian::kBanner, kIconSmall and kIconBig.
std::string dialogResourcesSource(const DialogArt& art);
// The Windows setup dialog's DIALOGEX resource from the dialog model's
// control table (dialog_template.cpp), with its strings in code page 1252.
std::string dialogTemplateScript();
// UTF-8 text as a quoted resource-script string in code page 1252, every
// character outside printable ASCII as an octal escape; throws
// std::invalid_argument for characters beyond Latin-1's printable ones.
std::string resourceString(const std::string& utf8);

// Title lettering in the project's typeface: soft coloured glow, then the
// letters themselves over it. `origin` is the left end of the baseline.
void paintLettering(RgbImage& image, const std::string& text, Point origin, double scale, double tracking,
                    double pen, double glow);

}  // namespace gmcontent

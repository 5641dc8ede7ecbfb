// The Windows resources gm-content writes: the banner BMP and the icon ICO
// decoded back by SDL2_image, and the dialog template read back against the
// dialog model's table.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "content.h"
#include "decode_helpers.h"
#include "dialog_resources.h"
#include "host/setup_dialog_model.h"
#include "windows_images.h"

using namespace gmcontent;
using contenttest::decode;
using contenttest::readAll;

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<uint32_t>(b.at(at + 3)) << 24;
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b.at(at) | b.at(at + 1) << 8; }

// Any decoded surface as bytes R, G, B, A per pixel.
contenttest::Surface asRgba(contenttest::Surface s) {
    if (!s) return s;
    return contenttest::Surface(SDL_ConvertSurfaceFormat(s.get(), SDL_PIXELFORMAT_ABGR8888, 0));
}

std::array<uint8_t, 4> rgbaAt(const SDL_Surface* rgba, int x, int y) {
    const uint8_t* p = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

// Entry `index` of an icon file as an icon file of its own, so SDL2_image
// (which decodes one entry of a file) decodes that one.
std::vector<uint8_t> singleEntry(const std::vector<uint8_t>& ico, size_t index) {
    const size_t entry = 6 + 16 * index;
    const uint32_t size = le32(ico, entry + 8), offset = le32(ico, entry + 12);
    std::vector<uint8_t> out = {0, 0, 1, 0, 1, 0};
    out.insert(out.end(), ico.begin() + static_cast<long>(entry), ico.begin() + static_cast<long>(entry) + 12);
    out.insert(out.end(), {22, 0, 0, 0});
    out.insert(out.end(), ico.begin() + offset, ico.begin() + offset + size);
    return out;
}

// The colours of an icon's 32-bit DIB as a BMP file of their own: SDL2_image's
// icon reader takes the transparency from the mask alone, its BMP reader
// keeps the alpha channel.
std::vector<uint8_t> colourBmp(const std::vector<uint8_t>& dib) {
    const uint32_t width = le32(dib, 4), height = le32(dib, 8) / 2;
    const uint32_t size = 14 + 40 + width * height * 4;
    std::vector<uint8_t> out = {'B', 'M'};
    for (const uint32_t v : {size, 0u, 54u}) {
        for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
    }
    out.insert(out.end(), dib.begin(), dib.begin() + 40 + width * height * 4);
    for (int k = 0; k < 4; ++k) out[14 + 8 + k] = static_cast<uint8_t>(height >> (8 * k));
    return out;
}

}  // namespace

TEST(WindowsBanner, IsThe8BitBannerOfTheDesktopDialog) {
    const std::vector<uint8_t> bmp = readAll(std::string(GM_TEST_GEN_DIR) + "/banner.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(le16(bmp, 28), 8u);          // bits per pixel
    EXPECT_EQ(le32(bmp, 46), 256u);        // colours in the palette
    EXPECT_EQ(le32(bmp, 2), bmp.size());   // the file's size as its header says
    contenttest::Surface indexed = decode(bmp, "BMP");
    ASSERT_TRUE(indexed) << SDL_GetError();
    ASSERT_EQ(indexed->format->BitsPerPixel, 8);
    const contenttest::Surface s = asRgba(std::move(indexed));
    ASSERT_EQ(s->w, 256);
    ASSERT_EQ(s->h, 64);
    const glassmeridian::IndexedPicture& b = glassmeridian::kBanner;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 256; ++x) {
            const uint8_t index = b.pixels[y * 256 + x];
            const std::array<uint8_t, 4> got = rgbaAt(s.get(), x, y);
            for (int c = 0; c < 3; ++c) ASSERT_EQ(got[c], b.palette[index * 3 + c]) << x << "," << y;
        }
    }
}

TEST(WindowsBanner, RowsArePaddedAndStoredBottomUp) {
    IndexedImage image;
    image.width = 3;  // 3 bytes a row, padded to 4
    image.height = 2;
    image.pixels = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 256; ++i) image.palette[i * 3] = static_cast<uint8_t>(i * 10), image.palette[i * 3 + 2] = 7;
    const std::vector<uint8_t> bmp = encodeBmp8(image);
    EXPECT_EQ(bmp.size(), 14u + 40 + 1024 + 8);
    const contenttest::Surface s = asRgba(decode(bmp, "BMP"));
    ASSERT_TRUE(s) << SDL_GetError();
    for (int i = 0; i < 6; ++i) {
        const std::array<uint8_t, 4> got = rgbaAt(s.get(), i % 3, i / 3);
        EXPECT_EQ(got[0], i * 10) << i;
        EXPECT_EQ(got[2], 7) << i;
    }
    image.pixels.pop_back();
    EXPECT_THROW(encodeBmp8(image), std::invalid_argument);
}

TEST(WindowsIcon, HoldsEveryAppIconSizeAsDrawn) {
    const std::vector<uint8_t> ico = readAll(std::string(GM_TEST_GEN_DIR) + "/icon.ico");
    const std::vector<RgbaImage> icons = renderAppIcons();
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(le16(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(le16(ico, 4), icons.size());
    for (size_t k = 0; k < icons.size(); ++k) {
        const int n = icons[k].width;
        const size_t entry = 6 + 16 * k;
        EXPECT_EQ(ico[entry], n == 256 ? 0 : n);
        EXPECT_EQ(le16(ico, entry + 6), 32u);
        ASSERT_LE(le32(ico, entry + 12) + le32(ico, entry + 8), ico.size());
        std::vector<uint8_t> picture(ico.begin() + le32(ico, entry + 12),
                                     ico.begin() + le32(ico, entry + 12) + le32(ico, entry + 8));
        const contenttest::Surface s = asRgba(n == 256 ? decode(picture, "PNG") : decode(colourBmp(picture), "BMP"));
        ASSERT_TRUE(s) << n << ": " << SDL_GetError();
        ASSERT_EQ(s->w, n);
        ASSERT_EQ(s->h, n);
        // The mask, through SDL2_image's icon reader: transparent exactly where alpha is 0.
        const contenttest::Surface masked = n == 256 ? nullptr : asRgba(decode(singleEntry(ico, k), "ICO"));
        if (n < 256) {
            ASSERT_TRUE(masked) << n << ": " << SDL_GetError();
            ASSERT_EQ(masked->w, n);
        }
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const uint8_t* want = &icons[k].pixels[(static_cast<size_t>(y) * n + x) * 4];
                const std::array<uint8_t, 4> got = rgbaAt(s.get(), x, y);
                ASSERT_EQ(got[3], want[3]) << n << " at " << x << "," << y;
                if (want[3] > 0) {
                    for (int c = 0; c < 3; ++c) ASSERT_EQ(got[c], want[c]) << n << " at " << x << "," << y;
                }
                if (masked) {
                    ASSERT_EQ(rgbaAt(masked.get(), x, y)[3] == 0, want[3] == 0) << n << " at " << x << "," << y;
                }
            }
        }
    }
    EXPECT_THROW(encodeIco({}), std::invalid_argument);
    EXPECT_THROW(encodeIco({RgbaImage{4, 2, std::vector<uint8_t>(32)}}), std::invalid_argument);
}

TEST(WindowsIcon, FilesAreTheSameEveryRun) {
    testsupport::TempFolder folder("gm-windows-resources");
    const std::string command = std::string("'") + GM_CONTENT_TOOL + "' windows '" + folder.path() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* name : {"banner.bmp", "icon.ico", "setup_dialog.rc"}) {
        EXPECT_EQ(readAll(folder.file(name)), readAll(std::string(GM_TEST_GEN_DIR) + "/" + name)) << name;
    }
}

TEST(DialogTemplate, ListsTheModelsControlsInTableOrder) {
    std::istringstream script(dialogTemplateScript());
    std::string line;
    std::vector<std::string> controls;
    bool header = false;
    while (std::getline(script, line)) {
        if (line.rfind("IDD_SETUP DIALOGEX 0, 0, 182, 162", 0) == 0) header = true;
        if (line.rfind("    CONTROL ", 0) == 0) controls.push_back(line.substr(12));
    }
    EXPECT_TRUE(header);
    const std::string text = dialogTemplateScript();
    EXPECT_NE(text.find("STYLE DS_MODALFRAME | WS_CAPTION | WS_SYSMENU\n"), std::string::npos);
    EXPECT_NE(text.find("CAPTION \"Glass Meridian\"\n"), std::string::npos);
    EXPECT_NE(text.find("FONT 8, \"MS Sans Serif\"\n"), std::string::npos);
    EXPECT_EQ(text.find("WS_GROUP"), std::string::npos);  // the radio buttons are one set
    ASSERT_EQ(controls.size(), glassmeridian::kSetupControls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const glassmeridian::DialogControl& c = glassmeridian::kSetupControls[i];
        const glassmeridian::DialogRect& r = c.rect;
        const std::string geometry = ", " + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " +
                                     std::to_string(r.width) + ", " + std::to_string(r.height);
        EXPECT_EQ(controls[i].substr(controls[i].size() - geometry.size()), geometry) << controls[i];
        EXPECT_NE(controls[i].find(", " + std::to_string(c.id) + ", "), std::string::npos) << controls[i];
        EXPECT_EQ(controls[i].find("BS_FLAT") != std::string::npos, c.flat) << controls[i];
        EXPECT_EQ(controls[i].find("WS_TABSTOP") != std::string::npos, c.tabStop) << controls[i];
    }
    EXPECT_EQ(controls[0].substr(0, 14), "\"Vielleicht\", ");
    EXPECT_NE(controls[2].find("BS_AUTORADIOBUTTON"), std::string::npos);
    EXPECT_NE(controls[6].find("BS_AUTOCHECKBOX"), std::string::npos);
    EXPECT_EQ(controls[7].substr(0, 11), "\"H\\366ren\",");            // ö is 0xF6 in code page 1252
    EXPECT_EQ(controls[10].substr(0, 34), "IDB_BANNER, 0, \"Static\", SS_BITMAP");
    EXPECT_EQ(controls[11].substr(0, 13), "\"W\\374nsche\",");          // ü is 0xFC
}

TEST(DialogTemplate, StringsAreQuotedInCodePage1252) {
    EXPECT_EQ(resourceString("a \"b\" \\ \xc3\x84\xc3\x9f"), "\"a \"\"b\"\" \\\\ \\304\\337\"");
    EXPECT_THROW(resourceString("\xe2\x82\xac"), std::invalid_argument);  // the euro sign: beyond Latin-1
    EXPECT_THROW(resourceString("\xc3"), std::invalid_argument);          // cut short
    EXPECT_THROW(resourceString("tab\there"), std::invalid_argument);
}

// gm-content: makes the demo's pictures, font, dialog resources and data.pak.
//
//   gm-content assets DIR            loadpic.jpg, particle.jpg, fontti.pcx into DIR
//   gm-content dialog FILE.cpp       the dialog's banner and icons as C++
//   gm-content pack OUT.pak FILE...  a ZIP of the files under their base names
//   gm-content icons DIR NAME        the desktop icon as DIR/<n>x<n>/apps/NAME.png
//                                    for each size of the hicolor theme
//   gm-content windows DIR           the Windows resources: banner.bmp, icon.ico
//                                    and the dialog template setup_dialog.rc
//   gm-content preview DIR           PNG views of every picture, for looking at
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "content.h"
#include "file_io.h"
#include "image_codecs.h"
#include "windows_images.h"
#include "zip_writer.h"

namespace {

using namespace gmcontent;

std::string join(const std::string& dir, const char* name) { return (std::filesystem::path(dir) / name).string(); }

void writeAssets(const std::string& dir) {
    writeFile(join(dir, "loadpic.jpg"), titleCardJpeg());
    writeFile(join(dir, "particle.jpg"), particleJpeg());
    writeFile(join(dir, "fontti.pcx"), fontSheetPcx());
}

void pack(const std::string& out, const std::vector<std::string>& files) {
    std::vector<ZipMember> members;
    for (const std::string& f : files) {
        members.push_back({std::filesystem::path(f).filename().string(), readFile(f)});
    }
    try {
        writeFile(out, buildZip(members));
    } catch (const std::invalid_argument& e) {
        throw std::runtime_error(out + ": " + e.what());
    }
}

std::vector<uint8_t> rgbOf(const IndexedImage& image) {
    std::vector<uint8_t> rgb;
    for (const uint8_t i : image.pixels) {
        for (int c = 0; c < 3; ++c) rgb.push_back(image.palette[i * 3 + c]);
    }
    return rgb;
}

// RGBA over a mid grey, scaled up so the pixels can be seen.
std::vector<uint8_t> rgbOf(const RgbaImage& icon, int zoom) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < icon.height * zoom; ++y) {
        for (int x = 0; x < icon.width * zoom; ++x) {
            const uint8_t* p = &icon.pixels[(static_cast<size_t>(y / zoom) * icon.width + x / zoom) * 4];
            for (int c = 0; c < 3; ++c) rgb.push_back(static_cast<uint8_t>((p[c] * p[3] + 128 * (255 - p[3])) / 255));
        }
    }
    return rgb;
}

void writeAppIcons(const std::string& dir, const std::string& name) {
    const std::vector<RgbaImage> icons = renderAppIcons();
    for (const RgbaImage& icon : icons) {
        const std::string size = std::to_string(icon.width) + "x" + std::to_string(icon.height);
        const std::filesystem::path folder = std::filesystem::path(dir) / size / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) throw std::runtime_error(folder.string() + ": cannot create (" + error.message() + ")");
        writeFile((folder / (name + ".png")).string(), encodePngRgba(icon.pixels, icon.width, icon.height));
    }
}

void writeWindowsResources(const std::string& dir) {
    writeFile(join(dir, "banner.bmp"), encodeBmp8(renderDialogArt().banner));
    writeFile(join(dir, "icon.ico"), encodeIco(renderAppIcons()));
    writeFile(join(dir, "setup_dialog.rc"), dialogTemplateScript());
}

void writePreview(const std::string& dir) {
    const RgbImage title = renderTitleCard();
    writeFile(join(dir, "loadpic.png"), encodePng(title.toBytes(), title.width(), title.height()));
    const RgbImage particle = renderParticle();
    writeFile(join(dir, "particle.png"), encodePng(particle.toBytes(), particle.width(), particle.height()));
    const IndexedImage font = renderFontSheet();
    writeFile(join(dir, "fontti.png"), encodePng(rgbOf(font), font.width, font.height));
    const DialogArt art = renderDialogArt();
    writeFile(join(dir, "banner.png"), encodePng(rgbOf(art.banner), art.banner.width, art.banner.height));
    writeFile(join(dir, "icon16.png"), encodePng(rgbOf(art.iconSmall, 8), 128, 128));
    writeFile(join(dir, "icon32.png"), encodePng(rgbOf(art.iconBig, 4), 128, 128));
    for (const RgbaImage& icon : renderAppIcons()) {
        const int zoom = std::max(1, 128 / icon.width);
        const std::string name = "app-icon" + std::to_string(icon.width) + ".png";
        writeFile(join(dir, name.c_str()), encodePng(rgbOf(icon, zoom), icon.width * zoom, icon.height * zoom));
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: gm-content assets DIR\n"
                 "       gm-content dialog FILE.cpp\n"
                 "       gm-content pack OUT.pak FILE...\n"
                 "       gm-content icons DIR NAME\n"
                 "       gm-content windows DIR\n"
                 "       gm-content preview DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) return usage();
    try {
        const std::string& command = args[0];
        if (command == "assets" && args.size() == 2) {
            writeAssets(args[1]);
        } else if (command == "dialog" && args.size() == 2) {
            writeFile(args[1], dialogResourcesSource(renderDialogArt()));
        } else if (command == "pack" && args.size() >= 3) {
            pack(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
        } else if (command == "icons" && args.size() == 3 && !args[2].empty()) {
            writeAppIcons(args[1], args[2]);
        } else if (command == "windows" && args.size() == 2) {
            writeWindowsResources(args[1]);
        } else if (command == "preview" && args.size() == 2) {
            writePreview(args[1]);
        } else {
            return usage();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gm-content: %s\n", e.what());
        return 1;
    }
    return 0;
}

// The public archive, texture, font and music operations: dmsReadFile,
// dmsAddTexture, dmsUploadTextures, dmsGetTexture, dmsAddFont, dmsGetFont,
// dmsPlaySong, dmsPlaySongFrom.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "core/engine.h"
#include "fluxcore/dms.h"
#include "core/log.h"
#include "graphics/measure_font_sheet.h"
#include "graphics/texture_upload.h"

namespace fluxcore {

namespace {

QUASAR_FLUXCORE::Font* findFont(Engine& e, const char* file) {
    for (auto& font : e.fonts) {
        if (std::strcmp(font->fileName, file) == 0) return font.get();
    }
    return nullptr;
}

// A folder or file a desktop archiver adds beside the real ones
// ("__MACOSX/._loadpic.jpg", ".DS_Store"): never a picture of the demo.
bool isHiddenMember(const std::string& file) {
    if (file.rfind("__MACOSX/", 0) == 0) return true;
    for (std::size_t at = 0; at < file.size(); at = file.find('/', at) + 1) {
        if (file[at] == '.') return true;
        if (file.find('/', at) == std::string::npos) break;
    }
    return false;
}

// The pictures dmsUploadTextures decodes: those asked for by dmsAddTexture
// and the font sheets; with none asked for, every visible picture file.
std::vector<std::string> picturesToUpload(const Engine& e) {
    std::vector<std::string> names;
    auto add = [&](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    if (e.pictures.empty()) {
        for (const std::string& file : e.archive->files()) {
            if (isPictureFile(file) && !isHiddenMember(file)) add(file);
        }
    }
    for (const std::string& name : e.pictures) add(name);
    for (const auto& font : e.fonts) add(font->fileName);
    return names;
}

// Refuses a texture set whose pictures, by the sizes their headers claim,
// would not fit kTextureBudgetBytes of RGBA, before any of them is decoded.
void checkTextureBudget(const Engine& e, const std::vector<std::string>& names) {
    std::vector<unsigned char> bytes;
    std::uint64_t total = 0;
    for (const std::string& name : names) {
        int width = 0, height = 0;
        if (!e.archive->read(name, bytes) || !pictureHeaderSize(bytes, name, width, height)) continue;
        // An impossible size is the decoder's to refuse, by the side limit.
        if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) continue;
        total += static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4;
        if (total > kTextureBudgetBytes) {
            const double mib = 1024.0 * 1024.0;
            fail("%s: a picture of %dx%d (%.1f MiB as RGBA) brings the textures to %.1f MiB (%llu bytes), "
                 "more than the budget of %llu MiB",
                 name.c_str(), width, height, double(width) * height * 4 / mib, double(total) / mib,
                 static_cast<unsigned long long>(total), static_cast<unsigned long long>(kTextureBudgetBytes >> 20));
        }
    }
}

}  // namespace

}  // namespace fluxcore

namespace QUASAR_FLUXCORE {

bool dmsReadFile(const char* file, std::vector<unsigned char>& bytes) {
    fluxcore::Engine& e = fluxcore::engine();
    bytes.clear();
    if (!file || !e.archive) return false;
    return e.archive->read(file, bytes);
}

void dmsAddFont(int cellWidth, int cellHeight, const char* file) {
    using namespace fluxcore;
    Engine& e = engine();
    const char* name = file ? file : "(null)";
    if (!file || !*file) fail("%s: font needs a file name", name);
    if (std::strlen(file) >= sizeof(Font::fileName)) fail("%s: file name too long for a font", file);
    if (cellWidth <= 0 || cellHeight <= 0 || cellWidth > 255 || cellHeight > 255) {
        fail("%s: font cell %dx%d is not 1 to 255 pixels a side", file, cellWidth, cellHeight);
    }
    Font* font = findFont(e, file);
    if (!font) {
        e.fonts.push_back(std::make_unique<Font>());
        font = e.fonts.back().get();
        std::strcpy(font->fileName, file);
    }
    font->cellWidth = cellWidth;
    font->cellHeight = cellHeight;
    logf("font %s: %dx%d cells", file, cellWidth, cellHeight);
}

void dmsAddTexture(const char* file) {
    using namespace fluxcore;
    if (!file || !*file) fail("dmsAddTexture: a picture needs a file name");
    Engine& e = engine();
    if (std::find(e.pictures.begin(), e.pictures.end(), file) == e.pictures.end()) e.pictures.push_back(file);
}

void dmsUploadTextures() {
    using namespace fluxcore;
    Engine& e = engine();
    if (!e.archive) fail("dmsUploadTextures: no archive open (dmsInitEx first)");
    const double begin = wallMs();
    const TextureLimits limits = queryTextureLimits();
    logf("textures: %s sizes, at most %d pixels a side", limits.nonPowerOfTwo ? "any" : "power-of-two",
         limits.maxSize);

    for (const auto& font : e.fonts) {
        if (!e.archive->contains(font->fileName)) {
            fail("%s: font sheet not found in %s", font->fileName, e.archive->displayName().c_str());
        }
    }
    const std::vector<std::string> names = picturesToUpload(e);
    checkTextureBudget(e, names);
    std::vector<unsigned char> bytes;
    int uploaded = 0;
    for (const std::string& file : names) {
        if (!e.archive->read(file, bytes)) {
            logf("%s: not in %s", file.c_str(), e.archive->displayName().c_str());
            continue;
        }
        Image image = decodeImage(bytes, file);
        Font* font = findFont(e, file.c_str());
        if (font) measureFontSheet(*font, image);
        const unsigned int id = uploadTexture(image, limits);
        e.textures.add(file, id, image.width, image.height);
        if (font) font->textureId = id;
        ++uploaded;
        logf("texture %s: %dx%d as %dx%d, GL name %u%s", file.c_str(), image.width, image.height,
             uploadEdge(image.width, limits), uploadEdge(image.height, limits), id, font ? ", font sheet" : "");
    }
    logf("%d textures uploaded in %.1f ms", uploaded, wallMs() - begin);
}

Texture* dmsGetTexture(const char* file) {
    Texture* texture = file ? fluxcore::engine().textures.find(file) : nullptr;
    if (!texture) fluxcore::fail("%s: no such texture", file ? file : "(null)");
    return texture;
}

Font* dmsGetFont(const char* file) {
    Font* font = file ? fluxcore::findFont(fluxcore::engine(), file) : nullptr;
    if (!font) fluxcore::fail("%s: no such font", file ? file : "(null)");
    return font;
}


void dmsPlaySong(int n) { dmsPlaySongFrom(n, dmsGetTime()); }

void dmsPlaySongFrom(int n, float startMs) {
    using namespace fluxcore;
    Engine& e = engine();
    const std::string file = "song" + std::to_string(n) + ".ogg";
    if (!e.mode.sound) {
        logf("%s: sound is off; playing on silently", file.c_str());
        return;
    }
    std::vector<unsigned char> bytes;
    bool found = false;
    try {
        found = e.archive && e.archive->read(file, bytes);
    } catch (const char* why) {
        // A song beyond the size limit, or unreadable: the demo plays on.
        warnf("%s; playing on silently", why);
        return;
    }
    if (!found) {
        logf("%s: not in %s; playing on silently", file.c_str(),
             e.archive ? e.archive->displayName().c_str() : "the archive (none open)");
        return;
    }
    std::string why;
    // Started where the clock stands, so that it need not seek once playing.
    const double from = std::max(0.0, e.clock.time() - double(startMs));
    if (!audio::startSong(std::move(bytes), why, from)) {
        warnf("%s: no sound (%s); playing on silently", file.c_str(), why.c_str());
        return;
    }
    e.songFile = file;
    AudioSong song;
    e.clock.songStarted(startMs, song, from);
    const audio::SongOutput out = audio::songOutput();
    logf("%s: starts at %.0f ms, playing from %.0f ms, through audio driver %s in %d-frame buffers at %d Hz",
         file.c_str(), double(startMs), e.clock.time(), out.driver.c_str(), out.bufferFrames, out.rate);
    if (!out.latencyNote.empty()) logf("%s: %s", file.c_str(), out.latencyNote.c_str());
}

}  // namespace QUASAR_FLUXCORE

// Engine test harness: reaches into the engine instance the dms* operations use.
#include "engine_harness.h"

#include <string>

#include "core/engine.h"

namespace testsupport {

void addTestTexture(const char* name, unsigned int glName, int width, int height) {
    fluxcore::engine().textures.add(name ? name : "", glName, width, height);
}

void openArchiveHeadless(const char* pakPath) {
    fluxcore::Engine& e = fluxcore::engine();
    e.archive.reset();  // only one archive is mounted at a time
    e.archive = fluxcore::Archive::open(pakPath ? pakPath : "");
}

void startDrawingHeadless(int width, int height, bool fullscreen, int drawableWidth, int drawableHeight) {
    fluxcore::Engine& e = fluxcore::engine();
    e.mode.width = width;
    e.mode.height = height;
    e.mode.fullscreen = fullscreen;
    fluxcore::startDrawing(e, drawableWidth, drawableHeight);
}

void presentHeadless(int drawableWidth, int drawableHeight) {
    fluxcore::Engine& e = fluxcore::engine();
    if (e.fullscreenPicture) e.fullscreenPicture->present(drawableWidth, drawableHeight);
}

void resetEngine() { fluxcore::engine().resetToDefaults(); }

}  // namespace testsupport

// The public start-up and shut-down operations: logging, dmsInitEx,
// dmsShutDown, gamma and the message output.
#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/engine.h"
#include "fluxcore/dms.h"
#include "core/log.h"

// Where an installed tree keeps data.pak: relative to the programs' folder
// (FLUXCORE_DATA_FROM_PROGRAM, e.g. "../share/glass-meridian") and the
// absolute folder the build was configured to install to.
#ifndef FLUXCORE_DATA_FROM_PROGRAM
#define FLUXCORE_DATA_FROM_PROGRAM ""
#endif
#ifndef FLUXCORE_INSTALL_DATA_DIR
#define FLUXCORE_INSTALL_DATA_DIR ""
#endif

namespace fluxcore {

namespace {

const char* glText(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "(unknown)";
}

void openArchive(Engine& e, const char* name) {
    const std::string wanted = name && *name ? name : "data.pak";
    const std::vector<std::string> folders =
        archiveFolders(platform::executableFolder(), FLUXCORE_DATA_FROM_PROGRAM, FLUXCORE_INSTALL_DATA_DIR);
    const std::string path = locateArchive(wanted, folders);
    if (path.empty()) {
        std::string places;
        for (const std::string& folder : folders) places += folder + ", ";
        fail("%s: not found (looked in %sand in the working folder)", wanted.c_str(), places.c_str());
    }
    e.archive = Archive::open(path);
    logf("archive %s: %zu files", path.c_str(), e.archive->files().size());
}

}  // namespace

void startDrawing(Engine& e, int drawableWidth, int drawableHeight) {
    const int width = e.mode.width, height = e.mode.height;
    if (e.mode.fullscreen) {
        const PictureFormat format = boundFramebufferFormat();
        e.fullscreenPicture = std::make_unique<OffscreenPicture>(width, height, format);
        e.viewport = Viewport{0, 0, width, height};
        const Viewport shown = letterbox(width, height, drawableWidth, drawableHeight);
        logf("full screen: the picture drawn offscreen at %dx%d (%d samples), shown at %dx%d at (%d, %d) of the "
             "drawable %dx%d",
             width, height, format.samples, shown.width, shown.height, shown.x, shown.y, drawableWidth,
             drawableHeight);
    } else {
        e.viewport = letterbox(width, height, drawableWidth, drawableHeight);
    }
    glViewport(e.viewport.x, e.viewport.y, e.viewport.width, e.viewport.height);
    logf("viewport %dx%d at (%d, %d)", e.viewport.width, e.viewport.height, e.viewport.x, e.viewport.y);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    QUASAR_FLUXCORE::dmsPerspective3D();
}

}  // namespace fluxcore

namespace QUASAR_FLUXCORE {

bool dmsInitEx(int width, int height, int colourBits, bool fullscreen, bool sound, bool vsync, const char* archive) {
    using namespace fluxcore;
    Engine& e = engine();
    if (e.started) fail("dmsInitEx: the engine is already running (dmsShutDown first)");
    if (width <= 0 || height <= 0) fail("dmsInitEx: mode %dx%d has no pixels", width, height);
    const double begin = wallMs();
    const int display = e.mode.display;  // dmsSetDisplay's
    const bool headless = e.mode.headless;  // dmsSetHeadless's
    e.mode = platform::DisplayMode{width, height, colourBits, fullscreen, sound, vsync, display, headless};
    e.window = platform::Window::open(e.mode);
    e.started = true;
    // A fresh context holds GL's defaults, not what the cache remembers.
    e.glState.reset();
    logf("mode %s", e.window->description().c_str());
    logf("OpenGL %s, renderer %s, vendor %s", glText(GL_VERSION), glText(GL_RENDERER), glText(GL_VENDOR));

    int w = 0, h = 0;
    e.window->drawableSize(w, h);
    startDrawing(e, w, h);

    openArchive(e, archive);
    logf("sound %s", sound ? "on" : "off");
    logf("start-up took %.1f ms", wallMs() - begin);
    return true;
}

void dmsShutDown() { fluxcore::engine().release(); }

void dmsSetGamma(float gamma) {
    fluxcore::Engine& e = fluxcore::engine();
    if (e.window) e.window->setGamma(gamma);
}

void dmsSetLogging(bool enabled) { fluxcore::setLogging(enabled); }

void dmsMsg(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

}  // namespace QUASAR_FLUXCORE

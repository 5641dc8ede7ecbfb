// Engine start-up and the frame as the demo draws it.
#include "capture/engine_session.h"

#include <GL/gl.h>

#include <cstdlib>
#include <stdexcept>

#include "fluxcore/dms.h"
#include "host/platform/sdl_window.h"
#include "host/production.h"

namespace capture {

using namespace QUASAR_FLUXCORE;

EngineSession::EngineSession(const Options& options)
    : width_(options.width), height_(options.height), window_(options.window) {
    if (!options.window) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    } else if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        // Left alone, SDL would fall back to its offscreen driver and the
        // window asked for would silently never appear.
        throw std::runtime_error("--window needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set");
    }
    // The engine's sound stays off; no audio device is needed or opened.
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    dmsSetLogging(options.engineLog);
    try {
        if (!dmsInitEx(width_, height_, 32, false, false, false, archivePath(options).c_str()))
            throw std::runtime_error(std::string("the engine could not open a ") + std::to_string(width_) + "x" +
                                     std::to_string(height_) + (window_ ? " window" : " offscreen picture"));
        // The demo's own start-up, then the clock handed to the caller.
        glassmeridian::production::startUp(engine_);
        dmsSetFixedClock(true);

        int w = 0, h = 0;
        glassmeridian::drawableSize(dmsGetHDC(), w, h);
        if (w != width_ || h != height_)
            throw std::runtime_error("the engine's picture is " + std::to_string(w) + "x" + std::to_string(h) +
                                     ", not the " + std::to_string(width_) + "x" + std::to_string(height_) +
                                     " asked for");
    } catch (...) {
        dmsShutDown();  // safe after a failed or missing dmsInitEx
        throw;
    }
}

EngineSession::~EngineSession() {
    dmsSetGamma(0);
    dmsShutDown();
}

void EngineSession::render(double timeMs) {
    dmsSetTime(static_cast<float>(timeMs));
    glassmeridian::production::advanceClock(engine_);  // the fixed clock stays at timeMs
    glassmeridian::production::drawPicture(engine_);
}

void EngineSession::waitForGl() { glFinish(); }

void EngineSession::readBack(Frame& frame) {
    // Errors the frame's drawing left are not the read-back's.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        throw std::runtime_error("reading the frame back failed (OpenGL error " + std::to_string(error) + ")");
}

void EngineSession::present() {
    if (!window_) return;
    glassmeridian::presentFrame(dmsGetHDC());
    glassmeridian::pumpWindowEvents();
}

bool EngineSession::readArchiveFile(const char* name, std::vector<std::uint8_t>& bytes) {
    return dmsReadFile(name, bytes);
}

}  // namespace capture

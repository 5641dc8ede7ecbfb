// Engine start-up and the frame as the demo draws it.
#define GL_GLEXT_PROTOTYPES 1
#include "capture/engine_session.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "fluxcore/dms.h"
#include "host/platform/sdl/sdl_window.h"
#include "host/production.h"

namespace capture {

using namespace QUASAR_FLUXCORE;

EngineSession::EngineSession(const Options& options)
    : width_(options.width), height_(options.height), window_(options.window) {
    if (options.window && !std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
        // Left alone, SDL would fall back to its offscreen driver and the
        // window asked for would silently never appear.
        throw std::runtime_error("--window needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set");
    }
    // Without --window the engine draws offscreen; its sound stays off.
    dmsSetHeadless(!options.window);
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
        if (options.antialias > 0) {
            multisample_ = std::make_unique<MultisampleTarget>(width_, height_, options.antialias);
            if (multisample_->samples() != options.antialias)
                std::fprintf(stderr, "glass-meridian-capture: --antialias %d: this OpenGL gives %d samples a pixel\n",
                             options.antialias, multisample_->samples());
        }
    } catch (...) {
        multisample_.reset();
        dmsShutDown();  // safe after a failed or missing dmsInitEx
        throw;
    }
}

EngineSession::~EngineSession() {
    pixelBuffers_.reset();
    multisample_.reset();
    dmsSetGamma(0);
    dmsShutDown();
}

void EngineSession::render(double timeMs) {
    if (multisample_) multisample_->bindForDrawing();
    dmsSetTime(static_cast<float>(timeMs));
    glassmeridian::production::advanceClock(engine_);  // the fixed clock stays at timeMs
    glassmeridian::production::drawPicture(engine_);
    if (multisample_) multisample_->resolve();
}

void EngineSession::waitForGl() { glFinish(); }

namespace {

// Errors the frame's drawing left are not the read-back's.
void clearGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void checkGl(const char* what) {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        throw std::runtime_error(std::string(what) + " failed (OpenGL error " + std::to_string(error) + ")");
}

// BGR: llvmpipe keeps the picture as BGRA, so this drops a byte without
// reordering, and BGR is the one packed input ffmpeg's scaler turns into
// yuv420p by a fast path (a third of its time for BGRA or RGB; measured).
void readPixels(int width, int height, void* to) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, to);
}

}  // namespace

PixelBuffers::PixelBuffers(int width, int height, std::size_t slots)
    : width_(width), height_(height), slots_(slots) {
    clearGlErrors();
    const auto bytes = static_cast<GLsizeiptr>(width) * height * 3;
    for (Slot& slot : slots_) {
        glGenBuffers(1, &slot.buffer);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, bytes, nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    try {
        checkGl("making the read-back buffers");
    } catch (...) {
        release();
        throw;
    }
}

PixelBuffers::~PixelBuffers() { release(); }

void PixelBuffers::release() noexcept {
    for (Slot& slot : slots_) {
        unmap(slot);
        if (slot.fence) glDeleteSync(static_cast<GLsync>(slot.fence));
        if (slot.buffer) glDeleteBuffers(1, &slot.buffer);
        slot = Slot{};
    }
}

void PixelBuffers::unmap(Slot& slot) noexcept {
    if (!slot.mapped) return;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    slot.mapped = nullptr;
}

void PixelBuffers::read(std::size_t index) {
    Slot& slot = slots_.at(index);
    clearGlErrors();
    unmap(slot);
    if (slot.fence) glDeleteSync(static_cast<GLsync>(slot.fence));
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    readPixels(width_, height_, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    // The flush sends the frame's drawing and copy on their way (a fence
    // alone need not): the rasteriser works on them while this thread goes
    // on with the next frame, and map() can wait on the fence safely.
    slot.fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    checkGl("reading the frame back");
}

std::uint8_t* PixelBuffers::map(std::size_t index) {
    Slot& slot = slots_.at(index);
    if (slot.mapped) return slot.mapped;
    clearGlErrors();
    if (slot.fence) {
        // Waiting on this frame's fence alone leaves later frames queued
        // behind it undisturbed.
        while (glClientWaitSync(static_cast<GLsync>(slot.fence), 0, 1000000000) == GL_TIMEOUT_EXPIRED) {
        }
        glDeleteSync(static_cast<GLsync>(slot.fence));
        slot.fence = nullptr;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    slot.mapped = static_cast<std::uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    checkGl("mapping the read-back buffer");
    if (!slot.mapped) throw std::runtime_error("mapping the read-back buffer failed");
    return slot.mapped;
}

void EngineSession::prepareReadBack(std::size_t slots) {
    pixelBuffers_ = std::make_unique<PixelBuffers>(width_, height_, slots);
}

void EngineSession::startReadBack(std::size_t slot) { pixelBuffers_->read(slot); }

std::uint8_t* EngineSession::finishReadBack(std::size_t slot) { return pixelBuffers_->map(slot); }

void EngineSession::present() {
    if (!window_) return;
    if (multisample_) multisample_->copyToWindow();
    glassmeridian::presentFrame(dmsGetHDC());
    glassmeridian::pumpWindowEvents();
}

bool EngineSession::readArchiveFile(const char* name, std::vector<std::uint8_t>& bytes) {
    return dmsReadFile(name, bytes);
}

}  // namespace capture

// The engine started for capturing: the demo's timeline on a fixed clock,
// sound off, headless unless a window was asked for, drawn through a
// multisampled framebuffer with --antialias.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/frames.h"
#include "capture/multisample.h"
#include "capture/options.h"
#include "host/engine_fluxcore.h"

namespace capture {

// Read-back without stalling the renderer: one pixel buffer object for each
// frame of the writer's pool. read() returns at once (the GL copies once the
// drawing is done); map() waits for that copy and gives the pixels, valid
// until the next read() of the slot or the destruction. Needs the engine's
// context current throughout.
class PixelBuffers {
public:
    PixelBuffers(int width, int height, std::size_t slots);
    ~PixelBuffers();  // unmaps and deletes the buffers

    PixelBuffers(const PixelBuffers&) = delete;
    PixelBuffers& operator=(const PixelBuffers&) = delete;

    void read(std::size_t slot);          // the drawn picture, BGR, into the slot's buffer
    std::uint8_t* map(std::size_t slot);  // throws std::runtime_error on a GL failure

private:
    struct Slot {
        unsigned int buffer = 0;
        void* fence = nullptr;  // GLsync of the slot's last read()
        std::uint8_t* mapped = nullptr;
    };
    void unmap(Slot& slot) noexcept;
    void release() noexcept;

    int width_;
    int height_;
    std::vector<Slot> slots_;
};

class EngineSession {
public:
    // Starts the engine at options.width x options.height and registers the
    // demo's timeline. Throws std::runtime_error (or the engine's const char*).
    explicit EngineSession(const Options& options);
    ~EngineSession();  // shuts the engine down

    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // Draws the demo's frame at timeMs into the back buffer with the demo's
    // own frame sequence (with --antialias: into the multisampled framebuffer,
    // resolved, the result bound for reading).
    void render(double timeMs);
    void waitForGl();           // until the frame's drawing is done
    // The picture, BGR with rows bottom to top, through pixel buffers:
    // prepareReadBack(n) once (slots 0..n-1), then for each frame
    // startReadBack(slot) right after render() and finishReadBack(slot) when
    // its pixels are needed, in any later order.
    void prepareReadBack(std::size_t slots);
    void startReadBack(std::size_t slot);
    std::uint8_t* finishReadBack(std::size_t slot);
    void present();             // shows the frame when there is a window

    // The archive file, or false if it has none by that name.
    bool readArchiveFile(const char* name, std::vector<std::uint8_t>& bytes);

private:
    glassmeridian::FluxcoreEngine engine_;
    std::unique_ptr<PixelBuffers> pixelBuffers_;  // deleted before the engine shuts down
    std::unique_ptr<MultisampleTarget> multisample_;  // --antialias; likewise
    int width_;
    int height_;
    bool window_;
};

}  // namespace capture

// The engine started for capturing: the demo's timeline on a fixed clock,
// sound off, headless unless a window was asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/frames.h"
#include "capture/options.h"
#include "host/engine_fluxcore.h"

namespace capture {

class EngineSession {
public:
    // Starts the engine at options.width x options.height and registers the
    // demo's timeline. Throws std::runtime_error (or the engine's const char*).
    explicit EngineSession(const Options& options);
    ~EngineSession();  // shuts the engine down

    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // Draws the demo's frame at timeMs into the back buffer with the demo's
    // own frame sequence.
    void render(double timeMs);
    void waitForGl();           // until the frame's drawing is done
    void readBack(Frame& frame);  // RGBA, rows bottom to top
    void present();             // shows the frame when there is a window

    // The archive file, or false if it has none by that name.
    bool readArchiveFile(const char* name, std::vector<std::uint8_t>& bytes);

private:
    glassmeridian::FluxcoreEngine engine_;
    int width_;
    int height_;
    bool window_;
};

}  // namespace capture

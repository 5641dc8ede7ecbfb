// The engine instance and its release.
#include "core/engine.h"

#include <chrono>

#include "audio/audio.h"
#include "core/log.h"

namespace fluxcore {

Engine::Engine() { clock.start(wallMs()); }

Engine& engine() {
    // Never destroyed: a program may end through exit() while a window is
    // open (Xlib exits so when the display connection breaks), and tearing
    // the window down from a static destructor over a dead connection blocks
    // for ever. dmsShutDown releases everything; at exit the system does.
    static Engine* const instance = new Engine();
    return *instance;
}

double wallMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void Engine::release() {
    audio::stopSong();
    clock.songStopped();
    songFile.clear();
    timeline.clear();
    textures.release();
    fonts.clear();
    pictures.clear();
    if (archive) {
        logf("closing %s", archive->path().c_str());
        archive.reset();
    }
    fullscreenPicture.reset();  // while the window's context is still current
    if (window) {
        if (stats.frames > 1 && stats.lastMs > stats.firstMs) {
            const double seconds = (stats.lastMs - stats.firstMs) / 1000.0;
            logf("%ld frames in %.2f s: %.1f frames per second", stats.frames, seconds,
                 double(stats.frames - 1) / seconds);
        }
        window.reset();
        logf("window closed");
    }
    glState.reset();
    viewport = Viewport();
    stats = FrameStats();
    clockLineMs = -1e9;
    started = false;
}

void Engine::resetToDefaults() {
    release();
    setLogging(false);
    mode = platform::DisplayMode();
    clock.start(wallMs());
}

}  // namespace fluxcore

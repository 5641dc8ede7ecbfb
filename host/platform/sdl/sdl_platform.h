// Platform on SDL2: SDL's event queue is the message queue, the keyboard
// state answers for Escape, and the engine's window is swapped with SDL.
#pragma once

#include "host/platform/platform.h"

namespace glassmeridian {

class SdlPlatform : public Platform {
public:
    // SDL_QUIT (the window's close button, or SIGINT / SIGTERM, which SDL turns
    // into SDL_QUIT) is the quit message with code 0. SDL events carry no
    // message parameter, so every other event has code 0 as well.
    PlatformEvent pollEvent() override;
    // Escape is down now, or went down since the last test (a tap shorter
    // than a frame still counts).
    bool escapeHeld() override;
    void swapBuffers(void* surface) override;  // surface: the engine's SDL_Window

private:
    bool escapePressed_ = false;
};

}  // namespace glassmeridian

// The SDL2 platform layer (see sdl_platform.h).
#include "host/platform/sdl/sdl_platform.h"

#include <SDL.h>

#include "host/platform/sdl/sdl_window.h"

namespace glassmeridian {

PlatformEvent SdlPlatform::pollEvent() {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {  // pumps the queue, which also refreshes the key state
        return {};
    }
    if (event.type == SDL_KEYDOWN && event.key.keysym.scancode == SDL_SCANCODE_ESCAPE) {
        escapePressed_ = true;
    }
    PlatformEvent taken;
    taken.kind = event.type == SDL_QUIT ? PlatformEvent::Kind::Quit : PlatformEvent::Kind::Other;
    return taken;
}

bool SdlPlatform::escapeHeld() {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    const bool held = escapePressed_ || (keys != nullptr && keys[SDL_SCANCODE_ESCAPE] != 0);
    escapePressed_ = false;
    return held;
}

void SdlPlatform::swapBuffers(void* surface) { presentFrame(surface); }

}  // namespace glassmeridian

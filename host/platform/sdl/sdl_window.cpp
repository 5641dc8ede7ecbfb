// The engine's window through SDL (see sdl_window.h).
#include "host/platform/sdl/sdl_window.h"

#include <SDL.h>

#include "fluxcore/dms.h"

namespace glassmeridian {

void presentFrame(void* window) {
    if (!window) return;
    QUASAR_FLUXCORE::dmsPresentFrame();
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(window));
}

void drawableSize(void* window, int& width, int& height) {
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window), &width, &height);
}

void pumpWindowEvents() { SDL_PumpEvents(); }

}  // namespace glassmeridian

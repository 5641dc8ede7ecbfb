// Window calls through SDL, the library the engine opened its window with.
#include "capture/window_platform.h"

#include <SDL.h>

namespace capture {

void drawableSize(void* window, int& width, int& height) {
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window), &width, &height);
}

void presentWindow(void* window) {
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(window));
    SDL_PumpEvents();
}

}  // namespace capture

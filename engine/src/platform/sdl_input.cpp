// Keyboard state and the program's folder, through SDL.
#include <SDL.h>

#include "platform/window.h"

namespace fluxcore::platform {

KeyState readKeys() {
    KeyState keys;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return keys;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    auto down = [&](SDL_Scancode code) { return state && code < count && state[code] != 0; };
    keys.left = down(SDL_SCANCODE_LEFT);
    keys.right = down(SDL_SCANCODE_RIGHT);
    keys.space = down(SDL_SCANCODE_SPACE);
    return keys;
}

std::string executableFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return std::string();
    std::string folder(base);
    SDL_free(base);
    return folder;
}

}  // namespace fluxcore::platform

// The engine's keys and the program's folder, through SDL.
#include <SDL.h>

#include "platform/platform.h"

namespace fluxcore::platform {

namespace {

// SDL calls this for each event as it enters the queue (also for events a
// program pushes itself), before anyone takes it off.
int countPress(void* counter, SDL_Event* event) {
    if (event->type != SDL_KEYDOWN) return 1;
    auto& keys = *static_cast<KeyPressCounter*>(counter);
    const bool repeat = event->key.repeat != 0;
    switch (event->key.keysym.scancode) {
        case SDL_SCANCODE_LEFT:
            keys.press(ControlKey::Left, repeat);
            break;
        case SDL_SCANCODE_RIGHT:
            keys.press(ControlKey::Right, repeat);
            break;
        case SDL_SCANCODE_SPACE:
            keys.press(ControlKey::Space, repeat);
            break;
        default:
            break;
    }
    return 1;
}

}  // namespace

KeyWatch::KeyWatch(KeyPressCounter& counter) : counter_(counter) { SDL_AddEventWatch(countPress, &counter_); }

KeyWatch::~KeyWatch() { SDL_DelEventWatch(countPress, &counter_); }

std::string executableFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return std::string();
    std::string folder(base);
    SDL_free(base);
    return folder;
}

void debugOutput(const char*) {}  // the log is on stderr, where a debugger reads it

}  // namespace fluxcore::platform

// The web page's platform (see web_platform.h).
#include "host/platform/web/web_platform.h"

#include <emscripten/html5.h>

#include <cstring>

namespace glassmeridian {

namespace {

// On the document, so that the engine's own key watch on the window is not
// replaced.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void* pressed) {
    if (std::strcmp(event->code, "Escape") != 0) return EM_FALSE;
    *static_cast<bool*>(pressed) = true;
    return EM_TRUE;
}

// In full screen the browser may keep Escape for itself and leave full screen
// instead: leaving it ends the show as Escape does.
EM_BOOL onFullscreenChange(int, const EmscriptenFullscreenChangeEvent* event, void* pressed) {
    if (!event->isFullscreen) *static_cast<bool*>(pressed) = true;
    return EM_FALSE;
}

}  // namespace

WebPlatform::WebPlatform() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, &escapePressed_, EM_FALSE, onKeyDown);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, &escapePressed_, EM_FALSE,
                                             onFullscreenChange);
}

WebPlatform::~WebPlatform() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, nullptr);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, nullptr);
}

bool WebPlatform::escapeHeld() {
    const bool held = escapePressed_;
    escapePressed_ = false;
    return held;
}

}  // namespace glassmeridian

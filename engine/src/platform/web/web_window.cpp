// The platform seam in a web page: the canvas "#canvas" with a WebGL 2
// context and the legacy GL layer on it, the engine's keys from the page's
// key events, and no program folder (data.pak lies in the virtual file system's
// working folder).
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/failure.h"
#include "platform/web/web_legacy_gl.h"
#include "platform/platform.h"

namespace fluxcore::platform {

namespace {

constexpr const char* kCanvas = "#canvas";

// The engine's keys by their DOM code; Space counts only its first press, so
// the repeats of a held key come through as such.
EM_BOOL countPress(int, const EmscriptenKeyboardEvent* event, void* counter) {
    auto& keys = *static_cast<KeyPressCounter*>(counter);
    const bool repeat = event->repeat != 0;
    if (std::strcmp(event->code, "ArrowLeft") == 0) {
        keys.press(ControlKey::Left, repeat);
    } else if (std::strcmp(event->code, "ArrowRight") == 0) {
        keys.press(ControlKey::Right, repeat);
    } else if (std::strcmp(event->code, "Space") == 0) {
        keys.press(ControlKey::Space, repeat);
    } else {
        return EM_FALSE;
    }
    return EM_TRUE;  // the page does not scroll on them
}

}  // namespace

struct Window::Impl {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    std::unique_ptr<LegacyGl> legacyGl;
    std::string description;
    KeyPressCounter keys;
    std::unique_ptr<KeyWatch> keyWatch;

    ~Impl() {
        keyWatch.reset();
        legacyGl.reset();  // while its context is current
        if (context) emscripten_webgl_destroy_context(context);
    }
};

Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Window::~Window() = default;

std::unique_ptr<Window> Window::open(const DisplayMode& mode) {
    auto impl = std::make_unique<Impl>();
    // The canvas draws at the mode's size; the page scales it to its place.
    if (emscripten_set_canvas_element_size(kCanvas, mode.width, mode.height) != EMSCRIPTEN_RESULT_SUCCESS)
        fail("%s: no display (the page has no canvas)", kCanvas);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the frames' alpha is not the page's business
    attributes.depth = EM_TRUE;
    attributes.antialias = EM_TRUE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.enableExtensionsByDefault = EM_TRUE;
    impl->context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (impl->context <= 0) fail("%s: cannot create OpenGL context (this browser has no WebGL 2)", kCanvas);
    emscripten_webgl_make_context_current(impl->context);
    impl->legacyGl = std::make_unique<LegacyGl>();
    impl->description = std::to_string(mode.width) + "x" + std::to_string(mode.height) + " canvas, WebGL 2" +
                        (mode.vsync ? ", frames on the display's refresh" : "");
    impl->keyWatch = std::make_unique<KeyWatch>(impl->keys);
    return std::unique_ptr<Window>(new Window(std::move(impl)));
}

void* Window::handle() const { return reinterpret_cast<void*>(static_cast<std::intptr_t>(impl_->context)); }

void Window::drawableSize(int& width, int& height) const {
    emscripten_get_canvas_element_size(kCanvas, &width, &height);
}

void Window::setTitle(const char* title) { emscripten_set_window_title(title); }

// A page cannot change the display's gamma ramp.
void Window::setGamma(float) {}

const std::string& Window::description() const { return impl_->description; }

KeyPresses Window::takeKeyPresses() { return impl_->keys.take(); }

KeyWatch::KeyWatch(KeyPressCounter& counter) : counter_(counter) {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &counter_, EM_FALSE, countPress);
}

KeyWatch::~KeyWatch() { emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr); }

std::string executableFolder() { return std::string(); }

void debugOutput(const char*) {}  // stderr is the browser's console already

}  // namespace fluxcore::platform

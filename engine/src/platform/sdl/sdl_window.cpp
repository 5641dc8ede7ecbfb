// The window and its OpenGL context through SDL2.
#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/failure.h"
#include "core/log.h"
#include "platform/sdl/wayland_seat.h"
#include "platform/platform.h"

namespace fluxcore::platform {

struct Window::Impl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool videoStarted = false;
    bool headlessHint = false;  // SDL's offscreen driver was chosen for this window
    bool gammaSaved = false;
    bool gammaChanged = false;
    Uint16 gamma[3][256] = {};
    std::string description;
    KeyPressCounter keys;
    std::unique_ptr<KeyWatch> keyWatch;  // counts into keys while the window is open

    ~Impl() {
        keyWatch.reset();
        if (window && gammaChanged && gammaSaved) SDL_SetWindowGammaRamp(window, gamma[0], gamma[1], gamma[2]);
        if (context) SDL_GL_DeleteContext(context);
        if (window) SDL_DestroyWindow(window);
        if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (headlessHint) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    }
};

namespace {

// The display as the viewer would name it, for failure texts.
std::string displayName(const DisplayMode& mode) {
    if (mode.headless) return "video driver \"offscreen\"";
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && *driver) return formatText("video driver \"%s\"", driver);
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return formatText("display \"%s\"", display);
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) return formatText("display \"%s\"", wayland);
    return "display (DISPLAY unset)";
}

struct PixelFormat {
    int red, green, blue, alpha, depth;
};

// No alpha channel in any depth: nothing is drawn against the window's alpha,
// and a compositor would blend the picture with the desktop where the scene
// clears to alpha 0 (the sky). 32 bits are 8 per colour and 8 unused.
PixelFormat formatFor(int colourBits) {
    if (colourBits <= 16) return {5, 6, 5, 0, 24};
    return {8, 8, 8, 0, 24};
}

bool set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// SDL's X11 driver comes first unless SDL_VIDEODRIVER names another, so its
// Wayland driver runs when asked for first or when there is no X display. On
// a compositor without an input seat that driver would crash: use X11 there
// if a display is set, else fail by name.
void avoidSeatlessWayland(const std::string& display) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const bool wayland = (driver && *driver) ? std::strncmp(driver, "wayland", 7) == 0
                                             : !set("DISPLAY") && set("WAYLAND_DISPLAY");
    if (!wayland || probeWaylandSeat() != WaylandSeat::Missing) return;
    if (!set("DISPLAY")) {
        fail("%s: the Wayland compositor offers no input seat, which SDL's Wayland driver needs, "
             "and no X display is set to use instead", display.c_str());
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    logf("the Wayland compositor offers no input seat: using X11 on display \"%s\" instead", std::getenv("DISPLAY"));
}

void setAttributes(const PixelFormat& format) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, format.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, format.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, format.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.alpha);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depth);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

}  // namespace

Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Window::~Window() = default;

std::unique_ptr<Window> Window::open(const DisplayMode& mode) {
    const std::string display = displayName(mode);
    auto impl = std::make_unique<Impl>();
    if (mode.headless) {
        // SDL's offscreen driver: an EGL surface of the window's size, no display.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
        impl->headlessHint = true;
    } else {
        avoidSeatlessWayland(display);
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) fail("%s: no display (%s)", display.c_str(), SDL_GetError());
    impl->videoStarted = true;
    const int displays = SDL_GetNumVideoDisplays();
    if (displays < 1) fail("%s: no display (%s)", display.c_str(), SDL_GetError());
    if (mode.display < 0 || mode.display >= displays) {
        if (displays == 1) fail("display %d does not exist (this desktop has 1: 0)", mode.display);
        fail("display %d does not exist (this desktop has %d: 0 to %d)", mode.display, displays, displays - 1);
    }
    impl->keyWatch = std::make_unique<KeyWatch>(impl->keys);

    // The requested format first, then the plainest one a display may offer.
    const PixelFormat wanted = formatFor(mode.colourBits);
    const PixelFormat fallbacks[] = {wanted, {1, 1, 1, 0, 16}};
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN |
                         (mode.fullscreen ? Uint32(SDL_WINDOW_FULLSCREEN_DESKTOP) : Uint32(0));
    std::string lastError = "no attempt";
    for (const PixelFormat& format : fallbacks) {
        setAttributes(format);
        // Full screen fills the monitor the window is placed on.
        impl->window = SDL_CreateWindow("Glass Meridian", SDL_WINDOWPOS_CENTERED_DISPLAY(mode.display),
                                        SDL_WINDOWPOS_CENTERED_DISPLAY(mode.display), mode.width, mode.height,
                                        flags);
        if (!impl->window) {
            lastError = formatText("cannot create window: %s", SDL_GetError());
            logf("window with R%dG%dB%dA%d depth %d failed: %s", format.red, format.green, format.blue, format.alpha,
                 format.depth, SDL_GetError());
            continue;
        }
        impl->context = SDL_GL_CreateContext(impl->window);
        if (impl->context) break;
        lastError = SDL_GetError();
        logf("OpenGL context with R%dG%dB%dA%d depth %d failed: %s", format.red, format.green, format.blue,
             format.alpha, format.depth, lastError.c_str());
        SDL_DestroyWindow(impl->window);
        impl->window = nullptr;
    }
    if (!impl->context) fail("%s: cannot create OpenGL context (%s)", display.c_str(), lastError.c_str());
    if (SDL_GL_MakeCurrent(impl->window, impl->context) != 0) {
        fail("%s: cannot make the OpenGL context current (%s)", display.c_str(), SDL_GetError());
    }
    if (SDL_GL_SetSwapInterval(mode.vsync ? 1 : 0) != 0 && mode.vsync) {
        logf("vertical sync not available: %s", SDL_GetError());
    }
    impl->gammaSaved = SDL_GetWindowGammaRamp(impl->window, impl->gamma[0], impl->gamma[1], impl->gamma[2]) == 0;

    int r = 0, g = 0, b = 0, a = 0, depth = 0, w = 0, h = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetDrawableSize(impl->window, &w, &h);
    impl->description = formatText("%dx%d %s on display %d, SDL video driver %s, drawable %dx%d, colour "
                                   "R%dG%dB%dA%d, depth %d, vsync %s, gamma ramp %s",
                                   mode.width, mode.height, mode.fullscreen ? "desktop fullscreen" : "windowed",
                                   mode.display, SDL_GetCurrentVideoDriver(), w, h, r, g, b, a, depth,
                                   SDL_GL_GetSwapInterval() != 0 ? "on" : "off",
                                   impl->gammaSaved ? "saved" : "not available");
    return std::unique_ptr<Window>(new Window(std::move(impl)));
}

void* Window::handle() const { return impl_->window; }

void Window::drawableSize(int& width, int& height) const { SDL_GL_GetDrawableSize(impl_->window, &width, &height); }

void Window::setTitle(const char* title) { SDL_SetWindowTitle(impl_->window, title ? title : ""); }

void Window::setGamma(float gamma) {
    if (gamma == 0.0f) {
        if (impl_->gammaSaved && impl_->gammaChanged) {
            SDL_SetWindowGammaRamp(impl_->window, impl_->gamma[0], impl_->gamma[1], impl_->gamma[2]);
            impl_->gammaChanged = false;
        }
        return;
    }
    Uint16 ramp[256];
    SDL_CalculateGammaRamp(gamma, ramp);
    if (SDL_SetWindowGammaRamp(impl_->window, ramp, ramp, ramp) == 0) {
        impl_->gammaChanged = true;
    } else {
        logf("gamma %.2f not available: %s", double(gamma), SDL_GetError());
    }
}

const std::string& Window::description() const { return impl_->description; }

KeyPresses Window::takeKeyPresses() { return impl_->keys.take(); }

}  // namespace fluxcore::platform

// The platform seam: the window with its OpenGL context, the keyboard and the
// program's folder. Only the files in platform/ talk to SDL.
#pragma once

#include <memory>
#include <string>

#include "controls.h"

namespace fluxcore::platform {

// The display mode dmsInitEx was asked for (and dmsSetDisplay's monitor): the
// engine keeps it for the run (projection, picture, sound) and opens its
// window with it.
struct DisplayMode {
    int width = 640;          // the picture's size in pixels
    int height = 480;
    int colourBits = 32;      // colour depth in bits
    bool fullscreen = false;  // desktop fullscreen; the picture keeps the mode's aspect
    bool sound = false;       // music on (the window does not read it)
    bool vsync = false;       // wait for the display's vertical sync
    int display = 0;          // the monitor, counted from 0: the window is centred on it or fills it
};

class Window {
public:
    // Opens a window with a current OpenGL 1.x compatibility context on the
    // mode's monitor. Failures name the display: "<display>: no display
    // (...)", "<display>: cannot create OpenGL context (...)"; a monitor that
    // does not exist fails before any window opens: "display 3 does not exist
    // (this desktop has 2: 0 to 1)".
    static std::unique_ptr<Window> open(const DisplayMode& mode);
    ~Window();  // restores the gamma ramp, destroys context and window, quits video

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void* handle() const;  // the SDL_Window*
    void drawableSize(int& width, int& height) const;
    void setTitle(const char* title);
    // 0 restores the ramp the display had when the window opened; any other
    // value sets a gamma curve of that exponent. Ignored where unsupported.
    void setGamma(float gamma);
    const std::string& description() const;  // what was opened, for the log
    // The engine's key presses queued since the previous call (or the open).
    KeyPresses takeKeyPresses();

    struct Impl;

private:
    explicit Window(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Counts the engine's keys into a counter from every key-down event the
// window system queues, for as long as it lives: the host takes the events
// off the queue, the engine still sees each press.
class KeyWatch {
public:
    explicit KeyWatch(KeyPressCounter& counter);
    ~KeyWatch();
    KeyWatch(const KeyWatch&) = delete;
    KeyWatch& operator=(const KeyWatch&) = delete;

private:
    KeyPressCounter& counter_;
};

// The folder the program runs from, with a trailing separator; empty if unknown.
std::string executableFolder();

}  // namespace fluxcore::platform

// The platform seam: everything a platform folder (platform/sdl/,
// platform/web/, platform/win32/) supplies to the portable engine, and
// nothing else lives in such a folder. A platform supplies:
//   - Window: the window (or offscreen surface) with its OpenGL 1.x context,
//     the engine's key presses and the gamma ramp;
//   - KeyWatch: the engine's keys counted while the host drains the events;
//   - executableFolder: where the program runs from (to find data.pak);
//   - debugOutput: the log's copy for a debugger, where the platform has one;
//   - openSong: the song played on the default audio output; a platform that
//     plays PCM through a device of its own also supplies openPcmDevice, and
//     its openSong hands that to the engine's SongPlayer (audio/).
// Where the system's OpenGL library stops short of what the portable code
// calls (Windows' opengl32.dll: 1.1), the platform also supplies those GL
// entry points and the GL headers (web: a legacy GL layer; Win32: the
// framebuffer functions through wglGetProcAddress).
// The engine's portable folders include no platform header but this one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/controls.h"

namespace fluxcore::audio {
class PcmDevice;
class SongSink;
struct PcmDeviceDesc;
}  // namespace fluxcore::audio

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
    bool headless = false;    // an offscreen surface of the mode's size: no window shown, no display needed
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

    void* handle() const;  // the platform's window (SDL_Window* with SDL, HDC on Win32), for the host's buffer swap
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

// Copies one log line (ending in a newline) to where the platform's debugger
// reads (OutputDebugString on Windows); nothing where stderr is all there is.
void debugOutput(const char* line);

// Starts the song (Ogg Vorbis bytes) `fromMs` into it on the default audio
// output. Null with the reason in `why` when there is no output or the song
// cannot be decoded.
std::unique_ptr<audio::SongSink> openSong(std::vector<unsigned char> ogg, double fromMs, std::string& why);

// Opens the default PCM output device as `desc` asks, paused; null with the
// driver and the reason in `why`. Only platforms that play PCM supply it.
std::unique_ptr<audio::PcmDevice> openPcmDevice(const audio::PcmDeviceDesc& desc, std::string& why);

}  // namespace fluxcore::platform

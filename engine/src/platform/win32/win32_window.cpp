// The window and its legacy WGL context on Win32: the window class and
// procedure (the engine's keys, closing), the monitor the mode names, the
// pixel format, vertical sync and the gamma ramp.
#include <windows.h>

#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/failure.h"
#include "core/log.h"
#include "platform/platform.h"
#include "platform/win32/win32_error_text.h"
#include "platform/win32/win32_gl_functions.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_input.h"

namespace fluxcore::platform {

namespace {

constexpr const char* kWindowClass = "GlassMeridianEngineWindow";
constexpr const char* kCaption = "Glass Meridian";

// Key-down messages count the engine's keys, auto-repeats marked by the
// previous-state bit; closing the window ends the host's message loop (the
// engine destroys the window when it shuts down).
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            countKeyDown(static_cast<unsigned>(wParam), (lParam & (LPARAM(1) << 30)) != 0);
            return 0;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // OpenGL draws every pixel
        case WM_SYSCOMMAND:
            // No screen saver or monitor power-down while the demo runs.
            if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window class, registered while a window of it is open.
class WindowClass {
public:
    WindowClass() {
        WNDCLASSEXA c{};
        c.cbSize = sizeof c;
        c.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;  // one device context for the window's life
        c.lpfnWndProc = &windowProcedure;
        c.hInstance = GetModuleHandleA(nullptr);
        c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        c.hIcon = LoadIconA(c.hInstance, MAKEINTRESOURCEA(104));  // the program's icon, if it has one
        c.lpszClassName = kWindowClass;
        registered_ = RegisterClassExA(&c) != 0;
        if (!registered_) error_ = GetLastError();
    }
    ~WindowClass() {
        if (registered_) UnregisterClassA(kWindowClass, GetModuleHandleA(nullptr));
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    bool registered() const { return registered_; }
    DWORD error() const { return error_; }

private:
    bool registered_ = false;
    DWORD error_ = 0;
};

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        auto& found = *reinterpret_cast<std::vector<MONITORINFO>*>(list);
        if (info.dwFlags & MONITORINFOF_PRIMARY) {
            found.insert(found.begin(), info);
        } else {
            found.push_back(info);
        }
    }
    return TRUE;
}

// The desktop's monitors, the primary one first, then in the system's order.
std::vector<MONITORINFO> monitors() {
    std::vector<MONITORINFO> found;
    EnumDisplayMonitors(nullptr, nullptr, &addMonitor, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct PixelFormat {
    int colour, depth;
};

// No alpha channel in any depth, as on the other platforms: nothing is drawn
// against the window's alpha. 32 and 24 bits are 8 per colour.
PixelFormat formatFor(int colourBits) { return colourBits <= 16 ? PixelFormat{16, 24} : PixelFormat{24, 24}; }

// The window's rectangle for a client area of `width` x `height` placed at
// `left`, `top`, with the frame `style` draws.
RECT outerRect(int left, int top, int width, int height, DWORD style) {
    RECT r{left, top, left + width, top + height};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    return r;
}

// SDL's curve for a gamma exponent, so that both platforms set the same ramp.
void gammaRamp(float gamma, WORD ramp[256]) {
    const double exponent = 1.0 / gamma;
    for (int i = 0; i < 256; ++i) {
        const int value = gamma == 1.0f ? (i << 8) | i : int(std::pow(i / 256.0, exponent) * 65535.0 + 0.5);
        ramp[i] = static_cast<WORD>(value > 65535 ? 65535 : value);
    }
}

}  // namespace

// Declared in the order they are made: destroyed context first, then the
// device context, the window and its class.
struct Window::Impl {
    std::unique_ptr<WindowClass> windowClass;
    WindowHandle window;
    std::unique_ptr<WindowDc> dc;
    GlContextHandle context;
    bool gammaSaved = false;
    bool gammaChanged = false;
    WORD gamma[3][256] = {};
    std::string description;
    KeyPressCounter keys;
    std::unique_ptr<KeyWatch> keyWatch;  // counts into keys while the window is open

    ~Impl() {
        keyWatch.reset();
        if (dc && gammaChanged && gammaSaved) SetDeviceGammaRamp(dc->get(), gamma);
        if (context) unloadGlFunctions();
    }
};

Window::Window(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Window::~Window() = default;

std::unique_ptr<Window> Window::open(const DisplayMode& mode) {
    const std::string display =
        mode.headless ? std::string("hidden window") : formatText("display %d", mode.display);
    const std::vector<MONITORINFO> screens = monitors();
    if (screens.empty()) fail("%s: no display (the desktop lists no monitor)", display.c_str());
    const int count = static_cast<int>(screens.size());
    const int chosen = mode.headless ? 0 : mode.display;
    if (chosen < 0 || chosen >= count) {
        if (count == 1) fail("display %d does not exist (this desktop has 1: 0)", mode.display);
        fail("display %d does not exist (this desktop has %d: 0 to %d)", mode.display, count, count - 1);
    }
    const RECT monitor = screens[chosen].rcMonitor;
    const int monitorWidth = monitor.right - monitor.left;
    const int monitorHeight = monitor.bottom - monitor.top;

    auto impl = std::make_unique<Impl>();
    impl->windowClass = std::make_unique<WindowClass>();
    if (!impl->windowClass->registered()) {
        fail("%s: no display (cannot register the window class: %s)", display.c_str(),
             win32ErrorText(impl->windowClass->error()).c_str());
    }
    impl->keyWatch = std::make_unique<KeyWatch>(impl->keys);

    // Full screen: a borderless window over the whole monitor, its mode left
    // alone (the engine scales its picture onto it). Windowed: a fixed-size
    // frame whose client area has the mode's size, centred on the monitor.
    const bool fullscreen = mode.fullscreen && !mode.headless;
    const DWORD style = fullscreen ? WS_POPUP : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const RECT outer = fullscreen ? monitor
                                  : outerRect(monitor.left + (monitorWidth - mode.width) / 2,
                                              monitor.top + (monitorHeight - mode.height) / 2, mode.width,
                                              mode.height, style);

    // The requested format first, then the plainest one a display may offer.
    const PixelFormat wanted = formatFor(mode.colourBits);
    const PixelFormat fallbacks[] = {wanted, {16, 16}};
    std::string lastError = "no attempt";
    for (const PixelFormat& format : fallbacks) {
        impl->window.reset(CreateWindowExA(0, kWindowClass, kCaption, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                           outer.left, outer.top, outer.right - outer.left,
                                           outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                                           nullptr));
        if (!impl->window) {
            fail("%s: no display (cannot create the window: %s)", display.c_str(),
                 win32ErrorText(GetLastError()).c_str());
        }
        impl->dc = std::make_unique<WindowDc>(impl->window.get());
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = static_cast<BYTE>(format.colour);
        pfd.cAlphaBits = 0;
        pfd.cDepthBits = static_cast<BYTE>(format.depth);
        pfd.iLayerType = PFD_MAIN_PLANE;
        const int index = ChoosePixelFormat(impl->dc->get(), &pfd);
        if (index == 0) {
            lastError = "ChoosePixelFormat: " + win32ErrorText(GetLastError());
        } else if (!SetPixelFormat(impl->dc->get(), index, &pfd)) {
            lastError = "SetPixelFormat: " + win32ErrorText(GetLastError());
        } else {
            impl->context.reset(wglCreateContext(impl->dc->get()));
            if (impl->context) break;
            lastError = "wglCreateContext: " + win32ErrorText(GetLastError());
        }
        logf("OpenGL context with colour %d bits, depth %d failed: %s", format.colour, format.depth,
             lastError.c_str());
        // A window's pixel format is set once: the next attempt needs a new window.
        impl->dc.reset();
        impl->window.reset();
    }
    if (!impl->context) fail("%s: cannot create OpenGL context (%s)", display.c_str(), lastError.c_str());
    if (!wglMakeCurrent(impl->dc->get(), impl->context.get())) {
        fail("%s: cannot make the OpenGL context current (%s)", display.c_str(),
             win32ErrorText(GetLastError()).c_str());
    }
    loadGlFunctions();

    // WGL_EXT_swap_control: the interval the buffer swap waits for.
    using SwapInterval = BOOL(WINAPI*)(int);
    using GetSwapInterval = int(WINAPI*)();
    const auto setInterval = reinterpret_cast<SwapInterval>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    const auto getInterval = reinterpret_cast<GetSwapInterval>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetSwapIntervalEXT")));
    if (setInterval) {
        if (!setInterval(mode.vsync ? 1 : 0) && mode.vsync) {
            logf("vertical sync not available: wglSwapIntervalEXT refused (%s)",
                 win32ErrorText(GetLastError()).c_str());
        }
    } else if (mode.vsync) {
        logf("vertical sync not available: no WGL_EXT_swap_control");
    }
    const bool vsync = setInterval && getInterval ? getInterval() != 0 : false;
    impl->gammaSaved = GetDeviceGammaRamp(impl->dc->get(), impl->gamma) != FALSE;

    if (!mode.headless) {
        ShowWindow(impl->window.get(), SW_SHOW);
        SetForegroundWindow(impl->window.get());
        SetFocus(impl->window.get());
        UpdateWindow(impl->window.get());
    }

    PIXELFORMATDESCRIPTOR got{};
    DescribePixelFormat(impl->dc->get(), GetPixelFormat(impl->dc->get()), sizeof got, &got);
    RECT client{};
    GetClientRect(impl->window.get(), &client);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    impl->description = formatText(
        "%dx%d %s on display %d (monitor %ldx%ld at %ld,%ld), Win32 WGL, drawable %ldx%ld, colour R%dG%dB%dA%d, "
        "depth %d, vsync %s, gamma ramp %s, OpenGL %s (%s)",
        mode.width, mode.height, mode.headless ? "hidden" : fullscreen ? "desktop fullscreen" : "windowed", chosen,
        long(monitorWidth), long(monitorHeight), long(monitor.left), long(monitor.top), long(client.right),
        long(client.bottom), got.cRedBits, got.cGreenBits, got.cBlueBits, got.cAlphaBits, got.cDepthBits,
        vsync ? "on" : "off", impl->gammaSaved ? "saved" : "not available", version ? version : "(unknown)",
        renderer ? renderer : "unknown renderer");
    return std::unique_ptr<Window>(new Window(std::move(impl)));
}

void* Window::handle() const { return impl_->dc->get(); }

void Window::drawableSize(int& width, int& height) const {
    RECT client{};
    GetClientRect(impl_->window.get(), &client);
    width = client.right - client.left;
    height = client.bottom - client.top;
}

void Window::setTitle(const char* title) { SetWindowTextA(impl_->window.get(), title ? title : ""); }

void Window::setGamma(float gamma) {
    HDC dc = impl_->dc->get();
    if (gamma == 0.0f) {
        if (impl_->gammaSaved && impl_->gammaChanged) {
            SetDeviceGammaRamp(dc, impl_->gamma);
            impl_->gammaChanged = false;
        }
        return;
    }
    if (!(gamma > 0.0f)) {
        logf("gamma %.2f not available: a gamma curve needs a positive exponent", double(gamma));
        return;
    }
    WORD ramp[3][256];
    gammaRamp(gamma, ramp[0]);
    for (int i = 0; i < 256; ++i) ramp[1][i] = ramp[2][i] = ramp[0][i];
    if (SetDeviceGammaRamp(dc, ramp)) {
        impl_->gammaChanged = true;
    } else {
        logf("gamma %.2f not available: SetDeviceGammaRamp refused it", double(gamma));
    }
}

const std::string& Window::description() const { return impl_->description; }

KeyPresses Window::takeKeyPresses() { return impl_->keys.take(); }

}  // namespace fluxcore::platform

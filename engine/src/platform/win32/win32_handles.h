// Owners for the Win32 handles the platform holds: each closes its handle
// once, when it goes (or when reset), the way that kind of handle is closed.
#pragma once

#include <windows.h>

#include <utility>

namespace fluxcore::platform {

// One handle of a kind that `Close` gives back; `Empty` is the kind's "none".
template <typename Handle, typename Close, Handle Empty = Handle()>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Empty)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Empty);
        }
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Empty; }
    void reset(Handle handle = Empty) {
        if (handle_ != Empty) Close()(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Empty;
};

struct DestroyWindowHandle {
    void operator()(HWND window) const { DestroyWindow(window); }
};
struct DeleteGlContext {
    void operator()(HGLRC context) const {
        if (wglGetCurrentContext() == context) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
};
struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

using WindowHandle = Owned<HWND, DestroyWindowHandle>;
using GlContextHandle = Owned<HGLRC, DeleteGlContext>;
using EventHandle = Owned<HANDLE, CloseKernelHandle>;  // CreateEvent's: null on failure

// A window's device context, released to its window when it goes.
class WindowDc {
public:
    WindowDc() = default;
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

}  // namespace fluxcore::platform

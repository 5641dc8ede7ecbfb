// Platform on Win32: the thread's message queue, the asynchronous key state
// for Escape, and SwapBuffers on the engine window's device context.
#pragma once

#include "host/platform/platform.h"

namespace glassmeridian {

class Win32Platform : public Platform {
public:
    // Removes one message of any window of this thread (PeekMessageA,
    // PM_REMOVE). WM_QUIT is Quit with its wParam as the code; any other
    // message is translated and dispatched and is Other with its wParam.
    // Escape going down also posts the quit message with code 0, so that a
    // show ended by Escape exits with 0 rather than with the key's code.
    PlatformEvent pollEvent() override;
    // Escape is down now, or went down since the last test (the low bit of
    // GetAsyncKeyState: a tap between two frames still counts).
    bool escapeHeld() override;
    // surface: the engine window's HDC (dmsGetHDC). Lets the engine finish
    // the frame (dmsPresentFrame) and swaps.
    void swapBuffers(void* surface) override;
};

}  // namespace glassmeridian

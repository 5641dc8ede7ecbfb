// The Win32 platform layer (see win32_platform.h).
#include "host/platform/win32/win32_platform.h"

#include <windows.h>

#include "fluxcore/dms.h"

namespace glassmeridian {

PlatformEvent Win32Platform::pollEvent() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return {};
    PlatformEvent taken;
    taken.code = static_cast<int>(message.wParam);
    if (message.message == WM_QUIT) {
        taken.kind = PlatformEvent::Kind::Quit;
        return taken;
    }
    // The quit message comes after the messages already posted (the key's
    // WM_CHAR) and before further input.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) PostQuitMessage(0);
    TranslateMessage(&message);
    DispatchMessageA(&message);
    taken.kind = PlatformEvent::Kind::Other;
    return taken;
}

bool Win32Platform::escapeHeld() {
    // The high bit: down now; the low bit: pressed since the last call.
    return GetAsyncKeyState(VK_ESCAPE) != 0;
}

void Win32Platform::swapBuffers(void* surface) {
    if (!surface) return;
    QUASAR_FLUXCORE::dmsPresentFrame();
    SwapBuffers(static_cast<HDC>(surface));
}

}  // namespace glassmeridian

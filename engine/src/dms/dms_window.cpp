// The public window operations: the monitor, the window handle, presenting
// the frame and the caption.
#include "core/engine.h"
#include "fluxcore/dms.h"

namespace QUASAR_FLUXCORE {

void dmsSetDisplay(int index) { fluxcore::engine().mode.display = index; }

void dmsSetHeadless(bool headless) { fluxcore::engine().mode.headless = headless; }

DmsHdc dmsGetHDC() {
    fluxcore::Engine& e = fluxcore::engine();
    return e.window ? e.window->handle() : nullptr;
}

void dmsPresentFrame() {
    fluxcore::Engine& e = fluxcore::engine();
    if (!e.window || !e.fullscreenPicture) return;
    int w = 0, h = 0;
    e.window->drawableSize(w, h);
    e.fullscreenPicture->present(w, h);
}

void dmsSetWindowTitle(const char* title) {
    fluxcore::Engine& e = fluxcore::engine();
    if (e.window) e.window->setTitle(title);
}

}  // namespace QUASAR_FLUXCORE

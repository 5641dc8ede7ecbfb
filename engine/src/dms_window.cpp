// The public window operations: the window handle and its caption.
#include "engine.h"
#include "fluxcore/dms.h"

namespace QUASAR_FLUXCORE {

DmsHdc dmsGetHDC() {
    fluxcore::Engine& e = fluxcore::engine();
    return e.window ? e.window->handle() : nullptr;
}

void dmsSetWindowTitle(const char* title) {
    fluxcore::Engine& e = fluxcore::engine();
    if (e.window) e.window->setTitle(title);
}

}  // namespace QUASAR_FLUXCORE

// The public timeline operations and the frame's run.
#include <GL/gl.h>

#include "core/engine.h"
#include "fluxcore/dms.h"

namespace QUASAR_FLUXCORE {

void dmsAddEffect(unsigned int start, unsigned int end, const char* name, Base* effect) {
    fluxcore::engine().timeline.add(start, end, name, effect);
}

void dmsInitEffects() { fluxcore::engine().timeline.initAll(); }

void dmsRun() {
    fluxcore::Engine& e = fluxcore::engine();
    if (e.window && !e.fullscreenPicture) {
        // Follows the drawable should the desktop resize the window (full
        // screen follows it when the picture is presented).
        int w = 0, h = 0;
        e.window->drawableSize(w, h);
        const fluxcore::Viewport view = fluxcore::letterbox(e.mode.width, e.mode.height, w, h);
        if (!(view == e.viewport)) {
            e.viewport = view;
            glViewport(view.x, view.y, view.width, view.height);
        }
    }
    const double now = fluxcore::wallMs();
    if (e.stats.frames++ == 0) e.stats.firstMs = now;
    e.stats.lastMs = now;
    e.timeline.run(static_cast<float>(e.clock.time()), [] { dmsPerspective3D(); });
}

}  // namespace QUASAR_FLUXCORE

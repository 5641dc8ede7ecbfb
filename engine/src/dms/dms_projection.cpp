// The public projection and cached-state operations: dmsPerspective2D,
// dmsPerspective3D, myEnable, myDisable, myBlendFunc.
#include <GL/gl.h>
#include <GL/glu.h>

#include "core/engine.h"
#include "fluxcore/dms.h"

namespace QUASAR_FLUXCORE {

void myEnable(int code) { fluxcore::engine().glState.enable(code); }
void myDisable(int code) { fluxcore::engine().glState.disable(code); }
void myBlendFunc(int source, int destination) { fluxcore::engine().glState.blendFunc(source, destination); }

void dmsPerspective2D(float width, float height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void dmsPerspective3D() {
    const fluxcore::Engine& e = fluxcore::engine();
    const double aspect = e.mode.height > 0 ? double(e.mode.width) / e.mode.height : 4.0 / 3.0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fluxcore::kFieldOfViewDegrees, aspect, fluxcore::kNearPlane, fluxcore::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace QUASAR_FLUXCORE

// IntroEffect: draws the loading picture over the whole screen.
#include "effects/intro_effect.h"

#include <GL/gl.h>

#include "effects/picture_quad.h"
#include "fluxcore/dms.h"

namespace glassmeridian {

using namespace QUASAR_FLUXCORE;

IntroEffect::~IntroEffect() = default;

bool IntroEffect::init(unsigned long start, unsigned long end) {
    startTime = static_cast<unsigned int>(start);
    endTime = static_cast<unsigned int>(end);
    return true;
}

// Leaves texturing on and depth testing off; the next drawing code sets what it needs.
void IntroEffect::draw() {
    myEnable(DMS_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, dmsGetTexture("loadpic.jpg")->getID());
    dmsPerspective2D(1.0f, 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    myDisable(DMS_DEPTH_TEST);

    drawPictureQuad();

    dmsPerspective3D();
}

}  // namespace glassmeridian

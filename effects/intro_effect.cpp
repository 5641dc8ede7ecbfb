// IntroEffect: draws the loading picture over the whole screen.
#include "effects/intro_effect.h"

#include <GL/gl.h>

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

    // Texture t runs from 1 at the bottom edge (y = 0) to 0 at the top (y = 1).
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();

    dmsPerspective3D();
}

}  // namespace glassmeridian

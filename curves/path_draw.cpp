// Path::draw: the whole path as a white line strip, OpenGL state restored.
#include <GL/gl.h>

#include "curves/path.h"

namespace QUASAR_FLUXCORE {

void Path::draw() {
    if (pointCount <= 0 || pointList->first == nullptr) {
        return;  // no points, nothing to draw
    }
    glPushAttrib(GL_ENABLE_BIT);
    glPushAttrib(GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_LINE_STRIP);

    // t advances in float steps of 0.005; the loop test uses the sum before it
    // is rounded, which gives 201 samples, the last at t = 0.9999992.
    const float step = 0.005f;
    float t = 0.0f;
    double sum = 0.0;
    do {
        const Vector v = getValue(t);
        glVertex3f(v.x, v.y, v.z);
        sum = static_cast<double>(t) + static_cast<double>(step);
        t = static_cast<float>(sum);
    } while (sum < 1.0);

    glEnd();
    glPopAttrib();
    glPopAttrib();
}

}  // namespace QUASAR_FLUXCORE

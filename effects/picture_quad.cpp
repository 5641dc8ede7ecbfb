// The full-screen picture quad shared by the intro and the scene's fade-out.
#include "effects/picture_quad.h"

#include <GL/gl.h>

namespace glassmeridian {

void drawPictureQuad() {
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
}

}  // namespace glassmeridian

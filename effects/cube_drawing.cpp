// Cube outline and corner sprites of the structure scene.
#include "effects/cube_drawing.h"

#include <GL/gl.h>

#include <fluxcore/dms.h>
#include <fluxcore/texture.h>

using QUASAR_FLUXCORE::Vector;

namespace glassmeridian {

namespace {

// Corner indices: bit 2 set for +x, bit 1 for +y, bit 0 for +z.
enum Corner { NNN, NNP, NPN, NPP, PNN, PNP, PPN, PPP };

// The outline face by face (y = -h, y = +h, x = +h, x = -h, z = +h, z = -h),
// four segments each, two vertices per segment: every edge is drawn twice.
constexpr unsigned char kOutline[48] = {
    NNP, NNN, PNP, PNN, PNP, NNP, PNN, NNN,  // y = -h
    NPP, NPN, PPP, PPN, PPP, NPP, PPN, NPN,  // y = +h
    PNP, PNN, PPP, PPN, PNP, PPP, PNN, PPN,  // x = +h
    NNP, NNN, NPP, NPN, NNP, NPP, NNN, NPN,  // x = -h
    PNP, NNP, PPP, NPP, PNP, PPP, NNP, NPP,  // z = +h
    PNN, NNN, PPN, NPN, PNN, PPN, NNN, NPN,  // z = -h
};

// Sprite order: the lower four corners, then the upper four.
constexpr unsigned char kSprites[8] = {PNP, PNN, NNP, NNN, PPP, PPN, NPP, NPN};

constexpr int kModelviewMatrix = 2982;  // GL_MODELVIEW_MATRIX

}  // namespace

void drawCube(float fadeHeight, float alpha, float halfSize, float spriteSize) {
    if (!(halfSize > 0.0f)) {
        return;
    }
    const float h = halfSize;
    Vector corners[8] = {
        Vector(-h, -h, -h), Vector(-h, -h, h), Vector(-h, h, -h), Vector(-h, h, h),
        Vector(h, -h, -h),  Vector(h, -h, h),  Vector(h, h, -h),  Vector(h, h, h),
    };

    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBegin(GL_LINES);
    for (unsigned char corner : kOutline) {
        glVertex3fv(&corners[corner].x);
    }
    glEnd();

    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
    QUASAR_FLUXCORE::myBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, QUASAR_FLUXCORE::dmsGetTexture("particle.jpg")->getID());

    Vector right;
    Vector up;
    getCameraAxes(right, up);

    // A straight rise from 0 at -1 to 1 at -0.7; -0.7 itself takes this branch.
    float k;
    if (fadeHeight > -0.7f) {
        k = 1.0f;
    } else if (fadeHeight < -1.0f) {
        k = 0.0f;
    } else {
        k = static_cast<float>(1.0 - (static_cast<double>(fadeHeight) - -0.7f) * -3.3333333f);
    }
    // Sprites are drawn even at k = 0: the call sequence does not depend on it.
    glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(static_cast<double>(k) * alpha * 0.8f));
    for (unsigned char corner : kSprites) {
        drawSprite(corners[corner], right, up, spriteSize);
    }

    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
}

void drawSprite(Vector& centre, Vector& right, Vector& up, float size) {
    const Vector r = right * size;
    const Vector u = up * size;
    const Vector lowerLeft = (centre - r) - u;
    const Vector lowerRight = (centre + r) - u;
    const Vector upperRight = (centre + r) + u;
    const Vector upperLeft = (centre - r) + u;

    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3fv(&lowerLeft.x);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3fv(&lowerRight.x);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3fv(&upperRight.x);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3fv(&upperLeft.x);
    glEnd();
}

void getCameraAxes(Vector& right, Vector& up) {
    float m[16];
    glGetFloatv(kModelviewMatrix, m);
    right = Vector(m[0], m[4], m[8]);
    up = Vector(m[1], m[5], m[9]);
}

}  // namespace glassmeridian

// StructureEffect's last stage: the sinking, turning structure of cubes, the
// track line and ribbon growing along the track, and the loading picture
// fading out over the scene.
#include <GL/gl.h>

#include <cmath>

#include <fluxcore/dms.h>
#include <fluxcore/texture.h>

#include "curves/path.h"
#include "effects/cube_drawing.h"
#include "effects/effect_timing.h"
#include "effects/picture_quad.h"
#include "effects/structure_effect.h"

using QUASAR_FLUXCORE::Vector;

namespace glassmeridian {

namespace {

constexpr float kSpriteSize = 0.1f;
constexpr float kTrailScale = 1.1f;
constexpr float kLineStep = 0.0005f;
constexpr int kMaxLineVertices = 2000;

// Reveal amount p: x of the reveal path at t, clamped to [0, 1] (NaN gives
// 0), raised to the power 1.5. The clamp keeps the ribbon length within the
// array.
float revealAmount(QUASAR_FLUXCORE::Path& revealPath, float t) {
    float p = revealPath.getValue(t).x;
    if (p > 1.0f) {
        p = 1.0f;
    } else if (!(p >= 0.0f)) {
        p = 0.0f;
    }
    return static_cast<float>(std::pow(p, 1.5));
}

}  // namespace

void StructureEffect::drawCubesAndTrails(float t, float fade) {
    // Scene transform: turn about (0, 0.2, 0.9), then about (-1, -0.77, 0),
    // then sink by V.
    glPushMatrix();
    const float tilt = static_cast<float>(ramp(t, 0.2f, 1.0f));
    const float sink = static_cast<float>(ramp(t, 0.2f, 0.9f));
    const float e = static_cast<float>(std::pow(sink, 2.5));
    const Vector offset = (Vector(0.0f, -4.0f, 0.0f) * t) * e;
    glTranslatef(offset.x, offset.y, offset.z);
    glRotatef(static_cast<float>(t * 100.0 + 7.0), -1.0f, -0.77f, 0.0f);
    glRotatef(static_cast<float>(tilt * 50.0), 0.0f, 0.2f, 0.9f);

    // Cubes. No blend function is set here: the first outline is blended with
    // what the grid left, every later one with what drawCube leaves.
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_MULTISAMPLE);
    glLineWidth(1.0f);
    const double sinkHeight = 2.4f * static_cast<double>(offset.y);
    for (int k = 0; k < cubeCount; ++k) {
        const Cube& cube = cubes[k];
        glPushMatrix();
        glTranslatef(cube.position.x, cube.position.y, cube.position.z);
        const double pulse = std::sin(static_cast<double>(t) * cube.frequency + cube.phase);
        const float size = static_cast<float>(
            cube.minSize + (pulse + 1.0) * 0.5 *
                               (static_cast<double>(cube.maxSize) - cube.minSize));
        const float fadeHeight = static_cast<float>(2.0 * cube.position.y + sinkHeight);
        drawCube(fadeHeight, fade, size, kSpriteSize);
        glPopMatrix();
    }

    // Track line: untextured (drawCube left texturing off), blended, depth-tested.
    QUASAR_FLUXCORE::myBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
    glLineWidth(4.0f);
    const float p = revealAmount(*revealPath, t);
    glScalef(kTrailScale, kTrailScale, kTrailScale);

    // s accumulates in single precision; the end test looks at the sum before
    // it is rounded, so the vertex count follows the float sequence exactly.
    glBegin(GL_LINE_STRIP);
    float s = 0.0f;
    int count = 0;
    for (;;) {
        const Vector position = trackPath->getValue(s);
        const Vector colour = colourPath->getValue(s);
        glColor4f(colour.x, colour.y, colour.z, fade);
        glVertex3fv(&position.x);
        const double sum = static_cast<double>(s) + kLineStep;
        s = static_cast<float>(sum);
        if (sum > p) {
            break;
        }
        if (++count == kMaxLineVertices) {
            break;
        }
    }
    glEnd();

    // Ribbon: the newest segment grows from its anchor to full size while
    // ribbonCount x p passes from n to n + 1.
    const double ribbonLength = ribbonCount * static_cast<double>(p);
    const int n = static_cast<int>(ribbonLength);
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < n; ++k) {
        const RibbonSegment& segment = ribbon[k];
        const float q =
            k == n - 1 ? static_cast<float>(ramp(static_cast<float>(ribbonLength - n), 0.0f, 1.0f))
                       : 1.0f;
        const Vector a = segment.position + segment.corner1 * q;
        const Vector b = segment.position + segment.corner2 * q;
        const Vector c = segment.position + segment.corner3 * q;
        glColor4f(segment.colour.x, segment.colour.y, segment.colour.z, fade);
        glVertex3fv(&a.x);
        glVertex3fv(&b.x);
        glVertex3fv(&c.x);
    }
    glEnd();
    glPopMatrix();

    // The loading picture over the finished scene, fading out by t = 0.05. The
    // binding, state and projection calls happen in every frame.
    const float overlayAlpha = static_cast<float>(1.0 - ramp(t, 0.0f, 0.05f));
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, QUASAR_FLUXCORE::dmsGetTexture("loadpic.jpg")->getID());
    QUASAR_FLUXCORE::dmsPerspective2D(1.0f, 1.0f);
    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_BLEND);
    QUASAR_FLUXCORE::myBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (overlayAlpha > 0.0f) {
        glColor4f(1.0f, 1.0f, 1.0f, overlayAlpha);
        drawPictureQuad();
    }
    QUASAR_FLUXCORE::dmsPerspective3D();
}

}  // namespace glassmeridian

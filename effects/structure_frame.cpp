// StructureEffect per-frame sequence: the fixed state, the camera pulling back
// and the flickering wave grid.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include <fluxcore/dms.h>

#include "effects/effect_timing.h"
#include "effects/structure_effect.h"

namespace glassmeridian {

namespace {

constexpr float kGridRed = 0.0f;
constexpr float kGridGreen = 0.09411765f;  // 24 / 255
constexpr float kGridBlue = 0.22352941f;   // 57 / 255
constexpr float kGridPlaneY = -1.5f;
constexpr float kPi = 3.141592f;  // deliberately short: the wave never quite returns to 0
constexpr int kRefreshPeriod = 4;

}  // namespace

void StructureEffect::draw() {
    const float t = normalisedTime(*this);
    drawFrame(t, fadeEnvelope(t));
}

void StructureEffect::drawFrame(float t, float fade) {
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    QUASAR_FLUXCORE::myBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_BLEND);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_LINE_SMOOTH);
    // No matrix push: the camera stays in force for the grid and the cubes.
    placeCamera(t);
    drawWaveGrid(t, fade);
    drawCubesAndTrails(t, fade);
}

void StructureEffect::placeCamera(float t) {
    // Matrix mode is the engine's: draw() is called with the model-view current.
    const float eyeZ = static_cast<float>(-7.0f - 1.5f * static_cast<double>(t));
    const float centreX = -0.7f;
    const float centreY = static_cast<float>(-0.2f * static_cast<double>(t));
    glLoadIdentity();
    gluLookAt(0.0, 0.0, eyeZ, centreX, centreY, 0.0, 0.0, 1.0, 0.0);
}

void StructureEffect::drawWaveGrid(float t, float fade) {
    QUASAR_FLUXCORE::myDisable(QUASAR_FLUXCORE::DMS_TEXTURE_2D);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_DEPTH_TEST);
    QUASAR_FLUXCORE::myEnable(QUASAR_FLUXCORE::DMS_BLEND);
    QUASAR_FLUXCORE::myBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float wave = static_cast<float>(std::sin(ramp(t, 0.3f, 1.0f) * kPi));

    // One draw per point of rows 0 to gridRows - 2, even when the wave is 0:
    // the flicker sequence depends only on the number of refresh frames.
    if (frameCounter % kRefreshPeriod == 0) {
        for (int i = 0; i < gridRows - 1; ++i) {
            for (int j = 0; j < gridColumns; ++j) {
                const double r = randomUnit();
                gridHeights[i * gridColumns + j] =
                    static_cast<float>((r * 0.3f + 0.7f) * wave * 0.8f);
            }
        }
    }
    ++frameCounter;

    for (int i = 0; i < gridRows - 1; ++i) {
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j < gridColumns; ++j) {
            for (int row = i; row <= i + 1; ++row) {
                const int k = row * gridColumns + j;
                const float vertex[3] = {gridPoints[k].x, kGridPlaneY, gridPoints[k].z};
                const float a = static_cast<float>(
                    (1.0 - static_cast<double>(gridHeights[k])) * gridWeights[k]);
                glColor4f(kGridRed, kGridGreen, kGridBlue, a * fade);
                glVertex3fv(vertex);
            }
        }
        glEnd();
    }
}

}  // namespace glassmeridian

// StructureEffect ("rakenne"): construction and release of the scene (the
// grid, the cubes, the track, colour and reveal paths and the ribbon, all
// generated from one seed), and each frame: the fixed state, the camera
// pulling back, the flickering wave grid, the sinking, turning structure of
// cubes, the track line and ribbon growing along the track, and the loading
// picture fading out over the scene.
#include "effects/structure_effect.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include <fluxcore/dms.h>
#include <fluxcore/texture.h>

#include "curves/path.h"
#include "effects/cube_drawing.h"
#include "effects/effect_timing.h"
#include "effects/picture_quad.h"

using QUASAR_FLUXCORE::Matrix;
using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::Vector;

namespace glassmeridian {

namespace {

// Scene construction.
// A matrix with the given diagonal and zeros elsewhere (Matrix() zeroes all).
Matrix diagonal(float a, float b, float c) {
    Matrix m;
    m.m[0][0] = a;
    m.m[1][1] = b;
    m.m[2][2] = c;
    return m;
}

// The wave grid.
constexpr float kGridRed = 0.0f;
constexpr float kGridGreen = 0.09411765f;  // 24 / 255
constexpr float kGridBlue = 0.22352941f;   // 57 / 255
constexpr float kGridPlaneY = -1.5f;
constexpr float kPi = 3.141592f;  // deliberately short: the wave never quite returns to 0
constexpr int kRefreshPeriod = 4;

// The cubes and trails.
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

// Construction and release.

StructureEffect::StructureEffect() {
    // Anything that throws part-way (out of memory) must not leak what was
    // already built: release it here, since the destructor will not run.
    try {
        cubeCount = 100;
        cubes = new Cube[cubeCount];

        seedRandom(kSeed);
        gridScaleX = 0.3f;
        gridScaleZ = 0.3f;
        frameCounter = 0;
        gridColumns = 60;
        gridRows = 60;

        buildGrid();
        buildCubes();
        buildPaths();
        buildRibbon();
    } catch (...) {
        releaseScene();
        throw;
    }
}

StructureEffect::~StructureEffect() { releaseScene(); }

bool StructureEffect::init(unsigned long start, unsigned long end) {
    startTime = static_cast<unsigned int>(start);
    endTime = static_cast<unsigned int>(end);
    return true;
}

void StructureEffect::buildGrid() {
    const int count = gridRows * gridColumns;
    gridPoints = new Vector[count];
    gridColours = new Vector[count];
    gridWeights = new float[count];
    gridHeights = new float[count];

    // The refresh rewrites rows 0 to gridRows - 2 before the first strip is
    // drawn, but never the last row. Those heights are set to 1 so that the
    // last row's alpha, (1 - height) x weight, is exactly 0: the far edge of
    // the field always fades out cleanly, instead of standing as a bright seam
    // behind the dimmed rows while the waves are at their highest. The other
    // rows start calm (0) so that no element is ever undefined.
    for (int n = 0; n < count; ++n) {
        gridHeights[n] = n < (gridRows - 1) * gridColumns ? 0.0f : 1.0f;
    }

    for (int i = 0; i < gridRows; ++i) {
        for (int j = 0; j < gridColumns; ++j) {
            const int n = i * gridColumns + j;
            Matrix m;
            m.makeIdentity();
            m.m[0][0] = gridScaleX;
            m.m[1][1] = 1.0f;
            m.m[2][2] = gridScaleZ;
            const Vector local(static_cast<float>(j - gridColumns * 0.5), 0.0f,
                               static_cast<float>(i - gridRows * 0.5));
            gridPoints[n] = local * m;

            const double a = randomUnit();
            const double b = randomUnit();
            const double c = randomUnit();
            gridColours[n] = Vector(static_cast<float>(c), static_cast<float>(b),
                                    static_cast<float>(a));

            gridWeights[n] = static_cast<float>(
                (1.0 - static_cast<double>(0.1f) * gridPoints[n].length()) * 3.0);
        }
    }
}

void StructureEffect::buildCubes() {
    for (int k = 0; k < cubeCount; ++k) {
        Cube& cube = cubes[k];
        const Matrix m = diagonal(2.0f, 2.0f, 2.0f);
        const double a = randomUnit();
        const double b = randomUnit();
        const double c = randomUnit();
        cube.position = Vector(static_cast<float>(c - 0.5), static_cast<float>(b - 0.5),
                               static_cast<float>(a - 0.5)) *
                        m;
        cube.maxSize = 0.13f;
        cube.minSize = 0.05f;
        cube.phase = static_cast<float>(randomUnit() * 6.283184f);
        cube.frequency = static_cast<float>(randomUnit() * 37.0 + 1.0);
        cube.colour = Vector(1.0f, 1.0f, 1.0f);
    }
}

void StructureEffect::buildPaths() {
    trackPath = new Path();
    colourPath = new Path();
    baseColour = Vector(0.23f, 0.32f, 0.11f);

    revealPath = new Path();
    static const float kRevealX[12] = {0.0f, 0.0f, 0.0f, 0.17f, 0.22f, 0.4f,
                                       0.5f, 0.6f, 0.7f,  0.8f,  0.9f,  1.0f};
    for (float x : kRevealX) {
        Vector point(x, 0.0f, 0.0f);
        revealPath->addpoint(point);
    }

    // A fixed 100 points: the track's length is not a field of the scene.
    for (int k = 0; k < 100; ++k) {
        const Matrix m = diagonal(2.1f, 2.1f, 2.1f);
        const double a = randomUnit();
        const double b = randomUnit();
        const double c = randomUnit();
        Vector point = Vector(static_cast<float>(c - 0.5), static_cast<float>(b - 0.5),
                              static_cast<float>(a - 0.5)) *
                       m;
        trackPath->addpoint(point);

        const double d = randomUnit();
        const double e = randomUnit();
        const double f = randomUnit();
        Vector colour = baseColour + Vector(static_cast<float>(f * 0.2f),
                                            static_cast<float>(e * 0.3f),
                                            static_cast<float>(d * 0.1f));
        colourPath->addpoint(colour);
    }
}

void StructureEffect::buildRibbon() {
    ribbonCount = 1500;
    ribbon = new RibbonSegment[ribbonCount];
    const float scale = 0.25f;
    for (int k = 0; k < ribbonCount; ++k) {
        RibbonSegment& segment = ribbon[k];
        const float s = static_cast<float>(static_cast<double>(k) / ribbonCount);
        segment.position = trackPath->getValue(s);

        Vector d = trackPath->getDerivative(s);
        d *= 6.283184f;
        Matrix r;
        r.makeRotation(-d.x, -d.y, -d.z);

        const double a = randomUnit();
        const double b = randomUnit();
        const double c = randomUnit();
        segment.colour = baseColour + Vector(static_cast<float>(c * 0.1f),
                                             static_cast<float>(b * 0.2f),
                                             static_cast<float>(a * 0.04f));

        segment.corner1 = (Vector(0.7f, 0.3f, 0.0f) * scale) * r;
        segment.corner2 = (Vector(-0.3f, -0.4f, 0.0f) * scale) * r;
        segment.corner3 = (Vector(0.5f, -0.1f, 0.0f) * scale) * r;
    }
}

void StructureEffect::releaseScene() {
    delete[] cubes;
    cubes = nullptr;
    delete[] ribbon;
    ribbon = nullptr;
    delete[] gridPoints;
    gridPoints = nullptr;
    delete[] gridColours;
    gridColours = nullptr;
    delete[] gridWeights;
    gridWeights = nullptr;
    delete[] gridHeights;
    gridHeights = nullptr;
    delete trackPath;
    trackPath = nullptr;
    delete colourPath;
    colourPath = nullptr;
    delete revealPath;
    revealPath = nullptr;
}

// Each frame: state, camera and wave grid.

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

// Each frame: cubes, track line, ribbon and the loading picture's fade.

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

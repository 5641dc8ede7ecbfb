// StructureEffect construction and release: the grid, the cubes, the track,
// colour and reveal paths and the ribbon, all generated from one seed.
#include "effects/structure_effect.h"

#include "curves/path.h"
#include "effects/effect_timing.h"

using QUASAR_FLUXCORE::Matrix;
using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::Vector;

namespace glassmeridian {

namespace {

// A matrix with the given diagonal and zeros elsewhere (Matrix() zeroes all).
Matrix diagonal(float a, float b, float c) {
    Matrix m;
    m.m[0][0] = a;
    m.m[1][1] = b;
    m.m[2][2] = c;
    return m;
}

}  // namespace

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

}  // namespace glassmeridian

// StructureEffect ("rakenne"): the main scene. The constructor generates the
// whole scene from a fixed seed; every frame draws the wave grid, the sinking
// and turning cubes, the growing track line and ribbon, and fades out the
// loading picture over the first moments.
#pragma once

#include <fluxcore/base.h>
#include <fluxcore/math.h>

namespace QUASAR_FLUXCORE {
class Path;
}

namespace glassmeridian {

// One floating cube of the structure.
struct Cube {
    float frequency;  // rate of the size pulse, radians per whole span
    float phase;      // phase of the size pulse
    float maxSize;    // largest half-size
    float minSize;    // smallest half-size
    QUASAR_FLUXCORE::Vector position;  // centre, before the scene transform
    QUASAR_FLUXCORE::Vector colour;    // kept with the record; the drawing uses white
};

// One small triangle of the ribbon laid along the track.
struct RibbonSegment {
    QUASAR_FLUXCORE::Vector position;  // anchor on the track
    QUASAR_FLUXCORE::Vector colour;
    QUASAR_FLUXCORE::Vector corner1;   // corner offsets from the anchor
    QUASAR_FLUXCORE::Vector corner2;
    QUASAR_FLUXCORE::Vector corner3;
};

class StructureEffect : public QUASAR_FLUXCORE::Base {
public:
    // Seeds the shared generator with kSeed and builds the whole scene; takes
    // exactly kConstructionDraws draws. Makes no GL or engine calls.
    StructureEffect();
    ~StructureEffect() override;

    bool init(unsigned long start, unsigned long end) override;  // stores the interval; true
    void draw() override;  // t and fade from the effect's time, then drawFrame

    // One frame: fixed state, camera, wave grid, then cubes and trails.
    void drawFrame(float t, float fade);
    void placeCamera(float t);
    // Refreshes the heights on every 4th call (59 x 60 draws), then draws the
    // grid as quad strips.
    void drawWaveGrid(float t, float fade);
    // Scene transform, cubes, track line, ribbon and the loading-picture fade.
    void drawCubesAndTrails(float t, float fade);

    static constexpr unsigned int kSeed = 1049069;
    static constexpr int kConstructionDraws = 16400;

    // Scene data. Arrays are owned and sized by the count beside them; the
    // grid arrays are row-major with gridRows x gridColumns elements.
    int gridColumns = 0;
    int gridRows = 0;
    float gridScaleX = 0.0f;
    float gridScaleZ = 0.0f;
    QUASAR_FLUXCORE::Vector* gridPoints = nullptr;
    QUASAR_FLUXCORE::Vector* gridColours = nullptr;
    float* gridWeights = nullptr;
    float* gridHeights = nullptr;
    int cubeCount = 0;
    Cube* cubes = nullptr;
    int ribbonCount = 0;
    RibbonSegment* ribbon = nullptr;
    QUASAR_FLUXCORE::Vector baseColour;
    QUASAR_FLUXCORE::Path* trackPath = nullptr;
    QUASAR_FLUXCORE::Path* colourPath = nullptr;
    QUASAR_FLUXCORE::Path* revealPath = nullptr;
    int frameCounter = 0;

private:
    void buildGrid();
    void buildCubes();
    void buildPaths();
    void buildRibbon();
    // Frees whatever is allocated, in the release order, and nulls the pointers.
    void releaseScene();
};

}  // namespace glassmeridian

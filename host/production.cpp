// The production's start-up and frame sequences (see production.h).
#include "host/production.h"

namespace glassmeridian::production {

void startUp(EngineApi& engine) {
    engine.addFont(kFontCell, kFontCell, kFont);
    for (const char* picture : kPictures) engine.addTexture(picture);
    engine.registerTimeline();
    engine.initEffects();
    engine.uploadTextures();
    engine.initTimer();
}

void advanceClock(EngineApi& engine) {
    engine.clearColour();
    engine.updateTimer();
}

void drawPicture(EngineApi& engine) {
    engine.clearBuffers();
    engine.run();
}

}  // namespace glassmeridian::production

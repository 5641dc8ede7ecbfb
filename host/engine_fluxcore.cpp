// FluxcoreEngine: each operation is the engine call of the same name (initEx
// sets the monitor first; the two clears are OpenGL's own).
#include "host/engine_fluxcore.h"

#include <GL/gl.h>

#include "fluxcore/dms.h"
#include "host/production.h"

namespace glassmeridian {

namespace fc = QUASAR_FLUXCORE;

void FluxcoreEngine::setLogging(bool enabled) { fc::dmsSetLogging(enabled); }

bool FluxcoreEngine::initEx(const LaunchSettings& settings, const char* archive) {
    fc::dmsSetDisplay(settings.display);
    return fc::dmsInitEx(settings.width, settings.height, settings.colourBits, settings.seeOption,
                         settings.hearOption, settings.waitOption, archive);
}

void FluxcoreEngine::addFont(int cellWidth, int cellHeight, const char* file) {
    fc::dmsAddFont(cellWidth, cellHeight, file);
}

void FluxcoreEngine::addTexture(const char* file) { fc::dmsAddTexture(file); }
void FluxcoreEngine::registerTimeline() { production::registerTimeline(); }
void FluxcoreEngine::initEffects() { fc::dmsInitEffects(); }
void FluxcoreEngine::uploadTextures() { fc::dmsUploadTextures(); }
void FluxcoreEngine::initTimer() { fc::dmsInitTimer(); }
void FluxcoreEngine::clearColour() { glClearColor(0.0f, 0.0f, 0.0f, 0.0f); }
void FluxcoreEngine::updateTimer() { fc::dmsUpdateTimer(); }
void FluxcoreEngine::checkControls(float step) { fc::dmsCheckControls(step); }
void FluxcoreEngine::clearBuffers() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }
void FluxcoreEngine::run() { fc::dmsRun(); }
void* FluxcoreEngine::hdc() { return fc::dmsGetHDC(); }
float FluxcoreEngine::time() { return fc::dmsGetTime(); }
void FluxcoreEngine::setTime(float ms) { fc::dmsSetTime(ms); }
void FluxcoreEngine::setWindowTitle(const char* title) { fc::dmsSetWindowTitle(title); }
void FluxcoreEngine::playSong(int n, float startMs) { fc::dmsPlaySongFrom(n, startMs); }
void FluxcoreEngine::setGamma(float gamma) { fc::dmsSetGamma(gamma); }
void FluxcoreEngine::shutDown() { fc::dmsShutDown(); }
void FluxcoreEngine::message(const char* text) { fc::dmsMsg("%s", text); }

}  // namespace glassmeridian

// Engine test harness: reaches into the engine instance the dms* operations use.
#include "engine_harness.h"

#include <string>

#include "engine.h"

namespace testsupport {

void addTestTexture(const char* name, unsigned int glName, int width, int height) {
    fluxcore::engine().textures.add(name ? name : "", glName, width, height);
}

void openArchiveHeadless(const char* pakPath) {
    fluxcore::Engine& e = fluxcore::engine();
    e.archive.reset();  // only one archive is mounted at a time
    e.archive = fluxcore::Archive::open(pakPath ? pakPath : "");
}

void resetEngine() { fluxcore::engine().resetToDefaults(); }

}  // namespace testsupport

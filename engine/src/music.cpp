// dmsPlaySong: the song from the archive, or silence with a reason in the log.
#include <string>
#include <vector>

#include "audio/audio.h"
#include "engine.h"
#include "fluxcore/dms.h"
#include "log.h"

namespace QUASAR_FLUXCORE {

void dmsPlaySong(int n) {
    using namespace fluxcore;
    Engine& e = engine();
    const std::string file = "song" + std::to_string(n) + ".ogg";
    if (!e.mode.sound) {
        logf("%s: sound is off; playing on silently", file.c_str());
        return;
    }
    std::vector<unsigned char> bytes;
    if (!e.archive || !e.archive->read(file, bytes)) {
        logf("%s: not in %s; playing on silently", file.c_str(),
             e.archive ? e.archive->displayName().c_str() : "the archive (none open)");
        return;
    }
    std::string why;
    if (!audio::startSong(std::move(bytes), why)) {
        warnf("%s: no sound (%s); playing on silently", file.c_str(), why.c_str());
        return;
    }
    e.clock.songStarted();
    if (e.clock.paused()) audio::pauseSong(true);
    logf("%s: playing from %.0f ms", file.c_str(), e.clock.time());
}

}  // namespace QUASAR_FLUXCORE

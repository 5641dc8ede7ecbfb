// The public clock operations and the engine's keys.
#include "audio/audio.h"
#include "engine.h"
#include "fluxcore/dms.h"
#include "log.h"

namespace fluxcore {

namespace {

// The audio module as the clock sees it.
class AudioSong : public SongControl {
public:
    void pause(bool paused) override { audio::pauseSong(paused); }
    void seek(double songMs) override { audio::seekSong(songMs); }
};

}  // namespace

}  // namespace fluxcore

namespace QUASAR_FLUXCORE {

void dmsInitTimer() {
    fluxcore::Engine& e = fluxcore::engine();
    const bool fixed = e.clock.fixed();
    e.clock.start(fluxcore::wallMs());
    e.clock.setFixed(fixed, fluxcore::wallMs());
    e.keys.reset();
}

void dmsUpdateTimer() {
    fluxcore::Engine& e = fluxcore::engine();
    fluxcore::AudioSong song;
    const double position = e.clock.hasSong() ? fluxcore::audio::songPositionMs() : -1.0;
    e.clock.update(fluxcore::wallMs(), position, song);
}

float dmsGetTime() { return static_cast<float>(fluxcore::engine().clock.time()); }

void dmsSetFixedClock(bool fixed) { fluxcore::engine().clock.setFixed(fixed, fluxcore::wallMs()); }

void dmsSetTime(float ms) {
    fluxcore::AudioSong song;
    fluxcore::engine().clock.setTime(ms, fluxcore::wallMs(), song);
}

void dmsCheckControls(float step) {
    fluxcore::Engine& e = fluxcore::engine();
    if (!e.window) return;
    const fluxcore::ControlActions actions = e.keys.next(fluxcore::platform::readKeys());
    fluxcore::AudioSong song;
    const double now = fluxcore::wallMs();
    if (actions.seekSteps != 0) {
        const double t = e.clock.seek(double(actions.seekSteps) * step, now, song);
        fluxcore::logf("seek to %.0f ms", t);
    }
    if (actions.togglePause) {
        e.clock.setPaused(!e.clock.paused(), now, song);
        fluxcore::logf("%s at %.0f ms", e.clock.paused() ? "paused" : "resumed", e.clock.time());
    }
}

}  // namespace QUASAR_FLUXCORE

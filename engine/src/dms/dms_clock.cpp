// The public clock operations and the engine's keys.
#include <string>

#include "audio/audio.h"
#include "core/engine.h"
#include "fluxcore/dms.h"
#include "core/log.h"

namespace fluxcore {

void AudioSong::pause(bool paused) { audio::pauseSong(paused); }
void AudioSong::seek(double songMs) { audio::seekSong(songMs); }

}  // namespace fluxcore

namespace QUASAR_FLUXCORE {

void dmsInitTimer() {
    fluxcore::Engine& e = fluxcore::engine();
    const bool fixed = e.clock.fixed();
    e.clock.start(fluxcore::wallMs());
    e.clock.setFixed(fixed, fluxcore::wallMs());
    if (e.window) e.window->takeKeyPresses();  // presses before the start do not act
}

void dmsUpdateTimer() {
    fluxcore::Engine& e = fluxcore::engine();
    fluxcore::AudioSong song;
    std::string why;
    if (e.clock.hasSong() && fluxcore::audio::songDeviceLost(why)) {
        // The clock carries on from the song's last place by the wall clock.
        fluxcore::warnf("%s: %s; playing on silently", e.songFile.c_str(), why.c_str());
        e.clock.songStopped();
    }
    const double now = fluxcore::wallMs();
    const double position = e.clock.hasSong() ? fluxcore::audio::songPositionMs() : -1.0;
    e.clock.update(now, position, song);
    // Once a second: the demo time against the monotonic clock, so that what
    // the picture shows can be set against what other programs saw or heard.
    if (now - e.clockLineMs >= 1000.0) {
        e.clockLineMs = now;
        const fluxcore::audio::SongOutput out = fluxcore::audio::songOutput();
        if (out.playing && out.outputLatencyMs > 0.0) {
            fluxcore::logf("clock: demo %.3f ms at monotonic %.3f ms, output latency %.1f ms allowed for",
                           e.clock.time(), now, out.outputLatencyMs);
        } else {
            fluxcore::logf("clock: demo %.3f ms at monotonic %.3f ms", e.clock.time(), now);
        }
    }
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
    const fluxcore::KeyPresses presses = e.window->takeKeyPresses();
    fluxcore::AudioSong song;
    const double now = fluxcore::wallMs();
    if (presses.seekSteps != 0) {
        const double t = e.clock.seek(double(presses.seekSteps) * step, now, song);
        fluxcore::logf("seek %+d to %.0f ms", presses.seekSteps, t);
    }
    if (presses.pauseToggles % 2 != 0) {  // an even number of presses leaves it as it was
        e.clock.setPaused(!e.clock.paused(), now, song);
        fluxcore::logf("%s at %.0f ms", e.clock.paused() ? "paused" : "resumed", e.clock.time());
    }
}

}  // namespace QUASAR_FLUXCORE

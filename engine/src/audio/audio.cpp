// The engine's music seam: at most one SongPlayer, owned here and driven from
// the engine thread.
#include "audio/audio.h"

#include "audio/song_player.h"
#include "log.h"
#include "platform/sdl_audio_device.h"

namespace fluxcore::audio {

namespace {
std::unique_ptr<SongPlayer>& currentSong() {
    static std::unique_ptr<SongPlayer> song;
    return song;
}

void logUnderruns(const SongPlayer& song) {
    const SongPlayerStats s = song.stats();
    if (s.underrunFrames > 0) {
        logf("song: %.1f ms played as silence for want of decoded audio",
             1000.0 * double(s.underrunFrames) / s.rate);
    }
}
}  // namespace

bool startSong(std::vector<unsigned char> ogg, std::string& why, double fromMs) {
    stopSong();
    currentSong() = SongPlayer::start(std::move(ogg), why, fromMs);
    return currentSong() != nullptr;
}

double songPositionMs() {
    return currentSong() ? currentSong()->positionMs() : -1.0;
}

void pauseSong(bool paused) {
    if (currentSong()) currentSong()->pause(paused);
}

void seekSong(double ms) {
    if (currentSong()) currentSong()->seekMs(ms);
}

void stopSong() {
    if (!currentSong()) return;
    currentSong()->fadeOut();
    logUnderruns(*currentSong());
    currentSong().reset();
}

bool songDeviceLost(std::string& why) {
    if (!currentSong() || !currentSong()->deviceLost()) return false;
    why = "the audio device went away (SDL audio driver '" + currentSong()->driver() + "')";
    // Nothing plays any more: no fade to wait for.
    currentSong().reset();
    return true;
}

SongOutput songOutput() {
    SongOutput o;
    if (!currentSong()) return o;
    const SdlAudioDevice& d = currentSong()->device();
    o.playing = true;
    o.driver = d.driver();
    o.bufferFrames = d.bufferFrames();
    o.rate = currentSong()->stats().rate;
    o.soundServer = d.soundServer();
    o.serverLatencyMs = d.serverLatencyMs();
    o.outputLatencyMs = d.outputLatencyMs();
    o.serverStreamMs = d.serverStreamMs();
    o.serverSinkMs = d.serverSinkMs();
    o.serverProblem = d.serverLatencyProblem();
    return o;
}

}  // namespace fluxcore::audio

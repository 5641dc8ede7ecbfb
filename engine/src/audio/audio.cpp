// The engine's music operations: at most one playing song, opened by the
// platform and driven from the engine thread.
#include "audio/audio.h"

#include <memory>

#include "audio/song_sink.h"
#include "core/log.h"
#include "platform/platform.h"

namespace fluxcore::audio {

namespace {
std::unique_ptr<SongSink>& currentSong() {
    static std::unique_ptr<SongSink> song;
    return song;
}
}  // namespace

bool startSong(std::vector<unsigned char> ogg, std::string& why, double fromMs) {
    stopSong();
    currentSong() = platform::openSong(std::move(ogg), fromMs, why);
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
    const std::string note = currentSong()->stopNote();
    if (!note.empty()) logf("song: %s", note.c_str());
    currentSong().reset();
}

bool songDeviceLost(std::string& why) {
    if (!currentSong() || !currentSong()->deviceLost(why)) return false;
    // Nothing plays any more: no fade to wait for.
    currentSong().reset();
    return true;
}

SongOutput songOutput() {
    return currentSong() ? currentSong()->output() : SongOutput{};
}

}  // namespace fluxcore::audio

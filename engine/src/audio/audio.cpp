// The engine's music seam: at most one SongPlayer, owned here and driven from
// the engine thread.
#include "audio/audio.h"

#include "audio/song_player.h"

namespace fluxcore::audio {

namespace {
std::unique_ptr<SongPlayer>& currentSong() {
    static std::unique_ptr<SongPlayer> song;
    return song;
}
}  // namespace

bool startSong(std::vector<unsigned char> ogg, std::string& why) {
    stopSong();
    currentSong() = SongPlayer::start(std::move(ogg), why);
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
    currentSong().reset();
}

}  // namespace fluxcore::audio

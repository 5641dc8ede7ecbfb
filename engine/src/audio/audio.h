// Music playback behind dmsPlaySong, and the song position that the demo clock
// follows while music plays. One song at a time, on the default audio device,
// opened by the platform (platform::openSong).
#pragma once

#include <string>
#include <vector>

namespace fluxcore::audio {

// Starts the song (Ogg Vorbis bytes) `fromMs` into it on the default audio
// device. Returns false with the reason in `why` when there is no audio
// device or the song cannot be decoded; the demo then plays on silently.
bool startSong(std::vector<unsigned char> ogg, std::string& why, double fromMs = 0.0);

// Milliseconds of the song heard so far: samples consumed by the device, less
// the device's latency (and a sound server's). Negative while no song plays.
double songPositionMs();

void pauseSong(bool paused);  // pauses or resumes the song; nothing when none plays
void seekSong(double ms);     // moves the song to ms (clamped to its length)
void stopSong();              // fades out briefly and closes the device; safe when none plays

// True when a song plays on a device that has gone away (its sound server
// ended); the song is then dropped without a fade and `why` names the
// driver. False otherwise, and always for the song's device while it lasts.
bool songDeviceLost(std::string& why);

// Where the playing song goes, for the log.
struct SongOutput {
    bool playing = false;
    std::string driver;
    int bufferFrames = 0;
    int rate = 0;
    double outputLatencyMs = 0.0;  // what the clock allows for beyond the device's buffer
    std::string latencyNote;       // how that latency is known, for the log; may be empty
};
SongOutput songOutput();

}  // namespace fluxcore::audio

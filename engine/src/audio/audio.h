// Music playback behind dmsPlaySong, and the song position that the demo clock
// follows while music plays. One song at a time, on the default audio device.
#pragma once

#include <string>
#include <vector>

namespace fluxcore::audio {

// Starts the song (Ogg Vorbis bytes) from its beginning on the default audio
// device. Returns false with the reason in `why` when there is no audio device
// or the song cannot be decoded; the demo then plays on silently.
bool startSong(std::vector<unsigned char> ogg, std::string& why);

// Milliseconds of the song heard so far: samples consumed by the device, less
// the device's latency. Negative while no song plays.
double songPositionMs();

void pauseSong(bool paused);  // pauses or resumes the song; nothing when none plays
void seekSong(double ms);     // moves the song to ms (clamped to its length)
void stopSong();              // fades out briefly and closes the device; safe when none plays

}  // namespace fluxcore::audio

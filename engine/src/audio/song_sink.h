// SongSink: one song being played, as the engine's music operations
// (audio.h) drive it. A platform opens it (platform::openSong): through a
// PcmDevice and the engine's own decoder and mixer (SongPlayer), or through
// a player of the platform's own (the web page's Web Audio).
#pragma once

#include <string>

#include "audio/audio.h"

namespace fluxcore::audio {

class SongSink {
public:
    virtual ~SongSink() = default;  // stops at once; fadeOut() first to avoid a click

    // The song time being heard now, in ms; negative while unknown.
    virtual double positionMs() = 0;
    virtual void pause(bool paused) = 0;
    virtual void seekMs(double ms) = 0;  // clamped to the song's length
    // Ramps the output to silence and waits (bounded) until it has been heard.
    virtual void fadeOut() = 0;
    // True once the output has gone away, with the reason in `why`.
    virtual bool deviceLost(std::string& why) = 0;
    virtual SongOutput output() const = 0;
    // Said in the log when the song stops: audio that came too late, if any.
    virtual std::string stopNote() const { return {}; }
};

}  // namespace fluxcore::audio

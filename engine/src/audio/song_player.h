// One playing song: the Vorbis stream, its decoder thread, the mixer and the
// platform's PCM device, started together and torn down in reverse order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/song_decoder.h"
#include "audio/song_link.h"
#include "audio/pcm_device.h"
#include "audio/song_mixer.h"
#include "audio/song_sink.h"
#include "platform/platform.h"

namespace fluxcore::audio {

struct SongPlayerStats {
    std::int64_t decoderCpuNs;   // decoder thread CPU time
    std::int64_t callbackNs;     // time spent in the audio callback
    std::int64_t callbacks;      // audio callbacks so far
    std::int64_t underrunFrames; // frames played as silence for want of audio
    int deviceFrames;            // frames per device buffer
    int rate;
};

class SongPlayer : public SongSink {
public:
    using OpenDevice = std::unique_ptr<PcmDevice> (*)(const PcmDeviceDesc& desc, std::string& why);

    // Opens the song and the device, fills the ring and starts playback
    // `fromMs` into the song. Null with the reason in `why` on failure.
    static std::unique_ptr<SongPlayer> start(std::vector<unsigned char> ogg, std::string& why, double fromMs = 0.0,
                                             OpenDevice openDevice = platform::openPcmDevice);
    ~SongPlayer() override;  // closes the device at once; call fadeOut() first to avoid a click

    SongPlayer(const SongPlayer&) = delete;
    SongPlayer& operator=(const SongPlayer&) = delete;

    // The song time being heard: through a sound server, allowing for the
    // latency the device reports.
    double positionMs() override;
    // True once the device has gone (its sound server or hardware went away).
    bool deviceLost(std::string& why) override;
    void pause(bool paused) override { mixer_->setPaused(paused); }
    void seekMs(double ms) override;
    // Ramps the output to silence and waits (bounded) until the device has
    // played the ramp.
    void fadeOut() override;
    SongOutput output() const override;
    std::string stopNote() const override;  // the audio played as silence for want of decoded audio

    double lengthMs() const;
    const std::string& driver() const;
    SongPlayerStats stats() const;

private:
    SongPlayer() = default;
    static void fill(void* self, float* out, int frames);

    // Declaration order is teardown order reversed: the device stops calling
    // the mixer before the decoder joins, and both go before the link.
    std::unique_ptr<SongLink> link_;
    std::unique_ptr<SongMixer> mixer_;
    std::unique_ptr<SongDecoder> decoder_;
    std::unique_ptr<PcmDevice> device_;
};

}  // namespace fluxcore::audio

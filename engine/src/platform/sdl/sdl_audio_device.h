// The SDL2 audio device that plays the song: the audio subsystem and one
// opened device, released in reverse order, and for a sound server the
// latency it adds behind SDL.
#pragma once

#include <memory>
#include <string>

#include <SDL.h>

#include "audio/pcm_device.h"

namespace fluxcore::platform {

class PulseLatency;

class SdlAudioDevice : public audio::PcmDevice {
public:
    // Starts SDL's audio subsystem and opens the default device as `desc`
    // asks; through a sound server (SDL's PulseAudio or PipeWire driver) with
    // its server buffer size. On failure returns null with the driver and
    // SDL's reason in `why`.
    static std::unique_ptr<SdlAudioDevice> open(const audio::PcmDeviceDesc& desc, std::string& why);
    ~SdlAudioDevice() override;

    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    void resume() override;
    int bufferFrames() const override { return bufferFrames_; }
    const std::string& driver() const override { return driver_; }
    // A sound server stands between SDL and the speakers.
    bool soundServer() const override { return soundServer_; }

    // How long audio the server asks SDL for takes to be heard, beyond SDL's
    // own buffer: 0 without a sound server; through one, the server's figure,
    // negative until it has given one (or when it cannot be asked).
    double serverLatencyMs() const;
    // The latency the clock allows for behind SDL: the server's figure; from
    // a server that answers but gives none (PipeWire's PulseAudio layer
    // answers 0), the buffer SDL asked it for, which that layer holds; 0
    // without a server; negative while unknown.
    double outputLatencyMs() const override;
    std::string latencyNote() const override;
    // The parts of that figure, for the log: the stream's queue and the sink's.
    double serverStreamMs() const;
    double serverSinkMs() const;
    // Why the server cannot be asked, when it cannot.
    const std::string& serverLatencyProblem() const { return latencyProblem_; }

    // True once SDL has given the device up (its server or hardware went away).
    bool lost(std::string& why) const override;

private:
    SdlAudioDevice() = default;
    static void SDLCALL callback(void* self, Uint8* stream, int len);

    bool subsystemStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    int bufferFrames_ = 0;
    int rate_ = 0;
    std::string driver_;
    bool soundServer_ = false;
    std::unique_ptr<platform::PulseLatency> latency_;
    std::string latencyProblem_;
    audio::PcmFill fill_ = nullptr;
    void* user_ = nullptr;
    bool threadRaised_ = false;  // SDL's audio thread only
};

}  // namespace fluxcore::platform

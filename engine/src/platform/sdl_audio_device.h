// The SDL2 audio device that plays the song: the audio subsystem and one
// opened device, released in reverse order, and for a sound server the
// latency it adds behind SDL.
#pragma once

#include <memory>
#include <string>

#include <SDL.h>

namespace fluxcore::platform {
class PulseLatency;
}

namespace fluxcore::audio {

class SdlAudioDevice {
public:
    // Fills `frames` interleaved stereo float frames; runs on SDL's audio thread.
    using Fill = void (*)(void* user, float* out, int frames);

    // Starts SDL's audio subsystem and opens the default device for stereo
    // float at `rate`, paused, with buffers of `bufferFrames` frames; through
    // a sound server (SDL's PulseAudio or PipeWire driver) of
    // `serverBufferFrames`, the only slack against the server's scheduling.
    // On failure returns null with the driver and SDL's reason in `why`.
    static std::unique_ptr<SdlAudioDevice> open(int rate, int bufferFrames, int serverBufferFrames, Fill fill,
                                                void* user, std::string& why);
    ~SdlAudioDevice();

    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    void resume();
    int bufferFrames() const { return bufferFrames_; }
    const std::string& driver() const { return driver_; }
    // A sound server stands between SDL and the speakers.
    bool soundServer() const { return soundServer_; }

    // How long audio the server asks SDL for takes to be heard, beyond SDL's
    // own buffer: 0 without a sound server; through one, the server's figure,
    // negative until it has given one (or when it cannot be asked).
    double serverLatencyMs() const;
    // The latency the clock allows for behind SDL: the server's figure; from
    // a server that answers but gives none (PipeWire's PulseAudio layer
    // answers 0), the buffer SDL asked it for, which that layer holds; 0
    // without a server; negative while unknown.
    double outputLatencyMs() const;
    // The parts of that figure, for the log: the stream's queue and the sink's.
    double serverStreamMs() const;
    double serverSinkMs() const;
    // Why the server cannot be asked, when it cannot.
    const std::string& serverLatencyProblem() const { return latencyProblem_; }

    // True once SDL has given the device up (its server or hardware went away).
    bool lost() const;

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
    Fill fill_ = nullptr;
    void* user_ = nullptr;
    bool threadRaised_ = false;  // SDL's audio thread only
};

}  // namespace fluxcore::audio

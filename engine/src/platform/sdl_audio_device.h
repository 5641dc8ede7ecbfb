// The SDL2 audio device that plays the song: the audio subsystem and one
// opened device, released in reverse order.
#pragma once

#include <memory>
#include <string>

#include <SDL.h>

namespace fluxcore::audio {

class SdlAudioDevice {
public:
    // Fills `frames` interleaved stereo float frames; runs on SDL's audio thread.
    using Fill = void (*)(void* user, float* out, int frames);

    // Starts SDL's audio subsystem and opens the default device for stereo
    // float at `rate`, paused. On failure returns null with the driver and
    // SDL's reason in `why`.
    static std::unique_ptr<SdlAudioDevice> open(int rate, int bufferFrames, Fill fill, void* user,
                                                std::string& why);
    ~SdlAudioDevice();

    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    void resume();
    int bufferFrames() const { return bufferFrames_; }
    const std::string& driver() const { return driver_; }

private:
    SdlAudioDevice() = default;
    static void SDLCALL callback(void* self, Uint8* stream, int len);

    bool subsystemStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    int bufferFrames_ = 0;
    std::string driver_;
    Fill fill_ = nullptr;
    void* user_ = nullptr;
};

}  // namespace fluxcore::audio

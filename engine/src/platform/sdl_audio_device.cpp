// The SDL2 audio device that plays the song.
#include "platform/sdl_audio_device.h"

namespace fluxcore::audio {

namespace {
std::string requestedDriver() {
    const char* env = SDL_getenv("SDL_AUDIODRIVER");
    return env != nullptr && *env != '\0' ? std::string("'") + env + "'" : std::string("default");
}
}  // namespace

std::unique_ptr<SdlAudioDevice> SdlAudioDevice::open(int rate, int bufferFrames, Fill fill,
                                                     void* user, std::string& why) {
    std::unique_ptr<SdlAudioDevice> d(new SdlAudioDevice());
    d->fill_ = fill;
    d->user_ = user;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = "no audio device: SDL audio driver " + requestedDriver() + " unavailable (" +
              SDL_GetError() + ")";
        return nullptr;
    }
    d->subsystemStarted_ = true;
    const char* driver = SDL_GetCurrentAudioDriver();
    d->driver_ = driver != nullptr ? driver : "unknown";

    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(bufferFrames);
    want.callback = &SdlAudioDevice::callback;
    want.userdata = d.get();
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    d->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (d->device_ == 0) {
        why = "no audio device: opening the default device of SDL audio driver '" + d->driver_ +
              "' failed (" + SDL_GetError() + ")";
        return nullptr;
    }
    d->bufferFrames_ = have.samples;
    return d;
}

SdlAudioDevice::~SdlAudioDevice() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for a running callback
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioDevice::resume() { SDL_PauseAudioDevice(device_, 0); }

void SDLCALL SdlAudioDevice::callback(void* self, Uint8* stream, int len) {
    auto* d = static_cast<SdlAudioDevice*>(self);
    const int frames = len / static_cast<int>(2 * sizeof(float));
    d->fill_(d->user_, reinterpret_cast<float*>(stream), frames);
}

}  // namespace fluxcore::audio

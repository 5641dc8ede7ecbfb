// The SDL2 audio device that plays the song, and the platform's song and
// PCM device openers on it.
#include "platform/sdl/sdl_audio_device.h"

#include <pthread.h>
#include <sched.h>

#include <cstdio>

#include "audio/song_player.h"
#include "platform/platform.h"
#include "platform/sdl/pulse_latency.h"

namespace fluxcore::platform {

std::unique_ptr<audio::PcmDevice> openPcmDevice(const audio::PcmDeviceDesc& desc, std::string& why) {
    return SdlAudioDevice::open(desc, why);
}

std::unique_ptr<audio::SongSink> openSong(std::vector<unsigned char> ogg, double fromMs, std::string& why) {
    return audio::SongPlayer::start(std::move(ogg), why, fromMs);
}

namespace {
std::string requestedDriver() {
    const char* env = SDL_getenv("SDL_AUDIODRIVER");
    return env != nullptr && *env != '\0' ? std::string("'") + env + "'" : std::string("default");
}
}  // namespace

std::unique_ptr<SdlAudioDevice> SdlAudioDevice::open(const audio::PcmDeviceDesc& desc, std::string& why) {
    std::unique_ptr<SdlAudioDevice> d(new SdlAudioDevice());
    d->fill_ = desc.fill;
    d->user_ = desc.user;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = "no audio device: SDL audio driver " + requestedDriver() + " unavailable (" +
              SDL_GetError() + ")";
        return nullptr;
    }
    d->subsystemStarted_ = true;
    const char* driver = SDL_GetCurrentAudioDriver();
    d->driver_ = driver != nullptr ? driver : "unknown";
    // PipeWire's own driver reaches the same server as its PulseAudio layer.
    d->soundServer_ = d->driver_ == "pulseaudio" || d->driver_ == "pipewire";

    SDL_AudioSpec want{};
    want.freq = desc.rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(d->soundServer_ ? desc.serverBufferFrames : desc.bufferFrames);
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
    d->rate_ = have.freq;
    if (d->soundServer_) {
        d->latency_ = PulseLatency::open(d->latencyProblem_);
    }
    return d;
}

SdlAudioDevice::~SdlAudioDevice() {
    latency_.reset();
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for a running callback
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioDevice::resume() { SDL_PauseAudioDevice(device_, 0); }

double SdlAudioDevice::serverLatencyMs() const {
    if (!soundServer_) return 0.0;
    return latency_ ? latency_->latest().totalMs() : -1.0;
}

double SdlAudioDevice::outputLatencyMs() const {
    const double figure = serverLatencyMs();
    if (figure != 0.0 || !soundServer_ || rate_ <= 0) return figure;
    return 1000.0 * bufferFrames_ / rate_;
}

double SdlAudioDevice::serverStreamMs() const { return latency_ ? latency_->latest().streamMs : -1.0; }

double SdlAudioDevice::serverSinkMs() const { return latency_ ? latency_->latest().sinkMs : -1.0; }

std::string SdlAudioDevice::latencyNote() const {
    char text[256] = "";
    const double server = serverLatencyMs();
    if (server > 0.0) {
        std::snprintf(text, sizeof text, "the sound server's latency %.1f ms (its queue %.1f ms, its sink %.1f ms) is allowed for",
                      server, serverStreamMs(), serverSinkMs());
    } else if (soundServer_) {
        // PipeWire's PulseAudio layer answers 0 for both figures: no figure either.
        const double output = outputLatencyMs();
        if (output > 0.0) {
            std::snprintf(text, sizeof text,
                          "the sound server gives no latency figure; the %.1f ms SDL asks it to hold is allowed for",
                          output);
        } else {
            std::snprintf(text, sizeof text,
                          "the sound server gives no latency figure%s%s; the picture may lead the sound by its buffering",
                          latencyProblem_.empty() ? "" : ": ", latencyProblem_.c_str());
        }
    }
    return text;
}

bool SdlAudioDevice::lost(std::string& why) const {
    // SDL marks a device it had to give up as stopped; a playing or paused
    // one is still there.
    if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) return false;
    why = "the audio device went away (SDL audio driver '" + driver_ + "')";
    return true;
}

void SDLCALL SdlAudioDevice::callback(void* self, Uint8* stream, int len) {
    auto* d = static_cast<SdlAudioDevice*>(self);
    if (!d->threadRaised_) {
        // SDL gives its audio thread a raised nice level at most; where the
        // system allows it (root, an RTPRIO limit) it gets realtime
        // scheduling instead, below a sound server's own threads. On a busy
        // machine a nice thread can still wait long enough for the server to
        // run dry; the work here, the mixer, takes no lock and is short, and
        // SDL's thread otherwise sleeps on the server or the device.
        d->threadRaised_ = true;
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_RR) + 1;
        pthread_setschedparam(pthread_self(), SCHED_RR, &param);  // refused: stays as SDL set it
    }
    const int frames = len / static_cast<int>(2 * sizeof(float));
    d->fill_(d->user_, reinterpret_cast<float*>(stream), frames);
}

}  // namespace fluxcore::platform

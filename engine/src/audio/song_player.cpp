// One playing song: start-up order, teardown order and the fade at the end.
#include "audio/song_player.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/sdl_audio_device.h"

namespace fluxcore::audio {

namespace {
// 1024 frames at 44.1 kHz: 23 ms of latency, a safe size for every driver.
constexpr int kDeviceFrames = 1024;
// About 0.37 s of decoded audio kept ahead of the device.
constexpr std::size_t kRingFrames = 16384;
constexpr auto kPrefillLimit = std::chrono::milliseconds(1000);
constexpr auto kFadeLimit = std::chrono::milliseconds(300);

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void SongPlayer::fill(void* self, float* out, int frames) {
    static_cast<SongPlayer*>(self)->mixer_->mix(out, frames, steadyNanoseconds());
}

std::unique_ptr<SongPlayer> SongPlayer::start(std::vector<unsigned char> ogg, std::string& why) {
    std::unique_ptr<VorbisStream> stream = VorbisStream::open(std::move(ogg), why);
    if (!stream) return nullptr;
    const int rate = stream->rate();
    const std::int64_t total = stream->totalFrames();

    std::unique_ptr<SongPlayer> p(new SongPlayer());
    p->link_ = std::make_unique<SongLink>(kRingFrames);
    p->mixer_ = std::make_unique<SongMixer>(*p->link_, rate, kDeviceFrames, total);
    p->device_ = SdlAudioDevice::open(rate, kDeviceFrames, &SongPlayer::fill, p.get(), why);
    if (!p->device_) return nullptr;
    p->decoder_ = std::make_unique<SongDecoder>(std::move(stream), *p->link_);

    // Start with a full ring so the first buffers never run dry.
    const std::size_t wanted = std::min<std::size_t>(p->link_->ring.capacity() / 2,
                                                     static_cast<std::size_t>(total));
    const auto deadline = std::chrono::steady_clock::now() + kPrefillLimit;
    while (p->link_->ring.writePosition() < wanted && !p->link_->ended.load() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (p->link_->ring.writePosition() == 0) {
        why = p->decoder_->damaged() ? "song's audio data is damaged" : "song has no decodable audio";
        return nullptr;
    }
    p->device_->resume();
    return p;
}

SongPlayer::~SongPlayer() {
    device_.reset();
    decoder_.reset();
}

double SongPlayer::positionMs() {
    return mixer_->positionFrames(steadyNanoseconds()) * 1000.0 / mixer_->rate();
}

void SongPlayer::seekMs(double ms) {
    if (!std::isfinite(ms)) return;
    mixer_->requestSeek(static_cast<std::int64_t>(std::llround(ms * mixer_->rate() / 1000.0)));
}

void SongPlayer::fadeOut() {
    mixer_->requestStop();
    // Two silent buffers after the ramp: the ramp itself has left the device.
    const auto deadline = std::chrono::steady_clock::now() + kFadeLimit;
    while (mixer_->silentBuffersAfterStop() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

const std::string& SongPlayer::driver() const { return device_->driver(); }

double SongPlayer::lengthMs() const {
    return static_cast<double>(mixer_->totalFrames()) * 1000.0 / mixer_->rate();
}

SongPlayerStats SongPlayer::stats() const {
    return SongPlayerStats{decoder_->cpuNanoseconds(), mixer_->mixNanoseconds(), mixer_->mixCalls(),
                           mixer_->underrunFrames(), device_->bufferFrames(), mixer_->rate()};
}

}  // namespace fluxcore::audio

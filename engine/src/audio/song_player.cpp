// One playing song: start-up order, teardown order and the fade at the end.
#include "audio/song_player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace fluxcore::audio {

namespace {
// 1024 frames at 44.1 kHz: 23 ms of latency, a safe size for a device SDL
// writes to itself.
constexpr int kDeviceFrames = 1024;
// Through a sound server SDL's buffer sets the server's (SDL asks it for as
// much latency as its buffer holds): 93 ms keep 66 ms queued at the server.
// With 46 ms (35 ms queued), a machine busy compiling beside the demo left a
// gap of 20 to 35 ms in about one run in seven, with every thread on the way
// on realtime scheduling; with 23 ms, more often. The clock allows for the
// latency, so picture and sound stay together; a pause or a seek is heard,
// and shown, about 140 ms after the key.
constexpr int kServerDeviceFrames = 4096;
// About 1.5 s of decoded audio kept ahead of the device (half the ring; the
// other half takes a seek's new place at once): the decoder thread runs at
// normal priority and may wait long on a busy machine.
constexpr std::size_t kRingFrames = 131072;
// Decoded before the device starts, so the first buffers never run dry.
constexpr std::size_t kPrefillFrames = 16384;
constexpr auto kPrefillLimit = std::chrono::milliseconds(1000);
// The server's first latency figure comes within one of its 100 ms rounds.
constexpr auto kLatencyLimit = std::chrono::milliseconds(500);
constexpr auto kFadeLimit = std::chrono::milliseconds(300);
// Through a sound server the buffers' times are smoothed over this window.
constexpr std::int64_t kServerSmoothingNs = 10000000000;

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void SongPlayer::fill(void* self, float* out, int frames) {
    static_cast<SongPlayer*>(self)->mixer_->mix(out, frames, steadyNanoseconds());
}

std::unique_ptr<SongPlayer> SongPlayer::start(std::vector<unsigned char> ogg, std::string& why, double fromMs,
                                              OpenDevice openDevice) {
    std::unique_ptr<VorbisStream> stream = VorbisStream::open(std::move(ogg), why);
    if (!stream) return nullptr;
    const int rate = stream->rate();
    const std::int64_t total = stream->totalFrames();
    const std::int64_t from =
        std::isfinite(fromMs) ? std::clamp<std::int64_t>(std::llround(fromMs * rate / 1000.0), 0, total) : 0;
    // Started at its place rather than moved there once playing: no seek's
    // fade and wait at the start.
    if (from > 0 && !stream->seek(from)) {
        why = "song's audio data is damaged";
        return nullptr;
    }

    std::unique_ptr<SongPlayer> p(new SongPlayer());
    p->link_ = std::make_unique<SongLink>(kRingFrames);
    p->mixer_ = std::make_unique<SongMixer>(*p->link_, rate, kDeviceFrames, total, from);
    PcmDeviceDesc desc;
    desc.rate = rate;
    desc.bufferFrames = kDeviceFrames;
    desc.serverBufferFrames = kServerDeviceFrames;
    desc.fill = &SongPlayer::fill;
    desc.user = p.get();
    p->device_ = openDevice(desc, why);
    if (!p->device_) return nullptr;
    if (p->device_->soundServer()) p->mixer_->setSmoothing(kServerSmoothingNs);
    p->decoder_ = std::make_unique<SongDecoder>(std::move(stream), *p->link_);

    // Start with audio in the ring so the first buffers never run dry, and
    // with the server's latency known so the clock allows for it at once.
    const std::size_t wanted = std::min<std::size_t>(kPrefillFrames, static_cast<std::size_t>(total - from));
    const auto start = std::chrono::steady_clock::now();
    while (p->link_->ring.writePosition() < wanted && !p->link_->ended.load() &&
           std::chrono::steady_clock::now() < start + kPrefillLimit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (p->link_->ring.writePosition() == 0 && from < total) {
        why = p->decoder_->damaged() ? "song's audio data is damaged" : "song has no decodable audio";
        return nullptr;
    }
    while (p->device_->outputLatencyMs() < 0.0 && std::chrono::steady_clock::now() < start + kLatencyLimit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    p->device_->resume();
    return p;
}

SongPlayer::~SongPlayer() {
    device_.reset();
    decoder_.reset();
}

double SongPlayer::positionMs() {
    mixer_->setOutputLatencyFrames(std::max(0.0, device_->outputLatencyMs()) * mixer_->rate() / 1000.0);
    return mixer_->positionFrames(steadyNanoseconds()) * 1000.0 / mixer_->rate();
}

bool SongPlayer::deviceLost(std::string& why) { return device_->lost(why); }

SongOutput SongPlayer::output() const {
    SongOutput o;
    o.playing = true;
    o.driver = device_->driver();
    o.bufferFrames = device_->bufferFrames();
    o.rate = mixer_->rate();
    o.outputLatencyMs = device_->outputLatencyMs();
    o.latencyNote = device_->latencyNote();
    return o;
}

std::string SongPlayer::stopNote() const {
    const std::int64_t frames = mixer_->underrunFrames();
    if (frames <= 0) return {};
    char text[96];
    std::snprintf(text, sizeof text, "%.1f ms played as silence for want of decoded audio",
                  1000.0 * double(frames) / mixer_->rate());
    return text;
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

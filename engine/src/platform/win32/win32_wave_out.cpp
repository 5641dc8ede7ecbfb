// The waveOut device that plays the song, and the platform's song and PCM
// device openers on it.
#include "platform/win32/win32_wave_out.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/song_player.h"
#include "platform/platform.h"

namespace fluxcore::platform {

std::unique_ptr<audio::PcmDevice> openPcmDevice(const audio::PcmDeviceDesc& desc, std::string& why) {
    return WaveOutDevice::open(desc, why);
}

std::unique_ptr<audio::SongSink> openSong(std::vector<unsigned char> ogg, double fromMs, std::string& why) {
    return audio::SongPlayer::start(std::move(ogg), why, fromMs);
}

namespace {

std::string waveOutText(MMRESULT result) {
    char text[MAXERRORLENGTH] = "";
    if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR || text[0] == '\0') {
        std::snprintf(text, sizeof text, "error %u", static_cast<unsigned>(result));
    }
    return text;
}

short toPcm(float sample) {
    const float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
    return static_cast<short>(std::lrint(scaled));
}

}  // namespace

std::unique_ptr<WaveOutDevice> WaveOutDevice::open(const audio::PcmDeviceDesc& desc, std::string& why) {
    std::unique_ptr<WaveOutDevice> d(new WaveOutDevice());
    d->fill_ = desc.fill;
    d->user_ = desc.user;
    d->rate_ = desc.rate;
    d->bufferFrames_ = std::max(64, desc.serverBufferFrames);
    if (waveOutGetNumDevs() == 0) {
        why = "no audio device: waveOut lists no output device";
        return nullptr;
    }
    d->doneEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!d->doneEvent_) {
        why = "no audio device: cannot create waveOut's event";
        return nullptr;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(desc.rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    const MMRESULT opened = waveOutOpen(&d->device_, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(d->doneEvent_.get()), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        d->device_ = nullptr;
        why = "no audio device: opening waveOut's default output at " + std::to_string(desc.rate) +
              " Hz failed (" + waveOutText(opened) + ")";
        return nullptr;
    }
    d->mix_.resize(2 * static_cast<std::size_t>(d->bufferFrames_));
    d->samples_.resize(kBuffers);
    for (int i = 0; i < kBuffers; ++i) {
        d->samples_[i].resize(2 * static_cast<std::size_t>(d->bufferFrames_));
        WAVEHDR& h = d->headers_[i];
        h.lpData = reinterpret_cast<LPSTR>(d->samples_[i].data());
        h.dwBufferLength = static_cast<DWORD>(d->samples_[i].size() * sizeof(short));
        const MMRESULT prepared = waveOutPrepareHeader(d->device_, &h, sizeof h);
        if (prepared != MMSYSERR_NOERROR) {
            why = "no audio device: waveOut cannot prepare its buffers (" + waveOutText(prepared) + ")";
            return nullptr;
        }
    }
    return d;
}

WaveOutDevice::~WaveOutDevice() {
    stopping_.store(true);
    if (doneEvent_) SetEvent(doneEvent_.get());
    if (feeder_.joinable()) feeder_.join();
    if (!device_) return;
    waveOutReset(device_);  // every queued buffer comes back marked done
    for (WAVEHDR& h : headers_) {
        if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof h);
    }
    waveOutClose(device_);
}

void WaveOutDevice::resume() {
    if (feeder_.joinable()) return;
    feeder_ = std::thread([this] { feed(); });
}

void WaveOutDevice::feed() {
    // As SDL raises its audio thread on Windows: the fill is short and takes
    // no lock, and a late hand-over is heard as a gap.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    int next = 0;  // buffers come back in the order they were written
    while (!stopping_.load()) {
        while (!stopping_.load() && !(headers_[next].dwFlags & WHDR_INQUEUE)) {
            if (!queue(headers_[next])) return;
            next = (next + 1) % kBuffers;
        }
        WaitForSingleObject(doneEvent_.get(), 200);
    }
}

bool WaveOutDevice::queue(WAVEHDR& header) {
    // The frames still to play before this buffer: what was written less
    // what the device has played.
    MMTIME played{};
    played.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device_, &played, sizeof played) == MMSYSERR_NOERROR && played.wType == TIME_SAMPLES &&
        framesWritten_ > 0) {
        // The position counts in 32 bits and wraps (after 27 hours at 44.1
        // kHz): the difference is taken in 32 bits too. The system may hold
        // buffers it has marked done; a second or more is no figure.
        const auto ahead = static_cast<std::uint32_t>(static_cast<std::uint32_t>(framesWritten_) - played.u.sample);
        if (ahead < static_cast<std::uint32_t>(rate_)) latencyMs_.store(1000.0 * ahead / rate_);
    }
    fill_(user_, mix_.data(), bufferFrames_);
    auto* pcm = reinterpret_cast<short*>(header.lpData);
    for (std::size_t i = 0; i < mix_.size(); ++i) pcm[i] = toPcm(mix_[i]);
    header.dwFlags &= ~WHDR_DONE;
    const MMRESULT written = waveOutWrite(device_, &header, sizeof header);
    if (written != MMSYSERR_NOERROR) {
        std::lock_guard<std::mutex> hold(lostLock_);
        lostWhy_ = "the audio device went away (waveOut: " + waveOutText(written) + ")";
        return false;
    }
    framesWritten_ += bufferFrames_;
    return true;
}

double WaveOutDevice::outputLatencyMs() const {
    const double measured = latencyMs_.load();
    if (measured >= 0.0) return measured;
    return 1000.0 * (kBuffers - 1) * bufferFrames_ / rate_;
}

std::string WaveOutDevice::latencyNote() const {
    char text[160];
    std::snprintf(text, sizeof text, "%d waveOut buffers of %d frames; %.1f ms queued ahead of each is allowed for",
                  kBuffers, bufferFrames_, outputLatencyMs());
    return text;
}

bool WaveOutDevice::lost(std::string& why) const {
    std::lock_guard<std::mutex> hold(lostLock_);
    if (lostWhy_.empty()) return false;
    why = lostWhy_;
    return true;
}

}  // namespace fluxcore::platform

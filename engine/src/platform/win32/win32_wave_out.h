// The waveOut device that plays the song (winmm): a few buffers of 16-bit
// stereo PCM kept queued by a feeder thread woken by the device's event.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/pcm_device.h"
#include "platform/win32/win32_handles.h"

namespace fluxcore::platform {

class WaveOutDevice : public audio::PcmDevice {
public:
    // Opens the default output (WAVE_MAPPER) for desc.rate stereo in
    // kBuffers buffers of desc.serverBufferFrames frames, paused: nothing is
    // asked of the fill callback before resume(). Null with the reason in `why`.
    static std::unique_ptr<WaveOutDevice> open(const audio::PcmDeviceDesc& desc, std::string& why);
    ~WaveOutDevice() override;  // stops the feeder (after a running fill), resets and closes the device

    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    static constexpr int kBuffers = 4;

    void resume() override;
    int bufferFrames() const override { return bufferFrames_; }
    const std::string& driver() const override { return driver_; }
    // Behind waveOut a mixer always takes the buffers in its own rhythm:
    // Windows' audio engine, or Wine's PulseAudio stream. With the plain
    // 1024-frame buffers Wine's stream ran dry over and over in its first
    // two seconds (the song, and the clock with it, at two thirds of its pace).
    bool soundServer() const override { return true; }
    // The frames queued ahead of the newest buffer when it was handed over:
    // measured from waveOutGetPosition at each hand-over, so what the system
    // holds behind waveOut counts too; until the first, the other buffers'
    // length.
    double outputLatencyMs() const override;
    std::string latencyNote() const override;
    bool lost(std::string& why) const override;

private:
    WaveOutDevice() = default;
    void feed();                  // the feeder thread
    bool queue(WAVEHDR& header);  // fills and writes one buffer; false once the device has failed

    HWAVEOUT device_ = nullptr;
    EventHandle doneEvent_;  // set by the device as each buffer comes back
    int rate_ = 0;
    int bufferFrames_ = 0;
    std::string driver_ = "waveOut";
    audio::PcmFill fill_ = nullptr;
    void* user_ = nullptr;
    std::vector<float> mix_;                  // one buffer's float frames, the feeder's
    std::vector<std::vector<short>> samples_;  // each buffer's PCM
    WAVEHDR headers_[kBuffers] = {};
    std::thread feeder_;
    std::atomic<bool> stopping_{false};
    std::atomic<double> latencyMs_{-1.0};
    std::int64_t framesWritten_ = 0;  // feeder only
    mutable std::mutex lostLock_;
    std::string lostWhy_;  // empty while the device works
};

}  // namespace fluxcore::platform

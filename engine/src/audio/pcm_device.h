// PcmDevice: an audio output that plays interleaved stereo float frames it
// asks a callback for, as a platform opens it (platform::openPcmDevice). The
// song player drives one; what lies behind it (a sound server, the speakers)
// is the platform's.
#pragma once

#include <memory>
#include <string>

namespace fluxcore::audio {

// Fills `frames` interleaved stereo float frames; runs on the device's own thread.
using PcmFill = void (*)(void* user, float* out, int frames);

// What to open: stereo float at `rate`, paused, in buffers of `bufferFrames`
// frames, or of `serverBufferFrames` where a sound server stands between the
// device and the speakers (the only slack against the server's scheduling).
struct PcmDeviceDesc {
    int rate = 44100;
    int bufferFrames = 1024;
    int serverBufferFrames = 4096;
    PcmFill fill = nullptr;
    void* user = nullptr;
};

class PcmDevice {
public:
    virtual ~PcmDevice() = default;  // stops the callbacks (waiting for a running one) and closes the device

    virtual void resume() = 0;  // starts playing: the callbacks begin
    virtual int bufferFrames() const = 0;  // frames in each callback's buffer, as the device opened
    virtual const std::string& driver() const = 0;  // the driver's name, for the log
    // A sound server mixes behind the device: buffers are taken in the
    // server's rhythm, not the hardware's.
    virtual bool soundServer() const = 0;
    // How long a frame handed over takes to be heard beyond the device's own
    // buffer: 0 where nothing stands behind it; negative while unknown.
    virtual double outputLatencyMs() const = 0;
    // A sentence on how that latency is known, for the log; empty where
    // there is nothing to say.
    virtual std::string latencyNote() const = 0;
    // True once the device is gone (its sound server or hardware went away);
    // `why` then names the driver.
    virtual bool lost(std::string& why) const = 0;
};

}  // namespace fluxcore::audio

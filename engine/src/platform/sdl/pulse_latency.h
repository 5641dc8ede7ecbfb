// The latency a PulseAudio server (or PipeWire's PulseAudio layer) adds
// behind SDL's PulseAudio driver: from the moment the server asks SDL for
// more audio to the moment that audio is heard. SDL 2 reports no such figure,
// so this asks the server itself, over a connection of its own, about the
// playback stream of this process, ten times a second.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_time_event;
struct pa_sink_input_info;
struct pa_sink_info;
struct pa_mainloop_api;
struct timeval;

namespace fluxcore::platform {

// What the server last said, in milliseconds; negative while unknown.
struct ServerLatency {
    double streamMs = -1.0;  // audio of the stream queued in the server
    double sinkMs = -1.0;    // audio the sink holds ahead of the speakers, at its configured fullest
    double totalMs() const { return streamMs >= 0.0 && sinkMs >= 0.0 ? streamMs + sinkMs : -1.0; }
};

class PulseLatency {
public:
    // Connects to the server the way SDL's driver found it (PULSE_SERVER,
    // XDG_RUNTIME_DIR, client.conf), never starting one. Null with the
    // reason in `why` when libpulse cannot even begin; a server that is not
    // there shows as figures that stay unknown.
    static std::unique_ptr<PulseLatency> open(std::string& why);
    ~PulseLatency();

    PulseLatency(const PulseLatency&) = delete;
    PulseLatency& operator=(const PulseLatency&) = delete;

    // Any thread. The latency of this process's playback stream when the
    // server tops it up: the stream's queue when full (its upper quartile over
    // two seconds of answers) plus the sink's configured latency (a sink fills
    // its buffer to that before asking for more). Unknown until the server
    // has answered about a stream of ours.
    ServerLatency latest() const;
    bool serverLost() const { return lost_.load(std::memory_order_relaxed); }

private:
    PulseLatency() = default;
    static void contextState(pa_context* c, void* self);
    static void tick(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);
    static void sinkInputs(pa_context* c, const pa_sink_input_info* info, int eol, void* self);
    static void sinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* self);
    void publish();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* timer_ = nullptr;

    // The mainloop thread's own.
    std::string pid_;
    bool queryPending_ = false;
    std::uint32_t bestInput_ = 0;
    std::uint32_t bestSink_ = 0;
    bool found_ = false;
    static constexpr int kHistory = 20;  // two seconds of answers
    double streamHistory_[kHistory] = {};
    int historyCount_ = 0;
    int historyNext_ = 0;
    double sinkSeenMs_ = -1.0;  // the sink's latest figure
    double sinkConfiguredMs_ = -1.0;

    // Published to any thread.
    std::atomic<double> streamMs_{-1.0};
    std::atomic<double> sinkMs_{-1.0};
    std::atomic<bool> lost_{false};
};

}  // namespace fluxcore::platform

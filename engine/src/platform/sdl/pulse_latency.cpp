// The latency a PulseAudio server adds behind SDL's PulseAudio driver.
#include "platform/sdl/pulse_latency.h"

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <algorithm>

namespace fluxcore::platform {

namespace {
constexpr pa_usec_t kIntervalUs = 100000;

// The value below which `share` of the first `count` values lie.
double quantile(const double* values, int count, double share) {
    double sorted[32];
    std::copy(values, values + count, sorted);
    std::sort(sorted, sorted + count);
    return sorted[static_cast<int>(share * (count - 1) + 0.5)];
}
}  // namespace

std::unique_ptr<PulseLatency> PulseLatency::open(std::string& why) {
    std::unique_ptr<PulseLatency> p(new PulseLatency());
    p->pid_ = std::to_string(getpid());
    p->loop_ = pa_threaded_mainloop_new();
    if (p->loop_ == nullptr) {
        why = "pa_threaded_mainloop_new failed";
        return nullptr;
    }
    p->context_ = pa_context_new(pa_threaded_mainloop_get_api(p->loop_), "glass-meridian latency");
    if (p->context_ == nullptr) {
        why = "pa_context_new failed";
        return nullptr;
    }
    pa_context_set_state_callback(p->context_, &PulseLatency::contextState, p.get());
    if (pa_context_connect(p->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        why = pa_strerror(pa_context_errno(p->context_));
        return nullptr;
    }
    if (pa_threaded_mainloop_start(p->loop_) < 0) {
        why = "the libpulse thread did not start";
        return nullptr;
    }
    return p;
}

PulseLatency::~PulseLatency() {
    if (loop_ == nullptr) return;
    // Timer and context go under the loop's lock; the thread stops after.
    pa_threaded_mainloop_lock(loop_);
    if (timer_ != nullptr) pa_threaded_mainloop_get_api(loop_)->time_free(timer_);
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

ServerLatency PulseLatency::latest() const {
    ServerLatency l;
    l.streamMs = streamMs_.load(std::memory_order_relaxed);
    l.sinkMs = sinkMs_.load(std::memory_order_relaxed);
    return l;
}

void PulseLatency::contextState(pa_context* c, void* self) {
    auto* p = static_cast<PulseLatency*>(self);
    switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            if (p->timer_ == nullptr) {
                p->timer_ = pa_context_rttime_new(c, pa_rtclock_now(), &PulseLatency::tick, p);
            }
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            p->lost_.store(true, std::memory_order_relaxed);
            break;
        default:
            break;
    }
}

void PulseLatency::tick(pa_mainloop_api*, pa_time_event* e, const struct timeval*, void* self) {
    auto* p = static_cast<PulseLatency*>(self);
    if (!p->queryPending_ && pa_context_get_state(p->context_) == PA_CONTEXT_READY) {
        p->found_ = false;
        if (pa_operation* op = pa_context_get_sink_input_info_list(p->context_, &PulseLatency::sinkInputs, p)) {
            p->queryPending_ = true;
            pa_operation_unref(op);
        }
    }
    pa_context_rttime_restart(p->context_, e, pa_rtclock_now() + kIntervalUs);
}

void PulseLatency::sinkInputs(pa_context* c, const pa_sink_input_info* info, int eol, void* self) {
    auto* p = static_cast<PulseLatency*>(self);
    if (eol == 0 && info != nullptr) {
        // Ours: the stream SDL opened in this process (the newest, should an
        // old one linger).
        const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
        if (pid != nullptr && p->pid_ == pid && (!p->found_ || info->index > p->bestInput_)) {
            p->found_ = true;
            p->bestInput_ = info->index;
            p->bestSink_ = info->sink;
            p->streamHistory_[p->historyNext_] = static_cast<double>(info->buffer_usec) / 1000.0;
            p->sinkSeenMs_ = static_cast<double>(info->sink_usec) / 1000.0;
        }
        return;
    }
    p->queryPending_ = false;
    if (!p->found_) return;
    p->historyNext_ = (p->historyNext_ + 1) % kHistory;
    p->historyCount_ = std::min(p->historyCount_ + 1, kHistory);
    if (pa_operation* op = pa_context_get_sink_info_by_index(c, p->bestSink_, &PulseLatency::sinkInfo, p)) {
        pa_operation_unref(op);
    }
    p->publish();
}

void PulseLatency::sinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self) {
    auto* p = static_cast<PulseLatency*>(self);
    if (eol != 0 || info == nullptr) return;
    p->sinkConfiguredMs_ = static_cast<double>(info->configured_latency) / 1000.0;
    p->publish();
}

void PulseLatency::publish() {
    if (historyCount_ == 0) return;
    // The stream's queue is topped up to its target on each request and
    // drains between them: its upper quartile over the last two seconds is
    // the fill at a request. The sink is taken at its configured latency, or
    // at its latest figure when it drains more than that (as after a stream
    // with a longer latency left it).
    const double stream = quantile(streamHistory_, historyCount_, 0.75);
    streamMs_.store(stream, std::memory_order_relaxed);
    sinkMs_.store(std::max(sinkConfiguredMs_, sinkSeenMs_), std::memory_order_relaxed);
}

}  // namespace fluxcore::platform

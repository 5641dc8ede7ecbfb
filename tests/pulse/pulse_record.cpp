// Records a PulseAudio source (a null sink's monitor) to a file, with the
// instants at which the recorded frames are heard on the CLOCK_MONOTONIC
// clock, so that what the speakers play can be set against the picture.
//
//   gm-pulse-record SOURCE OUT.f32 OUT.timing [SECONDS [OUT.stalls]]
//
// OUT.f32: interleaved stereo float32 frames at 44100 Hz, from frame 0 of the
// record stream (holes the server reports are written as silence, so a frame's
// place in the file is its index in the stream).
// OUT.timing: one line per answer to a timing request, 20 a second:
//   REQUEST_NS REPLY_NS HEARD_FRAME SINK_US SOURCE_US
// REQUEST_NS and REPLY_NS bracket the server's answer on the monotonic clock;
// HEARD_FRAME is the stream frame being heard at that answer: the frames the
// server has captured into the stream, plus the source's own latency (what is
// captured but not yet in the stream), less the sink's latency (a monitor
// sees a sample when it is rendered, SINK_US before it is played).
//
// OUT.stalls (optional): the machine's stalls while it records, one line each,
//   START_NS LATE_NS
// as a realtime thread that wakes every 2 ms sees them: a wake-up LATE_NS
// (over 10 ms) after it was due at START_NS. A stall that long holds up every
// thread on the sound's way, the server's included, however they are scheduled.
//
// Prints "recording" on stdout once the first frames have arrived. Ends on
// SIGTERM or SIGINT, after SECONDS, or with exit status 3 when the server goes
// away (what was recorded is kept).
#include <pulse/pulseaudio.h>

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr std::size_t kFrameBytes = kChannels * sizeof(float);
constexpr pa_usec_t kTimingIntervalUs = 50000;

std::int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

struct MainloopFree {
    void operator()(pa_mainloop* m) const { pa_mainloop_free(m); }
};
struct ContextRelease {
    void operator()(pa_context* c) const {
        pa_context_disconnect(c);
        pa_context_unref(c);
    }
};
struct StreamRelease {
    void operator()(pa_stream* s) const {
        if (pa_stream_get_state(s) == PA_STREAM_READY) pa_stream_disconnect(s);
        pa_stream_unref(s);
    }
};
struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
struct TimeEventFree {
    pa_mainloop_api* api;
    void operator()(pa_time_event* e) const { api->time_free(e); }
};
struct SignalFree {
    void operator()(pa_signal_event* e) const { pa_signal_free(e); }
};

// Watches for stalls of the machine from a realtime thread of its own (where
// the system allows it), for as long as it lives.
class StallWatch {
public:
    explicit StallWatch(std::FILE* out) : out_(out), thread_([this] { watch(); }) {}
    ~StallWatch() {
        stop_ = true;
        thread_.join();
    }
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

private:
    static constexpr std::int64_t kStepNs = 2000000;
    static constexpr std::int64_t kStallNs = 10000000;

    void watch() {
        sched_param param{};
        param.sched_priority = sched_get_priority_max(SCHED_RR);
        pthread_setschedparam(pthread_self(), SCHED_RR, &param);  // refused: watches at normal priority
        std::int64_t due = monotonicNs();
        while (!stop_) {
            due += kStepNs;
            const timespec at{static_cast<time_t>(due / 1000000000), static_cast<long>(due % 1000000000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            const std::int64_t now = monotonicNs();
            if (now - due > kStallNs) {
                std::fprintf(out_, "%lld %lld\n", static_cast<long long>(due), static_cast<long long>(now - due));
                std::fflush(out_);
            }
            due = std::max(due, now - kStepNs);  // after a stall, no burst of catching up
        }
    }

    std::FILE* out_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Recorder {
public:
    Recorder(std::string source, std::FILE* audio, std::FILE* timing)
        : source_(std::move(source)), audio_(audio), timing_(timing) {}

    int run(double seconds);

private:
    static void contextState(pa_context* c, void* self);
    static void streamState(pa_stream* s, void* self);
    static void streamRead(pa_stream* s, std::size_t bytes, void* self);
    static void timingTick(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);
    static void timingAnswer(pa_stream* s, int success, void* self);
    static void stopSignal(pa_mainloop_api* api, pa_signal_event* e, int sig, void* self);
    static void deadline(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);

    void connectStream();
    void quit(int status);

    std::string source_;
    std::FILE* audio_;
    std::FILE* timing_;
    std::unique_ptr<pa_mainloop, MainloopFree> loop_;
    pa_mainloop_api* api_ = nullptr;
    std::unique_ptr<pa_context, ContextRelease> context_;
    std::unique_ptr<pa_stream, StreamRelease> stream_;
    std::unique_ptr<pa_time_event, TimeEventFree> tick_{nullptr, TimeEventFree{nullptr}};
    std::unique_ptr<pa_time_event, TimeEventFree> end_{nullptr, TimeEventFree{nullptr}};
    bool timingPending_ = false;
    std::int64_t requestNs_ = 0;
    std::uint64_t framesWritten_ = 0;
    bool announced_ = false;
    int status_ = 0;
};

void Recorder::quit(int status) {
    if (status > status_) status_ = status;
    pa_mainloop_quit(loop_.get(), status_);
}

void Recorder::contextState(pa_context* c, void* self) {
    auto* r = static_cast<Recorder*>(self);
    switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            r->connectStream();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            std::fprintf(stderr, "gm-pulse-record: the server went away (%s)\n",
                         pa_strerror(pa_context_errno(c)));
            r->quit(3);
            break;
        default:
            break;
    }
}

void Recorder::connectStream() {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, kChannels};
    stream_.reset(pa_stream_new(context_.get(), "gm-pulse-record", &format, nullptr));
    if (!stream_) {
        std::fprintf(stderr, "gm-pulse-record: pa_stream_new: %s\n", pa_strerror(pa_context_errno(context_.get())));
        quit(1);
        return;
    }
    pa_stream_set_state_callback(stream_.get(), &Recorder::streamState, this);
    pa_stream_set_read_callback(stream_.get(), &Recorder::streamRead, this);
    // The monitor's latency asks the sink for 50 ms: above what a player of
    // up to 100 ms latency asks for (the sink takes the lowest request), so
    // the player meets the sink as a viewer's server would have it, and far
    // below the 2 s an idle null sink would otherwise run ahead with (which
    // a player joining would first have to wait out).
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(kRate / 20 * kFrameBytes);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_record(stream_.get(), source_.c_str(), &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
        std::fprintf(stderr, "gm-pulse-record: recording %s: %s\n", source_.c_str(),
                     pa_strerror(pa_context_errno(context_.get())));
        quit(1);
    }
}

void Recorder::streamState(pa_stream* s, void* self) {
    auto* r = static_cast<Recorder*>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_FAILED) {
        std::fprintf(stderr, "gm-pulse-record: recording %s failed: %s\n", r->source_.c_str(),
                     pa_strerror(pa_context_errno(r->context_.get())));
        r->quit(1);
    } else if (state == PA_STREAM_READY && !r->tick_) {
        r->tick_ = std::unique_ptr<pa_time_event, TimeEventFree>(
            pa_context_rttime_new(r->context_.get(), pa_rtclock_now() + kTimingIntervalUs, &Recorder::timingTick, r),
            TimeEventFree{r->api_});
    }
}

void Recorder::streamRead(pa_stream* s, std::size_t, void* self) {
    auto* r = static_cast<Recorder*>(self);
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(s) > 0) {
        if (pa_stream_peek(s, &data, &bytes) < 0) {
            std::fprintf(stderr, "gm-pulse-record: pa_stream_peek: %s\n", pa_strerror(pa_context_errno(r->context_.get())));
            r->quit(1);
            return;
        }
        if (bytes == 0) return;
        const std::size_t frames = bytes / kFrameBytes;
        if (data != nullptr) {
            std::fwrite(data, kFrameBytes, frames, r->audio_);
        } else {
            const std::vector<float> silence(frames * kChannels, 0.0f);  // a hole keeps its place
            std::fwrite(silence.data(), kFrameBytes, frames, r->audio_);
        }
        r->framesWritten_ += frames;
        pa_stream_drop(s);
    }
    if (!r->announced_ && r->framesWritten_ > 0) {
        r->announced_ = true;
        std::printf("recording\n");
        std::fflush(stdout);
    }
}

void Recorder::timingTick(pa_mainloop_api*, pa_time_event* e, const struct timeval*, void* self) {
    auto* r = static_cast<Recorder*>(self);
    if (!r->timingPending_) {
        pa_operation* op = pa_stream_update_timing_info(r->stream_.get(), &Recorder::timingAnswer, r);
        if (op != nullptr) {
            r->timingPending_ = true;
            r->requestNs_ = monotonicNs();
            pa_operation_unref(op);
        }
    }
    pa_context_rttime_restart(r->context_.get(), e, pa_rtclock_now() + kTimingIntervalUs);
}

void Recorder::timingAnswer(pa_stream* s, int success, void* self) {
    auto* r = static_cast<Recorder*>(self);
    const std::int64_t replyNs = monotonicNs();
    r->timingPending_ = false;
    const pa_timing_info* t = success ? pa_stream_get_timing_info(s) : nullptr;
    if (t == nullptr || t->write_index_corrupt) return;
    const double heard = static_cast<double>(t->write_index) / kFrameBytes +
                         (static_cast<double>(t->source_usec) - static_cast<double>(t->sink_usec)) * kRate / 1e6;
    std::fprintf(r->timing_, "%lld %lld %.3f %llu %llu\n", static_cast<long long>(r->requestNs_),
                 static_cast<long long>(replyNs), heard, static_cast<unsigned long long>(t->sink_usec),
                 static_cast<unsigned long long>(t->source_usec));
}

void Recorder::stopSignal(pa_mainloop_api*, pa_signal_event*, int, void* self) {
    static_cast<Recorder*>(self)->quit(0);
}

void Recorder::deadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    static_cast<Recorder*>(self)->quit(0);
}

int Recorder::run(double seconds) {
    loop_.reset(pa_mainloop_new());
    if (!loop_) {
        std::fprintf(stderr, "gm-pulse-record: pa_mainloop_new failed\n");
        return 1;
    }
    api_ = pa_mainloop_get_api(loop_.get());
    tick_ = std::unique_ptr<pa_time_event, TimeEventFree>(nullptr, TimeEventFree{api_});
    end_ = std::unique_ptr<pa_time_event, TimeEventFree>(nullptr, TimeEventFree{api_});
    if (pa_signal_init(api_) < 0) {
        std::fprintf(stderr, "gm-pulse-record: pa_signal_init failed\n");
        return 1;
    }
    int status = 1;
    {
        std::unique_ptr<pa_signal_event, SignalFree> term(pa_signal_new(SIGTERM, &Recorder::stopSignal, this));
        std::unique_ptr<pa_signal_event, SignalFree> intr(pa_signal_new(SIGINT, &Recorder::stopSignal, this));
        context_.reset(pa_context_new(api_, "gm-pulse-record"));
        if (!context_) {
            std::fprintf(stderr, "gm-pulse-record: pa_context_new failed\n");
        } else {
            pa_context_set_state_callback(context_.get(), &Recorder::contextState, this);
            if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
                std::fprintf(stderr, "gm-pulse-record: no server: %s\n", pa_strerror(pa_context_errno(context_.get())));
            } else {
                if (seconds > 0) {
                    end_.reset(pa_context_rttime_new(context_.get(),
                                                     pa_rtclock_now() + static_cast<pa_usec_t>(seconds * 1e6),
                                                     &Recorder::deadline, this));
                }
                int ret = 1;
                pa_mainloop_run(loop_.get(), &ret);
                status = status_;
            }
        }
        // Events and the stream go before the context, all before the loop.
        tick_.reset();
        end_.reset();
        stream_.reset();
        context_.reset();
    }
    pa_signal_done();
    std::fflush(audio_);
    std::fflush(timing_);
    std::fprintf(stderr, "gm-pulse-record: %llu frames (%.2f s) recorded\n",
                 static_cast<unsigned long long>(framesWritten_), double(framesWritten_) / kRate);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 6) {
        std::fprintf(stderr, "usage: gm-pulse-record SOURCE OUT.f32 OUT.timing [SECONDS [OUT.stalls]]\n");
        return 2;
    }
    std::unique_ptr<std::FILE, FileClose> stalls(argc == 6 ? std::fopen(argv[5], "w") : nullptr);
    if (argc == 6 && !stalls) {
        std::fprintf(stderr, "gm-pulse-record: cannot write %s: %s\n", argv[5], std::strerror(errno));
        return 1;
    }
    std::unique_ptr<std::FILE, FileClose> audio(std::fopen(argv[2], "wb"));
    std::unique_ptr<std::FILE, FileClose> timing(std::fopen(argv[3], "w"));
    if (!audio || !timing) {
        std::fprintf(stderr, "gm-pulse-record: cannot write %s: %s\n", !audio ? argv[2] : argv[3], std::strerror(errno));
        return 1;
    }
    const double seconds = argc >= 5 ? std::atof(argv[4]) : 0.0;
    std::unique_ptr<StallWatch> watch(stalls ? new StallWatch(stalls.get()) : nullptr);
    Recorder recorder(argv[1], audio.get(), timing.get());
    return recorder.run(seconds);
}

// Frames: which demo times get rendered (a fixed step from the start of the
// span, never the wall clock), and the writer thread that carries read-back
// frames to a sink.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace capture {

// Frames a second as a fraction num / den in lowest terms (60, 60000/1001).
// Whole numbers throughout, so that frame times and lengths never drift.
struct FrameRate {
    std::int64_t num = 60;
    std::int64_t den = 1;

    // Reduces the fraction; both parts must be positive.
    FrameRate(std::int64_t frames = 60, std::int64_t per = 1);
    std::string text() const;  // "60" or "60000/1001", as ffmpeg reads a rate
    // Frames whose times lie within any one second: ceil(num / den).
    std::int64_t framesPerSecondCeil() const { return (num + den - 1) / den; }
    bool operator==(const FrameRate& other) const { return num == other.num && den == other.den; }
};

class FrameSchedule {
public:
    // Frames at fromMs + n * 1000 * den / num for every such time before toMs.
    FrameSchedule(std::int64_t fromMs, std::int64_t toMs, FrameRate rate);

    std::int64_t count() const { return count_; }
    // Demo time of frame n (0-based): the exact fraction, rounded once.
    double timeMs(std::int64_t frame) const;
    // The whole milliseconds of it (rounded down, exact).
    std::int64_t wholeMs(std::int64_t frame) const;
    double durationSeconds() const;  // count * den / num: the length of a video of these frames
    const FrameRate& rate() const { return rate_; }
    std::int64_t fromMs() const { return fromMs_; }

private:
    std::int64_t fromMs_;
    FrameRate rate_;
    std::int64_t count_;
};

// Times of `cells` frames spread evenly over [fromMs, toMs): the first at
// fromMs, one step of (toMs - fromMs) / cells between neighbours.
std::vector<double> evenTimes(std::int64_t fromMs, std::int64_t toMs, int cells);

// One read-back: packed BGR rows (3 bytes a pixel, no padding) bottom to top,
// as glReadPixels gives them; ffmpeg flips them and converts them to YUV.
struct Frame {
    std::int64_t index = 0;  // 0-based within the run
    double timeMs = 0.0;     // demo time it shows
    int width = 0;
    int height = 0;
    std::size_t slot = 0;    // its place in the writer's pool, fixed for its life
    // bytes() of pixels. Owned frames point into `storage`; a pool of
    // borrowed frames gets it set by the caller before each submit() (a
    // mapped pixel buffer) and must keep it valid until the frame comes back.
    std::uint8_t* bgr = nullptr;
    std::vector<std::uint8_t> storage;

    std::size_t bytes() const { return static_cast<std::size_t>(width) * height * 3; }
};

// Where frames go. consume() runs on the writer thread, one frame at a time
// in frame order; finish() and abandon() on the thread that owns the writer.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void consume(const Frame& frame) = 0;  // throws on failure
    virtual void finish() = 0;                     // after the last frame: complete the output
    // Unblocks a consume() that waits on the outside world (may run while
    // consume() runs on the writer thread).
    virtual void interrupt() noexcept {}
    virtual void abandon() noexcept = 0;           // remove any partial output
};

class FrameWriter {
public:
    enum class Pixels { Owned, Borrowed };
    // A pool of `buffers` frames of width x height. Owned: each with its own
    // storage. Borrowed: none; the caller points each frame at its
    // pixels before submit().
    FrameWriter(FrameSink& sink, int width, int height, std::size_t buffers = 3, Pixels pixels = Pixels::Owned);
    ~FrameWriter();  // abandons unless finish() completed

    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A free buffer to fill; waits while all are queued. Throws the writer
    // thread's failure if it had one. Returns nullptr once *cancel is set.
    Frame* acquire(const std::atomic<bool>* cancel = nullptr);
    void submit(Frame* frame);  // queues a filled buffer from acquire()
    std::size_t poolSize() const { return pool_.size(); }

    // Waits until every queued frame is consumed, then completes the sink.
    // Throws the first failure of the writer thread or of the sink.
    void finish();
    // Stops without completing: interrupts the sink, drops queued frames,
    // removes partial output.
    void abandon() noexcept;

private:
    void run();
    void stopThread() noexcept;
    void rethrowFailure();

    FrameSink& sink_;
    std::vector<Frame> pool_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame*> free_;
    std::deque<Frame*> queued_;
    bool stopping_ = false;
    bool busy_ = false;   // the writer thread holds a frame
    bool closed_ = false; // finish() or abandon() done
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace capture

// Frame times and the writer thread.
#include "capture/frames.h"

#include <chrono>
#include <numeric>

namespace capture {

FrameRate::FrameRate(std::int64_t frames, std::int64_t per) : num(frames), den(per) {
    const std::int64_t common = std::gcd(num, den);
    if (common > 1) {
        num /= common;
        den /= common;
    }
}

std::string FrameRate::text() const {
    return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

FrameSchedule::FrameSchedule(std::int64_t fromMs, std::int64_t toMs, FrameRate rate)
    : fromMs_(fromMs), rate_(rate) {
    const std::int64_t span = toMs > fromMs ? toMs - fromMs : 0;
    // Smallest count with count * 1000 * den / num >= span, in integers so
    // that 49000 ms at 60 fps is exactly 2940 frames. The rates and spans
    // options allow keep span * num below 2^63.
    const std::int64_t step = 1000 * rate_.den;
    count_ = (span * rate_.num + step - 1) / step;
}

std::int64_t FrameSchedule::wholeMs(std::int64_t frame) const {
    return fromMs_ + frame * 1000 * rate_.den / rate_.num;
}

double FrameSchedule::timeMs(std::int64_t frame) const {
    // The whole milliseconds and the remainder apart, each exact: frame 3 at
    // 60 fps is 50 ms, frame 60 at 60000/1001 is 1001 ms, with no step added
    // up over the frames before.
    const std::int64_t ticks = frame * 1000 * rate_.den;
    return static_cast<double>(fromMs_ + ticks / rate_.num) +
           static_cast<double>(ticks % rate_.num) / static_cast<double>(rate_.num);
}

double FrameSchedule::durationSeconds() const {
    return static_cast<double>(count_ * rate_.den) / static_cast<double>(rate_.num);
}

std::vector<double> evenTimes(std::int64_t fromMs, std::int64_t toMs, int cells) {
    std::vector<double> times;
    if (cells <= 0) return times;
    const double step = static_cast<double>(toMs - fromMs) / cells;
    for (int i = 0; i < cells; ++i) times.push_back(static_cast<double>(fromMs) + step * i);
    return times;
}

FrameWriter::FrameWriter(FrameSink& sink, int width, int height, std::size_t buffers, Pixels pixels)
    : sink_(sink), pool_(buffers == 0 ? 1 : buffers) {
    for (std::size_t i = 0; i < pool_.size(); ++i) {
        Frame& f = pool_[i];
        f.width = width;
        f.height = height;
        f.slot = i;
        if (pixels == Pixels::Owned) {
            f.storage.resize(f.bytes());
            f.bgr = f.storage.data();
        }
        free_.push_back(&f);
    }
    thread_ = std::thread([this] { run(); });
}

FrameWriter::~FrameWriter() { abandon(); }

void FrameWriter::run() {
    for (;;) {
        Frame* frame = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
            if (queued_.empty() || failure_) return;
            frame = queued_.front();
            queued_.pop_front();
            busy_ = true;
        }
        std::exception_ptr failed;
        try {
            sink_.consume(*frame);
        } catch (...) {
            failed = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = false;
        free_.push_back(frame);
        if (failed && !failure_) failure_ = failed;
        changed_.notify_all();
        if (failure_) return;
    }
}

void FrameWriter::rethrowFailure() {
    if (failure_) std::rethrow_exception(failure_);
}

Frame* FrameWriter::acquire(const std::atomic<bool>* cancel) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        rethrowFailure();
        if (cancel && cancel->load()) return nullptr;
        if (!free_.empty()) {
            Frame* f = free_.front();
            free_.pop_front();
            return f;
        }
        // Bounded wait, so an interrupt flag set by a signal handler is seen.
        changed_.wait_for(lock, std::chrono::milliseconds(50));
    }
}

void FrameWriter::submit(Frame* frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push_back(frame);
    changed_.notify_all();
}

void FrameWriter::stopThread() noexcept {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

void FrameWriter::finish() {
    if (closed_) return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return failure_ || (queued_.empty() && !busy_); });
    }
    stopThread();
    closed_ = true;
    try {
        rethrowFailure();
        sink_.finish();
    } catch (...) {
        sink_.abandon();
        throw;
    }
}

void FrameWriter::abandon() noexcept {
    if (closed_) return;
    closed_ = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.clear();
    }
    sink_.interrupt();
    stopThread();
    sink_.abandon();
}

}  // namespace capture

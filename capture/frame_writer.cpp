// The render-to-writer hand-off.
#include "capture/frame_writer.h"

#include <chrono>

namespace capture {

FrameWriter::FrameWriter(FrameSink& sink, int width, int height, std::size_t buffers)
    : sink_(sink), pool_(buffers == 0 ? 1 : buffers) {
    for (Frame& f : pool_) {
        f.width = width;
        f.height = height;
        f.rgba.resize(static_cast<std::size_t>(width) * height * 4);
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

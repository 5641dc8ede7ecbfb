// Fixed-step frame times.
#include "capture/frame_schedule.h"

namespace capture {

FrameSchedule::FrameSchedule(std::int64_t fromMs, std::int64_t toMs, int fps)
    : fromMs_(fromMs), fps_(fps) {
    const std::int64_t span = toMs > fromMs ? toMs - fromMs : 0;
    // Smallest count with fromMs + count * 1000 / fps >= toMs, in integers so
    // that 49000 ms at 60 fps is exactly 2940 frames.
    count_ = (span * fps + 999) / 1000;
}

double FrameSchedule::timeMs(std::int64_t frame) const {
    // n * 1000 / fps in one rounding step: frame 3 at 60 fps is 50 ms exactly.
    return static_cast<double>(fromMs_) + static_cast<double>(frame * 1000) / fps_;
}

double FrameSchedule::durationSeconds() const { return static_cast<double>(count_) / fps_; }

std::vector<double> evenTimes(std::int64_t fromMs, std::int64_t toMs, int cells) {
    std::vector<double> times;
    if (cells <= 0) return times;
    const double step = static_cast<double>(toMs - fromMs) / cells;
    for (int i = 0; i < cells; ++i) times.push_back(static_cast<double>(fromMs) + step * i);
    return times;
}

}  // namespace capture

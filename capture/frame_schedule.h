// Which demo times get rendered: a fixed step of 1000/fps ms from the start
// of the span, never the wall clock.
#pragma once

#include <cstdint>
#include <vector>

namespace capture {

class FrameSchedule {
public:
    // Frames at fromMs + n * 1000 / fps for every such time before toMs.
    FrameSchedule(std::int64_t fromMs, std::int64_t toMs, int fps);

    std::int64_t count() const { return count_; }
    double timeMs(std::int64_t frame) const;  // demo time of frame n (0-based)
    double durationSeconds() const;           // count / fps: the length of a video of these frames
    int fps() const { return fps_; }
    std::int64_t fromMs() const { return fromMs_; }

private:
    std::int64_t fromMs_;
    int fps_;
    std::int64_t count_;
};

// Times of `cells` frames spread evenly over [fromMs, toMs): the first at
// fromMs, one step of (toMs - fromMs) / cells between neighbours.
std::vector<double> evenTimes(std::int64_t fromMs, std::int64_t toMs, int cells);

}  // namespace capture

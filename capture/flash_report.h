// Photosensitivity report: general and red flashes in the frames as captured,
// counted by the rules of WCAG 2.3.1 (Three Flashes or Below Threshold), per
// second of the demo, the CSV it is written as, and the sink that analyses
// frames on their way to the output.
//
// A pixel's luminance is WCAG's relative luminance of its sRGB value. A
// transition is a change of at least 0.1 against the last turning point where
// the darker side is below 0.80; a red transition a change of more than 20 in
// (R - G - B) x 320 (linear values, 0 unless R / (R + G + B) >= 0.8, the
// saturated-red rule). A flash is a pair of opposing transitions, so a pixel
// with n transitions within one second has flashed n / 2 times. A window of
// one second goes beyond the threshold when the pixels that flashed more than
// three times in it (7 transitions or more) cover at least kThresholdArea of
// the picture, added up wherever they are (more cautious than one 10-degree
// field).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/frames.h"

namespace capture {

// 341 x 256 pixels of a 1024 x 768 screen, the WCAG equivalent of a quarter
// of the central 10-degree field: 11.1 % of the picture.
constexpr double kFlashThresholdArea = 341.0 * 256.0 / (1024.0 * 768.0);

// One kind of flash over the one-second windows that end in one second.
struct FlashFigures {
    double flashes = 0;        // the most flashes that kFlashThresholdArea of the picture reached
    double flashingArea = 0;   // the largest share of the picture that flashed at least once
    double areaOverThree = 0;  // the largest share that flashed more than three times
};

struct FlashSecond {
    std::int64_t second = 0;  // demo time [1000 * second, 1000 * second + 1000)
    FlashFigures general, red;

    bool exceeds() const {
        return general.areaOverThree >= kFlashThresholdArea || red.areaOverThree >= kFlashThresholdArea;
    }
};

class FlashAnalyser {
public:
    // Frames of width x height at the schedule's times, in order.
    FlashAnalyser(int width, int height, const FrameSchedule& schedule);
    ~FlashAnalyser();
    FlashAnalyser(const FlashAnalyser&) = delete;
    FlashAnalyser& operator=(const FlashAnalyser&) = delete;

    // The next frame: 3 bytes a pixel, blue first (rows in any order).
    void add(const std::uint8_t* bgr);
    // A row for every second that had a frame, in order.
    const std::vector<FlashSecond>& seconds() const { return seconds_; }

private:
    struct Signal;
    void record(std::int64_t second);  // the window ending at this frame, into its second's row

    int width_;
    int height_;
    FrameSchedule schedule_;
    std::int64_t frame_ = 0;
    std::int64_t window_;  // frames within any one second
    std::unique_ptr<Signal> general_;
    std::unique_ptr<Signal> red_;
    std::vector<FlashSecond> seconds_;
};

// The report: a header line, then one line per second.
std::string flashCsv(const std::vector<FlashSecond>& seconds);
// The one line printed when done: whether any second goes beyond the threshold.
std::string flashSummary(const std::vector<FlashSecond>& seconds, const std::string& csvPath);

// Analyses each frame, then hands it on to `next` (none: the frames are only
// analysed); finish() completes `next` and writes the CSV (under a temporary
// name, renamed once complete).
class FlashReportSink : public FrameSink {
public:
    FlashReportSink(std::unique_ptr<FrameSink> next, int width, int height, const FrameSchedule& schedule,
                    std::string csvPath);
    void consume(const Frame& frame) override;
    void finish() override;
    void interrupt() noexcept override;
    void abandon() noexcept override;

    std::string summary() const { return flashSummary(analyser_.seconds(), csvPath_); }

private:
    std::unique_ptr<FrameSink> next_;
    FlashAnalyser analyser_;
    std::string csvPath_;
};

}  // namespace capture

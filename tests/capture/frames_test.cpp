// Frame times (the fixed schedule and even contact-sheet times) and the writer
// thread hand-off.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "capture/frames.h"

namespace {

using capture::Frame;
using capture::FrameSchedule;
using capture::FrameWriter;

// Records what reaches it; can fail at a chosen frame or dawdle.
class RecordingSink : public capture::FrameSink {
public:
    std::vector<std::int64_t> indices;
    std::vector<std::uint8_t> firstBytes;
    std::int64_t failAt = -1;
    int delayMs = 0;
    int finished = 0, abandoned = 0, interrupted = 0;

    void consume(const Frame& frame) override {
        if (delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (frame.index == failAt) throw std::runtime_error("disk full at frame " + std::to_string(frame.index));
        indices.push_back(frame.index);
        firstBytes.push_back(frame.bgr[0]);
    }
    void finish() override { ++finished; }
    void interrupt() noexcept override { ++interrupted; }
    void abandon() noexcept override { ++abandoned; }
};

// Pushes frames 0..count-1, each marked by its first byte; returns how many were submitted.
int pump(FrameWriter& writer, int count) {
    for (int i = 0; i < count; ++i) {
        Frame* f = writer.acquire();
        f->index = i;
        f->bgr[0] = static_cast<std::uint8_t>(i * 3);
        writer.submit(f);
    }
    return count;
}

TEST(FrameWriter, DeliversEveryFrameInOrderThroughASmallPool) {
    RecordingSink sink;
    sink.delayMs = 1;  // the writer is the slower side: the renderer must wait for buffers
    {
        FrameWriter writer(sink, 8, 4, 2);
        pump(writer, 40);
        writer.finish();
    }
    ASSERT_EQ(sink.indices.size(), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(sink.indices[i], i);
        EXPECT_EQ(sink.firstBytes[i], static_cast<std::uint8_t>(i * 3)) << "a buffer was reused before it was written";
    }
    EXPECT_EQ(sink.finished, 1);
    EXPECT_EQ(sink.abandoned, 0);
}

TEST(FrameWriter, AWriteFailureStopsTheRendererAndAbandonsTheOutput) {
    RecordingSink sink;
    sink.failAt = 5;
    FrameWriter writer(sink, 4, 4, 2);
    std::string message;
    try {
        pump(writer, 1000);
        writer.finish();
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "disk full at frame 5");
    EXPECT_EQ(sink.indices.size(), 5u) << "nothing after the failing frame is written";
    writer.abandon();
    EXPECT_EQ(sink.finished, 0);
    EXPECT_EQ(sink.abandoned, 1);
    writer.abandon();
    EXPECT_EQ(sink.abandoned, 1) << "abandon is idempotent";

    // finish() itself reports a failure of the last frames and abandons.
    RecordingSink late;
    late.failAt = 2;
    FrameWriter lateWriter(late, 4, 4, 4);
    pump(lateWriter, 3);
    EXPECT_THROW(lateWriter.finish(), std::runtime_error);
    EXPECT_EQ(late.finished, 0);
    EXPECT_EQ(late.abandoned, 1);
}

TEST(FrameWriter, CancelAndDestructionWithoutFinish) {
    RecordingSink sink;
    std::atomic<bool> cancel{false};
    {
        FrameWriter writer(sink, 4, 4, 1);
        Frame* f = writer.acquire(&cancel);
        ASSERT_NE(f, nullptr);
        writer.submit(f);
        cancel = true;
        EXPECT_EQ(writer.acquire(&cancel), nullptr);
        // Leaving the scope without finish(): the output is abandoned.
    }
    EXPECT_EQ(sink.finished, 0);
    EXPECT_EQ(sink.interrupted, 1);
    EXPECT_EQ(sink.abandoned, 1);
}

TEST(FrameSchedule, FixedStepFromTheStartOfTheSpan) {
    const FrameSchedule whole(0, 49000, 60);
    EXPECT_EQ(whole.count(), 2940);
    EXPECT_DOUBLE_EQ(whole.timeMs(0), 0.0);
    EXPECT_DOUBLE_EQ(whole.timeMs(3), 50.0);
    EXPECT_DOUBLE_EQ(whole.timeMs(120), 2000.0) << "the music cue falls on a frame at 60 fps";
    EXPECT_LT(whole.timeMs(whole.count() - 1), 49000.0);
    EXPECT_DOUBLE_EQ(whole.durationSeconds(), 49.0);

    // Times are n * 1000 / fps from --from, not accumulated steps: no drift
    // after thousands of frames of a step that is not a whole number.
    EXPECT_DOUBLE_EQ(whole.timeMs(2939), 2939.0 * 1000.0 / 60.0);

    const FrameSchedule offset(1500, 3500, 30);
    EXPECT_EQ(offset.count(), 60);
    EXPECT_DOUBLE_EQ(offset.timeMs(0), 1500.0);
    EXPECT_DOUBLE_EQ(offset.timeMs(59), 1500.0 + 59000.0 / 30.0);
}

TEST(FrameSchedule, FractionalRatesLandOnExactTimesWithoutDrift) {
    using capture::FrameRate;
    EXPECT_EQ(FrameRate(120, 2), FrameRate(60)) << "kept in lowest terms";
    EXPECT_EQ(FrameRate(60000, 1001).text(), "60000/1001");
    EXPECT_EQ(FrameRate(48, 2).text(), "24");
    EXPECT_EQ(FrameRate(60000, 1001).framesPerSecondCeil(), 60);
    EXPECT_EQ(FrameRate(24000, 1001).framesPerSecondCeil(), 24);

    // The whole demo at 59.94: 49000 ms hold 2937.06 frame steps, so 2938 frames.
    const FrameSchedule ntsc(0, 49000, FrameRate(60000, 1001));
    EXPECT_EQ(ntsc.count(), 2938);
    EXPECT_DOUBLE_EQ(ntsc.durationSeconds(), 2938.0 * 1001.0 / 60000.0);
    // Every 60th frame falls on a whole number of ms, 1001 apart, however
    // many frames came before: the times are n * 1000 * 1001 / 60000, never
    // a sum of 16.683 ms steps.
    for (std::int64_t n = 0; n < ntsc.count(); n += 60) {
        EXPECT_EQ(ntsc.timeMs(n), static_cast<double>(n / 60 * 1001)) << "frame " << n;
        EXPECT_EQ(ntsc.wholeMs(n), n / 60 * 1001);
    }
    EXPECT_DOUBLE_EQ(ntsc.timeMs(1), 1001.0 / 60.0);
    EXPECT_EQ(ntsc.wholeMs(1), 16);
    EXPECT_EQ(ntsc.wholeMs(2937), 48998) << "2937 * 1001 / 60 = 48998.95";
    // Far beyond the demo the parts stay exact: a day at 59.94 fps.
    const FrameSchedule day(0, 86400000, FrameRate(60000, 1001));
    EXPECT_EQ(day.count(), 5178822);
    EXPECT_EQ(day.timeMs(5178780), 86399313.0) << "5178780 / 60 * 1001";

    // From a later start, the first frame is at --from exactly.
    const FrameSchedule film(20000, 21000, FrameRate(24000, 1001));
    EXPECT_EQ(film.count(), 24) << "23.98 steps fit in one second";
    EXPECT_DOUBLE_EQ(film.timeMs(0), 20000.0);
    EXPECT_DOUBLE_EQ(film.timeMs(24), 20000.0 + 1001.0);
}

TEST(FrameSchedule, PartialLastStepStillGetsAFrame) {
    EXPECT_EQ(FrameSchedule(0, 1001, 1).count(), 2) << "1000 ms is before 1001";
    EXPECT_EQ(FrameSchedule(0, 1000, 1).count(), 1);
    EXPECT_EQ(FrameSchedule(0, 10, 60).count(), 1);
    EXPECT_EQ(FrameSchedule(0, 17, 60).count(), 2);
    EXPECT_EQ(FrameSchedule(5, 5, 60).count(), 0);
    EXPECT_EQ(FrameSchedule(9, 5, 60).count(), 0);
    // The last frame of any schedule is before its end, the one after it is not.
    for (int fps : {1, 7, 24, 29, 60, 144, 240}) {
        for (std::int64_t to : {1, 999, 1000, 2000, 48999, 49000}) {
            const FrameSchedule s(0, to, fps);
            ASSERT_GT(s.count(), 0);
            EXPECT_LT(s.timeMs(s.count() - 1), static_cast<double>(to)) << fps << " fps to " << to;
            EXPECT_GE(s.timeMs(s.count()), static_cast<double>(to)) << fps << " fps to " << to;
        }
    }
}

TEST(FrameSchedule, EvenTimesStartAtTheSpanAndStayInside) {
    const std::vector<double> times = capture::evenTimes(0, 48000, 12);
    ASSERT_EQ(times.size(), 12u);
    EXPECT_DOUBLE_EQ(times.front(), 0.0);
    EXPECT_DOUBLE_EQ(times[1], 4000.0);
    EXPECT_DOUBLE_EQ(times.back(), 44000.0);
    EXPECT_EQ(capture::evenTimes(1000, 2000, 1), std::vector<double>{1000.0});
    EXPECT_TRUE(capture::evenTimes(0, 1000, 0).empty());
}

}  // namespace

// Frame-time statistics and the progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/progress.h"

namespace {

TEST(BenchStats, MedianPercentileMaxAndRate) {
    // 1..100 ms in shuffled order: median 50.5, nearest-rank p95 is the 95th value.
    std::vector<double> ms;
    for (int i = 100; i >= 1; --i) ms.push_back(i);
    std::swap(ms[3], ms[70]);
    const auto s = capture::summarizeFrameTimes(ms);
    EXPECT_EQ(s.frames, 100u);
    EXPECT_DOUBLE_EQ(s.medianMs, 50.5);
    EXPECT_DOUBLE_EQ(s.p95Ms, 95.0);
    EXPECT_DOUBLE_EQ(s.maxMs, 100.0);
    EXPECT_DOUBLE_EQ(s.totalSeconds, 5.05);
    EXPECT_NEAR(s.meanFps, 100.0 / 5.05, 1e-9);

    const auto odd = capture::summarizeFrameTimes({4.0, 1.0, 2.0});
    EXPECT_DOUBLE_EQ(odd.medianMs, 2.0);
    EXPECT_DOUBLE_EQ(odd.p95Ms, 4.0);

    const auto one = capture::summarizeFrameTimes({16.0});
    EXPECT_DOUBLE_EQ(one.medianMs, 16.0);
    EXPECT_DOUBLE_EQ(one.p95Ms, 16.0);
    EXPECT_DOUBLE_EQ(one.meanFps, 62.5);

    const auto none = capture::summarizeFrameTimes({});
    EXPECT_EQ(none.frames, 0u);
    EXPECT_DOUBLE_EQ(none.meanFps, 0.0);
}

TEST(BenchStats, RunStatsNameTheChildOnlyWhenThereWasOne) {
    EXPECT_EQ(capture::formatRunStats(41.5, 99 * 1024 + 512, 0), "wall time:    41.50 s\npeak RSS:     99.5 MiB\n");
    EXPECT_EQ(capture::formatRunStats(2.0, 1024, 300 * 1024),
              "wall time:    2.00 s\npeak RSS:     1.0 MiB (ffmpeg 300.0 MiB)\n");
}

TEST(BenchStats, ReportNamesEveryFigure) {
    capture::FrameTimeStats s;
    s.frames = 2940;
    s.medianMs = 8.25;
    s.p95Ms = 11.5;
    s.maxMs = 30.0;
    s.meanFps = 110.4;
    s.totalSeconds = 26.6;
    const std::string report = capture::formatBenchReport(s, 1920, 1080, 204800, 58.8);
    EXPECT_NE(report.find("2940 at 1920x1080"), std::string::npos) << report;
    EXPECT_NE(report.find("median 8.25 ms"), std::string::npos) << report;
    EXPECT_NE(report.find("95th percentile 11.50 ms"), std::string::npos) << report;
    EXPECT_NE(report.find("max 30.00 ms"), std::string::npos) << report;
    EXPECT_NE(report.find("110.4 fps"), std::string::npos) << report;
    EXPECT_NE(report.find("20.00 ms per frame"), std::string::npos) << report;
    EXPECT_NE(report.find("200.0 MiB"), std::string::npos) << report;
    EXPECT_GT(capture::peakRssKiB(), 0);
    EXPECT_EQ(capture::formatBenchReport(capture::FrameTimeStats{}, 1, 1, 0, 1.0).find("nan"), std::string::npos)
        << "no frames: no division by zero";
}

TEST(Progress, LineShowsFramesRateAndTimeLeft) {
    EXPECT_EQ(capture::formatProgress(1470, 2940, 24.5, 10),
              "[#####-----] 1470/2940 frames    60.0 fps  0:25 left");
    EXPECT_EQ(capture::formatProgress(0, 2940, 0.0, 4), "[----]    0/2940 frames       - fps  --:-- left");
    EXPECT_EQ(capture::formatProgress(2940, 2940, 49.0, 4), "[####] 2940/2940 frames    60.0 fps  0:00 left");
    // 100 of 7300 at 1 fps: two hours left, shown in minutes.
    EXPECT_NE(capture::formatProgress(100, 7300, 100.0, 4).find("120:00 left"), std::string::npos);
    // Out-of-range counts are clamped instead of drawing a broken bar.
    EXPECT_EQ(capture::formatProgress(5000, 10, 1.0, 4).substr(0, 6), "[####]");
}

TEST(Progress, SilentWhenNotATerminal) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    {
        capture::ProgressBar bar(10, false, sink);
        for (int i = 1; i <= 10; ++i) bar.update(i);
        bar.finish();
    }
    EXPECT_EQ(std::ftell(sink), 0L);
    {
        capture::ProgressBar bar(10, true, sink);
        for (int i = 1; i <= 10; ++i) bar.update(i);
        bar.finish();
    }
    std::rewind(sink);
    char text[512] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, sink);
    const std::string shown(text, n);
    EXPECT_NE(shown.find("10/10 frames"), std::string::npos) << shown;
    EXPECT_EQ(shown.back(), '\n');
    std::fclose(sink);
}

}  // namespace

// Progress and timing: the progress line on a terminal (silent when stderr is
// not one; it reads the wall clock only for what it shows), and the frame-time
// statistics and report of --bench.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

// "[#######-------------]  1200/2940 frames   58.3 fps   0:29 left"
// The rate is done / elapsedSeconds; time left is (total - done) at that
// rate, "--:--" until there is a rate.
std::string formatProgress(std::int64_t done, std::int64_t total, double elapsedSeconds, int barWidth = 24);

class ProgressBar {
public:
    // enabled: normally isatty(stderr); nothing is printed otherwise.
    ProgressBar(std::int64_t total, bool enabled, std::FILE* out = stderr);
    ~ProgressBar();  // ends the line if one is open

    void update(std::int64_t done);  // redraws at most ten times a second, and always for the last frame
    void finish();                   // final redraw and newline

    static bool stderrIsTerminal();

private:
    using Clock = std::chrono::steady_clock;
    std::int64_t total_;
    bool enabled_;
    std::FILE* out_;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
    bool drawn_ = false;
    bool open_ = false;
    std::int64_t done_ = 0;
};

struct FrameTimeStats {
    std::size_t frames = 0;
    double medianMs = 0.0;
    double p95Ms = 0.0;     // nearest rank: 95 % of frames took this long or less
    double maxMs = 0.0;
    double meanFps = 0.0;   // frames / total time
    double totalSeconds = 0.0;
};

FrameTimeStats summarizeFrameTimes(std::vector<double> frameMs);

long peakRssKiB();           // getrusage ru_maxrss of this process
long peakChildRssKiB();      // the largest ru_maxrss of the children waited for (ffmpeg)
double processCpuSeconds();  // user + system time of all threads of this process so far

// The report printed by --bench. cpuSeconds: processor time the frames took
// (every thread, so a multi-threaded renderer can exceed the wall time);
// unlike the frame times it hardly changes when other work shares the machine.
std::string formatBenchReport(const FrameTimeStats& stats, int width, int height, long peakKiB, double cpuSeconds);
// --stats: the whole run's wall time and peak memory (a child's only if it had one).
std::string formatRunStats(double wallSeconds, long peakKiB, long childPeakKiB);

}  // namespace capture

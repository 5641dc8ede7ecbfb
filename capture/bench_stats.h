// Frame-time statistics for --bench, and the process's peak memory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace capture {

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
double processCpuSeconds();  // user + system time of all threads of this process so far

// The report printed by --bench. cpuSeconds: processor time the frames took
// (every thread, so a multi-threaded renderer can exceed the wall time);
// unlike the frame times it hardly changes when other work shares the machine.
std::string formatBenchReport(const FrameTimeStats& stats, int width, int height, long peakKiB, double cpuSeconds);

}  // namespace capture

// Frame-time statistics.
#include "capture/bench_stats.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace capture {

FrameTimeStats summarizeFrameTimes(std::vector<double> frameMs) {
    FrameTimeStats s;
    s.frames = frameMs.size();
    if (frameMs.empty()) return s;
    std::sort(frameMs.begin(), frameMs.end());
    const std::size_t n = frameMs.size();
    s.medianMs = n % 2 ? frameMs[n / 2] : (frameMs[n / 2 - 1] + frameMs[n / 2]) / 2.0;
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    s.p95Ms = frameMs[std::max<std::size_t>(rank, 1) - 1];
    s.maxMs = frameMs.back();
    const double totalMs = std::accumulate(frameMs.begin(), frameMs.end(), 0.0);
    s.totalSeconds = totalMs / 1000.0;
    s.meanFps = totalMs > 0.0 ? static_cast<double>(n) * 1000.0 / totalMs : 0.0;
    return s;
}

long peakRssKiB() {
    struct rusage usage {};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return usage.ru_maxrss;
}

double processCpuSeconds() {
    struct rusage usage {};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0.0;
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string formatBenchReport(const FrameTimeStats& s, int width, int height, long peakKiB, double cpuSeconds) {
    char text[640];
    std::snprintf(text, sizeof text,
                  "frames:       %zu at %dx%d\n"
                  "frame time:   median %.2f ms, 95th percentile %.2f ms, max %.2f ms\n"
                  "mean rate:    %.1f fps (%.2f s rendering)\n"
                  "cpu time:     %.2f ms per frame (%.2f s, all threads)\n"
                  "peak RSS:     %.1f MiB\n",
                  s.frames, width, height, s.medianMs, s.p95Ms, s.maxMs, s.meanFps, s.totalSeconds,
                  s.frames ? cpuSeconds * 1000.0 / static_cast<double>(s.frames) : 0.0, cpuSeconds,
                  static_cast<double>(peakKiB) / 1024.0);
    return text;
}

}  // namespace capture

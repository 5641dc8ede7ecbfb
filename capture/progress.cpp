// The terminal progress line and frame-time statistics.
#include "capture/progress.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace capture {

std::string formatProgress(std::int64_t done, std::int64_t total, double elapsedSeconds, int barWidth) {
    if (total < 1) total = 1;
    if (done > total) done = total;
    if (done < 0) done = 0;
    const int filled = static_cast<int>(done * barWidth / total);
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(barWidth - filled), '-') + "]";
    char text[128];
    const int digits = static_cast<int>(std::to_string(total).size());
    std::snprintf(text, sizeof text, " %*lld/%lld frames", digits, static_cast<long long>(done),
                  static_cast<long long>(total));
    line += text;
    if (done > 0 && elapsedSeconds > 0.0) {
        const double rate = done / elapsedSeconds;
        const long long left = std::llround((total - done) / rate);
        std::snprintf(text, sizeof text, "  %6.1f fps  %lld:%02lld left", rate, left / 60, left % 60);
    } else {
        std::snprintf(text, sizeof text, "  %6s fps  --:-- left", "-");
    }
    line += text;
    return line;
}

ProgressBar::ProgressBar(std::int64_t total, bool enabled, std::FILE* out)
    : total_(total), enabled_(enabled), out_(out), start_(Clock::now()), lastDraw_(start_) {}

ProgressBar::~ProgressBar() {
    if (open_) std::fputc('\n', out_);
}

void ProgressBar::update(std::int64_t done) {
    done_ = done;
    if (!enabled_) return;
    const auto now = Clock::now();
    if (drawn_ && done < total_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    drawn_ = true;
    open_ = true;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::fprintf(out_, "\r%s\033[K", formatProgress(done, total_, elapsed).c_str());
    std::fflush(out_);
}

void ProgressBar::finish() {
    if (!enabled_) return;
    drawn_ = false;
    update(done_);
    std::fputc('\n', out_);
    std::fflush(out_);
    open_ = false;
}

bool ProgressBar::stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

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

long peakChildRssKiB() {
    struct rusage usage {};
    if (::getrusage(RUSAGE_CHILDREN, &usage) != 0) return 0;
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

std::string formatRunStats(double wallSeconds, long peakKiB, long childPeakKiB) {
    char text[256];
    int n = std::snprintf(text, sizeof text, "wall time:    %.2f s\npeak RSS:     %.1f MiB", wallSeconds,
                          static_cast<double>(peakKiB) / 1024.0);
    if (childPeakKiB > 0 && n > 0 && static_cast<std::size_t>(n) < sizeof text)
        n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), " (ffmpeg %.1f MiB)",
                           static_cast<double>(childPeakKiB) / 1024.0);
    return std::string(text) + "\n";
}

}  // namespace capture

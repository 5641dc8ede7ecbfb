// Terminal progress line.
#include "capture/progress.h"

#include <unistd.h>

#include <cmath>

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

}  // namespace capture

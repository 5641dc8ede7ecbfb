// The progress line on a terminal: frames done, frames per second, time left.
// Silent when stderr is not a terminal. It reads the wall clock only for what
// it shows; the frames never depend on it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

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

}  // namespace capture

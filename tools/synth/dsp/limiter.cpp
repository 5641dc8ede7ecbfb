// Soft saturation and the look-ahead peak limiter.
//
// The limiter's gain curve: per frame the gain a peak needs, a running minimum
// over the look-ahead window (so the reduction starts early enough), a linear
// release, then a moving average over the same window. Every averaged window
// that covers a frame contains that frame's own minimum, so the smoothed gain
// never exceeds what the frame needs.
#include "dsp/limiter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <deque>

namespace gmsynth {

double softSaturate(double x, double knee) {
    const double a = std::fabs(x);
    if (a <= knee) return x;
    const double room = 1.0 - knee;
    const double bent = knee + room * std::tanh((a - knee) / room);
    return x < 0.0 ? -bent : bent;
}

void limitPeaks(std::vector<float>& s, double sampleRate, const LimiterSettings& settings) {
    const std::size_t frames = s.size() / 2;
    if (frames == 0) return;
    const std::size_t window = std::max<std::size_t>(1, static_cast<std::size_t>(settings.lookahead * sampleRate));
    const double releaseStep = 1.0 / std::max(1.0, settings.release * sampleRate);

    std::vector<double> need(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double peak = std::max(std::fabs(s[2 * i]), std::fabs(s[2 * i + 1]));
        // Aim slightly under the ceiling so rounding to float stays under it.
        const double target = settings.ceiling * 0.9999;
        need[i] = peak > target ? target / peak : 1.0;
    }

    // Running minimum of need[i .. i + window - 1] (monotonic deque).
    std::vector<double> ahead(frames);
    std::deque<std::size_t> q;
    for (std::size_t j = frames; j-- > 0;) {
        while (!q.empty() && need[q.back()] >= need[j]) q.pop_back();
        q.push_back(j);
        while (q.front() >= j + window) q.pop_front();
        ahead[j] = need[q.front()];
    }

    // Release: the gain may rise only by releaseStep per frame.
    double g = 1.0;
    for (std::size_t i = 0; i < frames; ++i) {
        g = std::min(ahead[i], g + releaseStep);
        ahead[i] = g;
    }

    // Moving average over the window ending at each frame.
    double sum = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        sum += ahead[i];
        if (i >= window) sum -= ahead[i - window];
        const std::size_t count = std::min(i + 1, window);
        // The min() only absorbs the running sum's rounding.
        const double gain = std::min(sum / static_cast<double>(count), need[i]);
        s[2 * i] = static_cast<float>(s[2 * i] * gain);
        s[2 * i + 1] = static_cast<float>(s[2 * i + 1] * gain);
    }
}

}  // namespace gmsynth

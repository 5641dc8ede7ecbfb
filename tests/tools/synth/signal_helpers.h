// Small signal measurements for the synthesiser tests.
#pragma once

#include <cmath>
#include <cstddef>
#include <functional>
#include <vector>

namespace gmsynth::test {

inline std::vector<double> generate(std::size_t n, const std::function<double()>& next) {
    std::vector<double> out(n);
    for (double& v : out) v = next();
    return out;
}

// Magnitude of the DFT of x at `hz` (Goertzel), normalised so a full-scale
// sine at that frequency reads about 1.
inline double toneAmplitude(const std::vector<double>& x, double hz, double rate) {
    const double w = 2.0 * 3.141592653589793 * hz / rate;
    double re = 0.0, im = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        re += x[i] * std::cos(w * static_cast<double>(i));
        im -= x[i] * std::sin(w * static_cast<double>(i));
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(x.size());
}

// Frequency from rising zero crossings, linearly interpolated.
inline double zeroCrossingHz(const std::vector<double>& x, double rate) {
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0 && x[i] >= 0.0) {
            const double at = static_cast<double>(i - 1) + (-x[i - 1]) / (x[i] - x[i - 1]);
            if (first < 0.0) first = at;
            last = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * rate / (last - first);
}

inline double rms(const std::vector<double>& x, std::size_t from = 0) {
    double s = 0.0;
    for (std::size_t i = from; i < x.size(); ++i) s += x[i] * x[i];
    return std::sqrt(s / static_cast<double>(x.size() - from));
}

}  // namespace gmsynth::test

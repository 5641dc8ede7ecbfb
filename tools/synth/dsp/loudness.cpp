// BS.1770 loudness: the two K-weighting biquads are designed for the actual
// sample rate from their analogue prototypes (a high shelf of about +4 dB
// above 1.7 kHz and a second-order high-pass at 38 Hz).
#include "dsp/loudness.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "dsp/filter.h"

namespace gmsynth {

namespace {
constexpr double kPi = 3.141592653589793;

Biquad highShelf(double rate) {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / rate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    Biquad b;
    b.b0 = (vh + vb * k / q + k * k) / a0;
    b.b1 = 2.0 * (k * k - vh) / a0;
    b.b2 = (vh - vb * k / q + k * k) / a0;
    b.a1 = 2.0 * (k * k - 1.0) / a0;
    b.a2 = (1.0 - k / q + k * k) / a0;
    return b;
}

Biquad highPass(double rate) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    Biquad b;
    b.b0 = 1.0;
    b.b1 = -2.0;
    b.b2 = 1.0;
    b.a1 = 2.0 * (k * k - 1.0) / a0;
    b.a2 = (1.0 - k / q + k * k) / a0;
    return b;
}
}  // namespace

double toDecibels(double linear) {
    return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

double samplePeak(const std::vector<float>& s) {
    double peak = 0.0;
    for (float v : s) peak = std::max(peak, static_cast<double>(std::fabs(v)));
    return peak;
}

double integratedLoudness(const std::vector<float>& s, double rate) {
    const std::size_t frames = s.size() / 2;
    // Mean square of the K-weighted signal per 100 ms step, summed over both
    // channels (their weights are 1).
    const std::size_t step = static_cast<std::size_t>(std::lround(rate * 0.1));
    std::vector<double> stepEnergy;
    Biquad shelf[2] = {highShelf(rate), highShelf(rate)};
    Biquad hp[2] = {highPass(rate), highPass(rate)};
    double acc = 0.0;
    std::size_t inStep = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            const double y = hp[c].process(shelf[c].process(s[2 * i + c]));
            acc += y * y;
        }
        if (++inStep == step) {
            stepEnergy.push_back(acc);
            acc = 0.0;
            inStep = 0;
        }
    }
    // Blocks of four steps (400 ms), one step apart.
    std::vector<double> blocks;
    for (std::size_t i = 0; i + 4 <= stepEnergy.size(); ++i) {
        const double e = stepEnergy[i] + stepEnergy[i + 1] + stepEnergy[i + 2] + stepEnergy[i + 3];
        blocks.push_back(e / static_cast<double>(4 * step));
    }
    auto loudness = [](double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); };
    auto gatedMean = [&](double gateLufs) {
        double sum = 0.0;
        std::size_t n = 0;
        for (double z : blocks) {
            if (z > 0.0 && loudness(z) > gateLufs) {
                sum += z;
                ++n;
            }
        }
        return n == 0 ? 0.0 : sum / static_cast<double>(n);
    };
    const double absoluteGated = gatedMean(-70.0);
    if (absoluteGated <= 0.0) return -std::numeric_limits<double>::infinity();
    const double relative = gatedMean(loudness(absoluteGated) - 10.0);
    if (relative <= 0.0) return -std::numeric_limits<double>::infinity();
    return loudness(relative);
}

}  // namespace gmsynth

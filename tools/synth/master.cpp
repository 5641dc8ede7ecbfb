// Mastering to a loudness target under a peak ceiling.
#include "master.h"

#include <cmath>

#include "dsp/limiter.h"
#include "dsp/loudness.h"

namespace gmsynth {

MasterReport master(std::vector<float>& mix, double rate, const MasterTarget& target) {
    const double ceiling = std::pow(10.0, target.ceilingDbfs / 20.0);
    const double measured = integratedLoudness(mix, rate);
    double gainDb = std::isfinite(measured) ? target.loudnessLufs - measured : 0.0;
    std::vector<float> out;
    MasterReport report{};
    for (int pass = 0; pass < 6; ++pass) {
        const double gain = std::pow(10.0, gainDb / 20.0);
        out = mix;
        for (float& s : out) s = static_cast<float>(s * gain);
        limitPeaks(out, rate, LimiterSettings{ceiling, 0.004, 0.12});
        // Rounds the limited peaks' edges; never goes past the ceiling.
        for (float& s : out) s = static_cast<float>(ceiling * softSaturate(s / ceiling, 0.92));
        report = MasterReport{gainDb, integratedLoudness(out, rate), toDecibels(samplePeak(out))};
        if (!std::isfinite(report.loudnessLufs) || std::fabs(report.loudnessLufs - target.loudnessLufs) < 0.05) {
            break;
        }
        gainDb += target.loudnessLufs - report.loudnessLufs;
    }
    mix.swap(out);
    return report;
}

}  // namespace gmsynth

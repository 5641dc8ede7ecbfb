// Effect timing: ramp, the shared random generator, normalised time and fade.
#include "effects/effect_timing.h"

#include <cstdint>

namespace glassmeridian {

namespace {

// The program's one random generator state. Scene construction and the wave
// grid's refresh advance it; the order of draws is part of the picture.
std::uint32_t randomState = 1;

std::uint32_t nextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return (randomState >> 16) & 0x7FFFu;
}

}  // namespace

double ramp(float x, float a, float b) {
    if (!(x > a)) {  // also NaN
        return 0.0;
    }
    if (x >= b) {
        return 1.0;
    }
    return (static_cast<double>(x) - a) / (static_cast<double>(b) - a);
}

double randomUnit() {
    return static_cast<double>(nextRandom() % 10000u) * static_cast<double>(0.0001f);
}

void seedRandom(unsigned int seed) {
    randomState = seed;
}

float normalisedTime(const QUASAR_FLUXCORE::Base& effect) {
    const auto length = static_cast<std::int32_t>(effect.endTime - effect.startTime);
    const double elapsed = static_cast<double>(effect.time) - static_cast<double>(effect.startTime);
    return static_cast<float>(elapsed / static_cast<double>(length));
}

float fadeEnvelope(float t) {
    const double tt = t;
    float fade = 1.0f;
    if (tt >= 0.0 && tt < static_cast<double>(0.1f)) {
        fade = static_cast<float>(tt * static_cast<double>(10.0f));
    }
    if (tt > static_cast<double>(0.9f) && tt <= 1.0) {
        // 9.999998f is the float just under 10 (bits 0x411FFFFE).
        fade = static_cast<float>(
            (1.0 - (tt - static_cast<double>(0.9f)) * static_cast<double>(9.999998f)) * fade);
    }
    return fade;
}

}  // namespace glassmeridian

// Percussive voices: kick, snare, hats, crash and the noise riser.
#include <cmath>
#include <cstddef>

#include "dsp/filter.h"
#include "dsp/oscillator.h"
#include "instruments.h"

namespace gmsynth {

namespace {
constexpr double kTwoPi = 6.283185307179586;

double attackRamp(std::size_t i, double rate, double seconds) {
    return std::fmin(1.0, static_cast<double>(i) / (seconds * rate));
}
}  // namespace

void renderKick(const NoteEvent& n, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise click(noteSeed(n));
    StateVariableFilter clickFilter(FilterMode::LowPass, rate);
    clickFilter.set(3500.0, 0.7);
    double phase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double hz = 46.0 + 115.0 * std::exp(-t / 0.035);
        phase += hz / rate;
        const double body = std::sin(kTwoPi * phase) * std::exp(-t / 0.24);
        const double tick = clickFilter.process(click.next()) * std::exp(-t / 0.003) * 0.4;
        const double y = std::tanh(1.3 * (body + tick)) * attackRamp(i, rate, 0.001) * n.velocity;
        out[2 * i] += static_cast<float>(y);
        out[2 * i + 1] += static_cast<float>(y);
    }
}

void renderSnare(const NoteEvent& n, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise noise(noteSeed(n));
    StateVariableFilter band(FilterMode::BandPass, rate), high(FilterMode::HighPass, rate);
    band.set(2200.0, 0.6);
    high.set(500.0, 0.7);
    Oscillator tone(Wave::Sine, rate);
    tone.setFrequency(188.0);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double rattle = high.process(band.process(noise.next())) * 1.6 * std::exp(-t / 0.13);
        const double y = (rattle + 0.5 * tone.next() * std::exp(-t / 0.06)) * attackRamp(i, rate, 0.001) *
                         n.velocity;
        out[2 * i] += static_cast<float>(y);
        out[2 * i + 1] += static_cast<float>(y);
    }
}

void renderHat(const NoteEvent& n, double decay, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise noise(noteSeed(n));
    StateVariableFilter high(FilterMode::HighPass, rate), band(FilterMode::BandPass, rate);
    high.set(7000.0, 0.7);
    band.set(10500.0, 1.2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double x = high.process(noise.next());
        const double y = (0.7 * x + 0.6 * band.process(x)) * std::exp(-t / decay) *
                         attackRamp(i, rate, 0.0008) * n.velocity;
        out[2 * i] += static_cast<float>(y);
        out[2 * i + 1] += static_cast<float>(y);
    }
}

void renderCrash(const NoteEvent& n, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise noiseL(noteSeed(n)), noiseR(noteSeed(n) ^ 0x5bd1e995u);
    StateVariableFilter highL(FilterMode::HighPass, rate), highR(FilterMode::HighPass, rate);
    StateVariableFilter shimmerL(FilterMode::BandPass, rate), shimmerR(FilterMode::BandPass, rate);
    highL.set(3800.0, 0.7);
    highR.set(3800.0, 0.7);
    shimmerL.set(6200.0, 2.0);
    shimmerR.set(6900.0, 2.0);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double env = std::exp(-t / 0.85) * attackRamp(i, rate, 0.002) * n.velocity;
        const double l = highL.process(noiseL.next());
        const double r = highR.process(noiseR.next());
        out[2 * i] += static_cast<float>((0.6 * l + 0.5 * shimmerL.process(l)) * env);
        out[2 * i + 1] += static_cast<float>((0.6 * r + 0.5 * shimmerR.process(r)) * env);
    }
}

void renderRiser(const NoteEvent& n, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise noise(noteSeed(n));
    StateVariableFilter band(FilterMode::BandPass, rate);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double x = std::fmin(1.0, t / n.length);
        if (i % 32 == 0) band.set(300.0 * std::pow(8000.0 / 300.0, x), 2.5);
        // Rises with the square of its progress, cut short at the end.
        const double tail = t > n.length ? std::exp(-(t - n.length) / 0.01) : 1.0;
        const double y = band.process(noise.next()) * x * x * tail * n.velocity * 1.8;
        const double angle = (0.6 * std::sin(kTwoPi * 0.5 * t) + 1.0) * 0.25 * 3.141592653589793;
        out[2 * i] += static_cast<float>(y * std::cos(angle) * 1.41);
        out[2 * i + 1] += static_cast<float>(y * std::sin(angle) * 1.41);
    }
}

}  // namespace gmsynth

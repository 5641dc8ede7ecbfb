// Tonal voices: pad, bass, arpeggio, lead and the glass bell.
#include <cmath>
#include <cstddef>

#include "dsp/envelope.h"
#include "dsp/filter.h"
#include "dsp/oscillator.h"
#include "instruments.h"

namespace gmsynth {

namespace {
constexpr double kTwoPi = 6.283185307179586;
// Filters follow their automation in blocks of this many samples.
constexpr std::size_t kControlBlock = 32;

double cents(double c) { return std::pow(2.0, c / 1200.0); }
double unitPhase(Noise& rnd) { return 0.5 * (rnd.next() + 1.0); }
}  // namespace

void renderPad(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise rnd(noteSeed(n));
    const double hz = noteHz(n.note);
    // Three detuned saws spread left, centre, right, and a sine for body.
    Oscillator left(Wave::Saw, rate, unitPhase(rnd)), centre(Wave::Saw, rate, unitPhase(rnd)),
        right(Wave::Saw, rate, unitPhase(rnd)), body(Wave::Sine, rate);
    left.setFrequency(hz * cents(-9.0));
    centre.setFrequency(hz);
    right.setFrequency(hz * cents(8.0));
    body.setFrequency(hz);
    const Adsr env({0.9, 1.2, 0.75, 1.5, 2.0}, rate);
    StateVariableFilter lpL(FilterMode::LowPass, rate), lpR(FilterMode::LowPass, rate);
    const double lfoPhase = unitPhase(rnd) * kTwoPi;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        if (i % kControlBlock == 0) {
            const double lfo = 1.0 + 0.12 * std::sin(kTwoPi * 0.23 * t + lfoPhase);
            const double cutoff = a.padCutoff.at(n.start + t) * lfo;
            lpL.set(cutoff, 0.8);
            lpR.set(cutoff * 1.07, 0.8);
        }
        const double level = env.levelAt(t, n.length) * n.velocity * 0.22;
        const double sl = left.next(), sc = centre.next(), sr = right.next(), sb = body.next();
        out[2 * i] += static_cast<float>(lpL.process(0.8 * sl + 0.5 * sc + 0.2 * sr + 0.35 * sb) * level);
        out[2 * i + 1] += static_cast<float>(lpR.process(0.2 * sl + 0.5 * sc + 0.8 * sr + 0.35 * sb) * level);
    }
}

void renderBass(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    const double hz = noteHz(n.note);
    Oscillator saw(Wave::Saw, rate), sub(Wave::Square, rate), sine(Wave::Sine, rate);
    saw.setFrequency(hz);
    sub.setFrequency(hz * 0.5);
    sine.setFrequency(hz);
    const Adsr env({0.004, 0.25, 0.65, 0.08, 2.0}, rate);
    StateVariableFilter lp(FilterMode::LowPass, rate);
    const double drive = std::tanh(1.6);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        if (i % kControlBlock == 0) {
            lp.set(a.bassCutoff.at(n.start + t) + 1600.0 * n.velocity * std::exp(-t / 0.12), 1.0);
        }
        const double x = lp.process(0.6 * saw.next() + 0.25 * sub.next()) + 0.5 * sine.next();
        const double y = std::tanh(1.6 * x) / drive * env.levelAt(t, n.length) * n.velocity * 0.5;
        out[2 * i] += static_cast<float>(y);
        out[2 * i + 1] += static_cast<float>(y);
    }
}

void renderArp(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    const double hz = noteHz(n.note);
    Oscillator pulse(Wave::Square, rate), saw(Wave::Saw, rate), octave(Wave::Sine, rate);
    pulse.setFrequency(hz);
    pulse.setPulseWidth(0.35);
    saw.setFrequency(hz * cents(4.0));
    octave.setFrequency(hz * 2.0);
    const Adsr env({0.002, 0.12, 0.25, 0.1, 2.5}, rate);
    StateVariableFilter lp(FilterMode::LowPass, rate);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        if (i % kControlBlock == 0) {
            lp.set(a.arpCutoff.at(n.start + t) * (0.5 + 1.2 * std::exp(-t / 0.08)), 1.3);
        }
        const double x = lp.process(0.5 * pulse.next() + 0.35 * saw.next()) + 0.12 * octave.next();
        const double y = x * env.levelAt(t, n.length) * n.velocity * 0.45;
        out[2 * i] += static_cast<float>(y);
        out[2 * i + 1] += static_cast<float>(y);
    }
}

void renderLead(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out) {
    const std::size_t frames = out.size() / 2;
    Noise rnd(noteSeed(n));
    const double hz = noteHz(n.note);
    Oscillator sawA(Wave::Saw, rate, unitPhase(rnd)), sawB(Wave::Saw, rate, unitPhase(rnd)),
        low(Wave::Square, rate);
    const Adsr env({0.03, 0.4, 0.7, 0.4, 2.0}, rate);
    StateVariableFilter lpL(FilterMode::LowPass, rate), lpR(FilterMode::LowPass, rate);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double level = env.levelAt(t, n.length);
        if (i % kControlBlock == 0) {
            // Vibrato fades in after the attack, as a player would add it.
            const double depth = 0.22 * std::fmin(1.0, std::fmax(0.0, (t - 0.25) / 0.4));
            const double bend = std::pow(2.0, depth * std::sin(kTwoPi * 5.2 * t) / 12.0);
            sawA.setFrequency(hz * bend * cents(-6.0));
            sawB.setFrequency(hz * bend * cents(6.0));
            low.setFrequency(hz * bend * 0.5);
            const double cutoff = 2200.0 + 2200.0 * level;
            lpL.set(cutoff, 0.9);
            lpR.set(cutoff * 1.05, 0.9);
        }
        const double a1 = sawA.next(), b1 = sawB.next(), l1 = 0.25 * low.next();
        const double gain = level * n.velocity * a.leadLevel.at(n.start + t) * 0.4;
        out[2 * i] += static_cast<float>(lpL.process(0.75 * a1 + 0.35 * b1 + l1) * gain);
        out[2 * i + 1] += static_cast<float>(lpR.process(0.35 * a1 + 0.75 * b1 + l1) * gain);
    }
}

void renderBell(const NoteEvent& n, double rate, std::vector<float>& out) {
    // Slightly stretched partials ring like struck glass.
    static const double kRatio[] = {1.0, 2.0, 3.01, 4.2, 5.43};
    static const double kAmp[] = {1.0, 0.45, 0.25, 0.18, 0.1};
    static const double kDecay[] = {2.8, 1.6, 0.9, 0.6, 0.35};
    static const double kPan[] = {0.0, -0.5, 0.5, -0.3, 0.3};
    const std::size_t frames = out.size() / 2;
    const double hz = noteHz(n.note);
    for (int p = 0; p < 5; ++p) {
        Oscillator osc(Wave::Sine, rate);
        osc.setFrequency(hz * kRatio[p]);
        const double angle = (kPan[p] + 1.0) * 0.25 * 3.141592653589793;
        const double gl = std::cos(angle), gr = std::sin(angle);
        const double decayStep = std::exp(-1.0 / (kDecay[p] * rate));
        double amp = kAmp[p] * n.velocity * 0.25;
        for (std::size_t i = 0; i < frames; ++i) {
            const double attack = std::fmin(1.0, static_cast<double>(i) / (0.003 * rate));
            const double y = osc.next() * amp * attack;
            amp *= decayStep;
            out[2 * i] += static_cast<float>(y * gl);
            out[2 * i + 1] += static_cast<float>(y * gr);
        }
    }
}

}  // namespace gmsynth

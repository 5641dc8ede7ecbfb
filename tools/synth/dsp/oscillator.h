// Oscillators: sine, band-limited saw and square (PolyBLEP), triangle, and a
// deterministic white-noise source.
#pragma once

#include <cstdint>

namespace gmsynth {

enum class Wave { Sine, Saw, Square, Triangle };

class Oscillator {
public:
    Oscillator(Wave wave, double sampleRate, double phase = 0.0);

    void setFrequency(double hz) { increment_ = hz / sampleRate_; }
    void setPulseWidth(double width) { width_ = width; }  // square only, 0..1
    double next();

private:
    Wave wave_;
    double sampleRate_;
    double phase_;
    double increment_ = 0.0;
    double width_ = 0.5;
};

// White noise in [-1, 1) from a 32-bit xorshift generator: the same seed
// gives the same noise on every build.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed != 0 ? seed : 0x9e3779b9u) {}
    double next();

private:
    std::uint32_t state_;
};

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
double noteHz(double midiNote);

}  // namespace gmsynth

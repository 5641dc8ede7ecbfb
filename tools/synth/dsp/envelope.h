// ADSR envelope: linear attack to 1, curved decay to the sustain level, held
// until the note is released, then a curved release to 0. Every segment ends
// exactly at its target.
#pragma once

namespace gmsynth {

struct AdsrShape {
    double attack;   // seconds
    double decay;    // seconds
    double sustain;  // level 0..1
    double release;  // seconds
    double curve = 3.0;  // decay/release bend: 1 linear, larger falls faster at first
};

class Adsr {
public:
    Adsr(const AdsrShape& shape, double sampleRate);

    // Level at `seconds` after note on, for a note released at `heldFor` seconds.
    double levelAt(double seconds, double heldFor) const;
    // Seconds after note on when the level has returned to 0.
    double endTime(double heldFor) const { return heldFor + shape_.release; }

    // Streaming form: one call per sample from note on.
    void release() { releasedAt_ = position_; }
    double next();

private:
    double heldLevel(double seconds) const;

    AdsrShape shape_;
    double sampleRate_;
    long position_ = 0;
    long releasedAt_ = -1;
};

}  // namespace gmsynth

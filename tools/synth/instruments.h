// The instruments: each note is rendered on its own as a stereo signal that
// starts at the note's start time and lasts until its release has died away.
#pragma once

#include <vector>

#include "score.h"

namespace gmsynth {

// How an instrument sits in the mix.
struct MixSlot {
    double gain;
    double delaySend;   // into the ping-pong delay
    double reverbSend;  // into the reverb
};

MixSlot mixSlot(Instrument instrument);

// Seconds after the note's start when the voice has fallen silent.
double voiceLength(const NoteEvent& note);

// The voice, dry, as interleaved stereo float frames from the note's start.
std::vector<float> renderVoice(const NoteEvent& note, const Automation& automation, double sampleRate);

// Tonal and percussive voices (instruments_tonal.cpp, instruments_drums.cpp).
void renderPad(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out);
void renderBass(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out);
void renderArp(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out);
void renderLead(const NoteEvent& n, const Automation& a, double rate, std::vector<float>& out);
void renderBell(const NoteEvent& n, double rate, std::vector<float>& out);
void renderKick(const NoteEvent& n, double rate, std::vector<float>& out);
void renderSnare(const NoteEvent& n, double rate, std::vector<float>& out);
void renderHat(const NoteEvent& n, double decay, double rate, std::vector<float>& out);
void renderCrash(const NoteEvent& n, double rate, std::vector<float>& out);
void renderRiser(const NoteEvent& n, double rate, std::vector<float>& out);

// Seed for a note's noise and phases, from its place in the score, so every
// render of the score is the same.
unsigned noteSeed(const NoteEvent& n);

}  // namespace gmsynth

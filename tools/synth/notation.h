// A compact text notation for writing the score by hand: note names ("C#4",
// "Bb2", middle C = C4 = MIDI 60) and phrases of "name:length" tokens, where
// the length counts steps (sixteenth notes in this piece) and "r" is a rest.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace gmsynth {

struct PhraseNote {
    int step;     // steps from the start of the phrase
    int length;   // steps
    int note;     // MIDI note number
};

// Throws std::invalid_argument naming the token on a malformed name.
int noteNumber(const std::string& name);

struct Phrase {
    std::vector<PhraseNote> notes;
    int steps = 0;  // total length, rests included
};

// Parses a phrase such as "A4:6 F4:2 r:4 D5:4". Throws std::invalid_argument
// naming the token at fault.
Phrase parsePhrase(const std::string& phrase);

}  // namespace gmsynth

// Note names and phrase parsing for the hand-written score.
#include "notation.h"

#include <cctype>
#include <sstream>

namespace gmsynth {

int noteNumber(const std::string& name) {
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    const auto fail = [&] { return std::invalid_argument("bad note name '" + name + "'"); };
    if (name.size() < 2) throw fail();
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G') throw fail();
    int semitone = kSemitone[letter - 'A'];
    std::size_t i = 1;
    if (name[i] == '#') {
        ++semitone;
        ++i;
    } else if (name[i] == 'b') {
        --semitone;
        ++i;
    }
    if (i >= name.size()) throw fail();
    bool negative = false;
    if (name[i] == '-') {
        negative = true;
        ++i;
    }
    if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) throw fail();
    const int octave = (name[i] - '0') * (negative ? -1 : 1);
    return (octave + 1) * 12 + semitone;
}

Phrase parsePhrase(const std::string& phrase) {
    Phrase parsed;
    std::istringstream in(phrase);
    std::string token;
    int step = 0;
    while (in >> token) {
        const std::size_t colon = token.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == token.size()) {
            throw std::invalid_argument("bad phrase token '" + token + "' (want name:steps)");
        }
        const std::string name = token.substr(0, colon);
        const std::string steps = token.substr(colon + 1);
        int length = 0;
        for (char c : steps) {
            if (!std::isdigit(static_cast<unsigned char>(c)) || length > 10000) {
                throw std::invalid_argument("bad step count in phrase token '" + token + "'");
            }
            length = length * 10 + (c - '0');
        }
        if (length == 0) throw std::invalid_argument("zero length in phrase token '" + token + "'");
        if (name != "r") parsed.notes.push_back(PhraseNote{step, length, noteNumber(name)});
        step += length;
    }
    parsed.steps = step;
    return parsed;
}

}  // namespace gmsynth

// The soundtrack of Glass Meridian, in D minor at 96 beats a minute: 19 bars
// of 2.5 s, one chord a bar, written in sixteenth-note steps.
//
// Form (song time; the demo starts the song at 2 s):
//   bars 0-1   0-5 s      opening: closed pad and glass bells, fading in
//   bars 2-5   5-15 s     theme: bass enters, then an arpeggio in eighths
//   bars 6-11  15-30 s    build-up: sixteenth arpeggio, hats, kick from 20 s,
//                         lead, snare, a riser into the peak, filters opening
//   bars 12-13 30-35 s    peak: crash, full drums, brightest filters
//   bars 14-16 35-42.5 s  release: drums thin out, filters close
//   bars 17-18 42.5-47 s  fade to silence on Bbmaj7 and D minor (add 9)
#include <string>
#include <vector>

#include "notation.h"
#include "score.h"

namespace gmsynth {

namespace {

constexpr double kTempo = 96.0;
constexpr double kStep = 60.0 / kTempo / 4.0;  // one sixteenth, seconds
constexpr int kStepsPerBar = 16;
constexpr int kBars = 19;

struct BarHarmony {
    const char* pad;   // the pad's voicing
    const char* bass;  // root for the bass
    const char* arp;   // five tones for the arpeggio, low to high
};

const BarHarmony kHarmony[kBars] = {
    {"D3 A3 D4 F4", "D2", "D4 F4 A4 D5 F5"},    //  0 Dm
    {"Bb2 F3 A3 D4", "Bb1", "Bb3 D4 F4 A4 D5"}, //  1 Bbmaj7
    {"F3 A3 C4 E4", "F2", "C4 F4 A4 C5 E5"},    //  2 Fmaj7
    {"C3 G3 D4 E4", "C2", "C4 E4 G4 D5 E5"},    //  3 Cadd9
    {"D3 A3 D4 F4", "D2", "D4 F4 A4 D5 F5"},    //  4 Dm
    {"Bb2 F3 A3 D4", "Bb1", "Bb3 D4 F4 A4 D5"}, //  5 Bbmaj7
    {"F3 A3 C4 E4", "F2", "C4 F4 A4 C5 E5"},    //  6 Fmaj7
    {"C3 G3 D4 E4", "C2", "C4 E4 G4 D5 E5"},    //  7 Cadd9
    {"D3 A3 D4 F4", "D2", "D4 F4 A4 D5 F5"},    //  8 Dm
    {"Bb2 F3 A3 D4", "Bb1", "Bb3 D4 F4 A4 D5"}, //  9 Bbmaj7
    {"G2 F3 Bb3 D4", "G1", "D4 G4 Bb4 D5 F5"},  // 10 Gm7
    {"A2 E3 A3 C#4", "A1", "C#4 E4 A4 C#5 E5"}, // 11 A (the dominant, into the peak)
    {"D3 A3 D4 F4", "D2", "D4 F4 A4 D5 F5"},    // 12 Dm: the peak
    {"Bb2 F3 A3 D4", "Bb1", "Bb3 D4 F4 A4 D5"}, // 13 Bbmaj7
    {"F3 A3 C4 E4", "F2", "C4 F4 A4 C5 E5"},    // 14 Fmaj7
    {"C3 G3 D4 E4", "C2", "C4 E4 G4 D5 E5"},    // 15 Cadd9
    {"D3 A3 D4 F4", "D2", "D4 F4 A4 D5 F5"},    // 16 Dm
    {"Bb2 F3 A3 D4", "Bb1", "Bb3 D4 F4 A4 D5"}, // 17 Bbmaj7
    {"D3 A3 E4 F4", "D2", "D4 E4 A4 D5 F5"},    // 18 Dm add 9, the last chord
};

// The lead melody from bar 8, one phrase a bar.
const char* const kLead[] = {
    "A4:6 F4:2 D5:6 C5:2",    //  8
    "Bb4:4 A4:4 F4:6 D4:2",   //  9
    "G4:6 Bb4:2 D5:4 F5:4",   // 10
    "E5:8 C#5:4 E5:4",        // 11
    "F5:6 E5:2 D5:4 A4:4",    // 12
    "D5:6 C5:2 Bb4:4 F5:4",   // 13
    "E5:4 F5:4 A5:6 G5:2",    // 14
    "G5:8 E5:4 C5:4",         // 15
    "D5:16",                  // 16
};

// The glass bells of the opening and the ending.
const char* const kBellsOpening[] = {
    "r:4 A5:3 D6:3 F6:6",  // 0
    "r:4 F5:3 Bb5:3 D6:6", // 1
    "r:4 C6:3 A5:3 F5:6",  // 2
    "r:4 E5:3 G5:3 C6:6",  // 3
    "r:4 A5:3 D6:3 F6:6",  // 4
    "r:4 F5:3 Bb5:3 D6:6", // 5
};
const char* const kBellsEnding[] = {
    "r:4 A5:3 D6:3 F6:6",  // 16
    "r:4 F5:3 A5:3 D6:6",  // 17
    "D6:10",               // 18
};

// Arpeggio order over the five chord tones, one entry per sixteenth.
const int kArpOrder[16] = {0, 2, 1, 3, 2, 4, 3, 1, 0, 2, 1, 3, 2, 4, 3, 2};

// How hard the whole band plays in each bar.
const double kBarDynamics[kBars] = {0.32, 0.4, 0.48, 0.52, 0.58, 0.62, 0.66, 0.7, 0.78, 0.82,
                                    0.88, 0.94, 1.0,  1.0,  0.85, 0.78, 0.66, 0.58, 0.52};

class ScoreWriter {
public:
    explicit ScoreWriter(Song& song) : song_(song) {}

    void note(Instrument instrument, int bar, double step, double steps, int midi, double velocity,
              double pan = 0.0) {
        song_.notes.push_back(NoteEvent{instrument, (bar * kStepsPerBar + step) * kStep, steps * kStep,
                                        static_cast<double>(midi), velocity, pan});
    }

    void phrase(Instrument instrument, int bar, const char* text, double velocity, double legato,
                double pan = 0.0) {
        for (const PhraseNote& n : parsePhrase(text).notes) {
            note(instrument, bar, n.step, n.length * legato, n.note, velocity, pan);
        }
    }

    void chord(Instrument instrument, int bar, const char* names, double steps, double velocity) {
        const Phrase tones = parsePhrase(withLengths(names));
        for (const PhraseNote& n : tones.notes) note(instrument, bar, 0, steps, n.note, velocity);
    }

    static std::vector<int> tones(const char* names) {
        std::vector<int> out;
        for (const PhraseNote& n : parsePhrase(withLengths(names)).notes) out.push_back(n.note);
        return out;
    }

private:
    // "D3 A3" -> "D3:1 A3:1", so chord spellings share the phrase parser.
    static std::string withLengths(const char* names) {
        std::string out;
        std::string token;
        for (const char* c = names;; ++c) {
            if (*c == ' ' || *c == '\0') {
                if (!token.empty()) out += token + ":1 ";
                token.clear();
                if (*c == '\0') break;
            } else {
                token += *c;
            }
        }
        return out;
    }

    Song& song_;
};

void writePad(ScoreWriter& w) {
    for (int bar = 0; bar < kBars; ++bar) {
        const bool last = bar == kBars - 1;
        const double steps = last ? 12.0 : kStepsPerBar;  // the last chord dies away with the fade
        w.chord(Instrument::Pad, bar, kHarmony[bar].pad, steps, kBarDynamics[bar]);
    }
}

void writeBass(ScoreWriter& w) {
    // Long notes under the theme, then an eighth-note pulse with octave leaps.
    static const int kPulseOctave[8] = {0, 0, 12, 0, 0, 12, 0, 12};
    static const double kPulseAccent[8] = {1.0, 0.7, 0.8, 0.7, 0.9, 0.7, 0.8, 0.75};
    for (int bar = 2; bar < kBars; ++bar) {
        const int root = ScoreWriter::tones(kHarmony[bar].bass)[0];
        const double v = kBarDynamics[bar];
        if (bar < 4 || bar >= 16) {
            w.note(Instrument::Bass, bar, 0, bar == kBars - 1 ? 10 : 15.5, root, 0.8 * v);
        } else if (bar < 6) {
            w.note(Instrument::Bass, bar, 0, 7.5, root, 0.85 * v);
            w.note(Instrument::Bass, bar, 8, 7.5, root, 0.75 * v);
        } else {
            for (int e = 0; e < 8; ++e) {
                w.note(Instrument::Bass, bar, 2 * e, 1.6, root + kPulseOctave[e], kPulseAccent[e] * v);
            }
        }
    }
}

void writeArpeggio(ScoreWriter& w) {
    for (int bar = 4; bar <= 16; ++bar) {
        const std::vector<int> tones = ScoreWriter::tones(kHarmony[bar].arp);
        const int every = bar < 6 || bar == 16 ? 2 : 1;  // eighths before the build, sixteenths in it
        for (int s = 0; s < kStepsPerBar; s += every) {
            const double accent = s % 4 == 0 ? 1.0 : 0.72;
            const double pan = (s / every) % 2 == 0 ? -0.45 : 0.45;
            w.note(Instrument::Arp, bar, s, 0.8 * every, tones[kArpOrder[s]], accent * kBarDynamics[bar], pan);
        }
    }
}

void writeLeadAndBells(ScoreWriter& w) {
    for (int i = 0; i < 9; ++i) w.phrase(Instrument::Lead, 8 + i, kLead[i], kBarDynamics[8 + i], 0.92);
    for (int i = 0; i < 6; ++i) {
        w.phrase(Instrument::Bell, i, kBellsOpening[i], i < 4 ? 0.8 : 0.6, 1.0, i % 2 == 0 ? -0.3 : 0.3);
    }
    for (int i = 0; i < 3; ++i) w.phrase(Instrument::Bell, 16 + i, kBellsEnding[i], 0.6, 1.0, 0.2);
}

void writeDrums(ScoreWriter& w) {
    // Hats: offbeat eighths, then sixteenths at the height of the build.
    for (int bar = 6; bar <= 15; ++bar) {
        const bool sixteenths = bar >= 10 && bar <= 13;
        const double fade = bar >= 14 ? 0.75 : 1.0;
        for (int s = 0; s < kStepsPerBar; ++s) {
            if (sixteenths) {
                const double v = s % 4 == 2 ? 0.75 : (s % 2 == 0 ? 0.5 : 0.38);
                if (s == 14) w.note(Instrument::OpenHat, bar, s, 1, 0, 0.6, 0.25);
                else w.note(Instrument::Hat, bar, s, 1, 0, v, 0.25);
            } else if (s % 4 == 2 || (bar >= 8 && s % 2 == 0 && s % 4 != 0)) {
                w.note(Instrument::Hat, bar, s, 1, 0, 0.6 * fade, 0.25);
            }
        }
    }
    // Kick: a hint on the downbeats, then four to the bar from 20 s to the release.
    for (int bar = 6; bar <= 14; ++bar) {
        for (int beat = 0; beat < 4; ++beat) {
            const bool hint = bar < 8 || bar == 14;
            if (hint && beat != 0) continue;
            if (bar == 11 && beat == 3) continue;  // room for the snare roll
            w.note(Instrument::Kick, bar, beat * 4, 1, 0, hint ? 0.7 : 0.92);
        }
    }
    // Snare on two and four, and a roll into the peak.
    for (int bar = 10; bar <= 13; ++bar) {
        w.note(Instrument::Snare, bar, 4, 1, 0, 0.8, -0.1);
        if (bar == 11) {
            for (int s = 8; s < 16; ++s) w.note(Instrument::Snare, bar, s, 1, 0, 0.3 + 0.08 * (s - 8), -0.1);
        } else {
            w.note(Instrument::Snare, bar, 12, 1, 0, 0.8, -0.1);
        }
    }
    w.note(Instrument::Crash, 8, 0, 1, 0, 0.5, 0.3);
    w.note(Instrument::Crash, 12, 0, 1, 0, 1.0, -0.2);
    w.note(Instrument::Crash, 14, 0, 1, 0, 0.45, 0.3);
    w.note(Instrument::Riser, 10, 8, 24, 0, 0.9);
}

}  // namespace

Song composeGlassMeridian() {
    Song song;
    song.tempo = kTempo;
    song.length = 48.0;  // 47 s of music and a second of silence
    ScoreWriter w(song);
    writePad(w);
    writeBass(w);
    writeArpeggio(w);
    writeLeadAndBells(w);
    writeDrums(w);

    Automation& a = song.automation;
    a.padCutoff = Lane({{0, 300}, {5, 800}, {14, 1200}, {30, 4200}, {35, 3000}, {42.5, 1000}, {47, 600}});
    a.arpCutoff = Lane({{10, 500}, {15, 900}, {30, 5500}, {37.5, 1800}, {42.5, 900}});
    a.bassCutoff = Lane({{5, 200}, {15, 300}, {30, 900}, {40, 300}});
    a.leadLevel = Lane({{20, 0.55}, {30, 1.0}, {37.5, 0.7}, {42, 0.5}});
    a.reverbSend = Lane({{0, 1.3}, {15, 1.0}, {30, 0.8}, {40, 1.2}});
    // Fades in with the picture, out with it from 42.3 s to silence at 47 s.
    a.master = Lane({{0, 0.0}, {3.0, 1.0}, {42.3, 1.0}, {47.0, 0.0}});
    return song;
}

}  // namespace gmsynth

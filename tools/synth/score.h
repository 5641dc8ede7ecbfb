// The score model: note events for the instruments, and automation lanes that
// move filters and levels over the piece. The piece itself is composed in
// glass_meridian_score.cpp.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace gmsynth {

enum class Instrument { Pad, Bass, Arp, Lead, Bell, Kick, Snare, Hat, OpenHat, Crash, Riser };

struct NoteEvent {
    Instrument instrument;
    double start;     // seconds from the start of the song
    double length;    // seconds held (the release rings on after it)
    double note;      // MIDI note number; drums ignore it
    double velocity;  // 0..1
    double pan = 0.0; // -1 left .. 1 right
};

// A value over time: straight lines between (time, value) points, held flat
// before the first point and after the last.
class Lane {
public:
    Lane() = default;
    Lane(std::vector<std::pair<double, double>> points);
    double at(double seconds) const;

private:
    std::vector<std::pair<double, double>> points_;
};

struct Automation {
    Lane padCutoff;   // Hz
    Lane arpCutoff;   // Hz
    Lane bassCutoff;  // Hz
    Lane leadLevel;   // 0..1
    Lane reverbSend;  // scales every instrument's reverb send
    Lane master;      // 0..1, the master fade
};

struct Song {
    double tempo = 120.0;  // beats per minute
    double length = 0.0;   // seconds rendered
    std::vector<NoteEvent> notes;
    Automation automation;
};

// The soundtrack of Glass Meridian.
Song composeGlassMeridian();

}  // namespace gmsynth

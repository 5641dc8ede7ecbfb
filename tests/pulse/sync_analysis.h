// Analysis of a recorded demo run: where the song stands in the recording,
// when each recorded frame was heard, and how far the picture's demo time
// was from the song being heard at the moments the demo logged.
//
// Signals are mono float at kRate (the mean of the two channels). Frame
// indices are long; times are milliseconds on the CLOCK_MONOTONIC clock.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace gmsync {

constexpr int kRate = 44100;
constexpr double kFramesPerMs = kRate / 1000.0;

std::vector<float> monoFromStereo(const float* interleaved, std::size_t frames);
// A gm-pulse-record recording (interleaved stereo float32) as mono.
std::vector<float> readRecording(const std::string& path);
// An Ogg Vorbis file decoded through the engine's own decoder, as mono.
std::vector<float> decodeSong(const std::string& path);

// Normalised cross-correlation of two equally long stretches: 1 for the same
// shape at any gain; 0 when either is silent.
double correlation(const float* a, const float* b, std::size_t n);
double peak(const float* a, std::size_t n);  // largest magnitude

struct Match {
    long position = 0;         // where the needle's first sample sits in the haystack
    double correlation = 0.0;  // normalised, at that position
};
// The position in [from, to] (clamped to the haystack) at which `needle` best
// matches `haystack`, by normalised cross-correlation (computed with an FFT).
Match locate(const std::vector<float>& haystack, long from, long to, const float* needle, std::size_t length);

// One answer of gm-pulse-record's timing file.
struct TimingSample {
    double requestMs;
    double replyMs;
    double heardFrame;  // recording frame heard when the server answered
};
std::vector<TimingSample> readTiming(std::istream& in);

// When recording frame n is heard: originMs + n / framesPerMs. The sink
// plays at its own pace (a null sink's, with its rounding, a few tens of ppm
// off the monotonic clock), which framesPerMs carries.
struct HeardClock {
    double originMs = 0.0;
    double framesPerMs = kFramesPerMs;
    double spreadMs = 0.0;      // largest distance of an answer used from the fitted line
    std::size_t used = 0;       // answers used: the quickest of each half second
    double roundTripMs = 0.0;   // the longest round trip among those
    bool valid = false;

    double atMs(double frame) const { return originMs + frame / framesPerMs; }
    double frameAt(double ms) const { return (ms - originMs) * framesPerMs; }
    double ratePpm() const { return (framesPerMs / kFramesPerMs - 1.0) * 1e6; }
};
// Fits the heard clock to the answers: the one with the shortest round trip
// in each half second of the run, placed at the midpoint of its request and
// reply; then again without those far off the first line. Answers too
// scattered for a pace give the nominal one (see spreadMs).
HeardClock fitHeardClock(const std::vector<TimingSample>& samples);

// "clock: demo D ms at monotonic M ms" lines of the engine's log, with the
// output latency the engine allowed for when the line gives one.
struct ClockLine {
    double demoMs;
    double monotonicMs;
    double latencyMs;  // negative when the line gives none
};
std::vector<ClockLine> readClockLines(std::istream& in);

// Offsets (demo time less the song time heard, less the song's start) at
// moments of the run.
struct Offset {
    double demoMs;
    double monotonicMs;
    double offsetMs;
    double correlation;  // of the local alignment that placed the song
};
struct OffsetSummary {
    std::size_t count = 0;
    double medianMs = 0.0;
    double worstMs = 0.0;  // the offset farthest from zero, with its sign
    double driftMs = 0.0;  // least-squares change of the offset from the first moment to the last
};
OffsetSummary summarise(const std::vector<Offset>& offsets);

// The song time heard at recording frame `frame`: the `window` frames before
// it are looked for in the song between songFrom and songTo (song frames of
// the window's start). Returns the song frame heard at `frame` and the match.
Match songHeardAt(const std::vector<float>& recording, long frame, long window, const std::vector<float>& song,
                  long songFrom, long songTo);

}  // namespace gmsync

// Judges a recorded demo run: is what was heard the song, whole and without
// gaps, and did the picture's demo time match the song being heard?
//
//   gm-sync-check whole SONG.ogg RECORDING.f32 RECORDING.timing DEMO.log [options]
//   gm-sync-check heard SONG.ogg RECORDING.f32 RECORDING.timing DEMO.log [options]
//   gm-sync-check keys  SONG.ogg RECORDING.f32 RECORDING.timing DEMO.log [options] --event KIND@MS...
//
// RECORDING.* come from gm-pulse-record; DEMO.log is the demo's --log output
// with its "clock: demo D ms at monotonic M ms" lines. The offset at such a
// moment is D less the song's start less the song time heard at M, found by
// aligning the half second of recording heard up to M with the song.
//
// whole: the demo ran from the start without keys. The song's 10 s windows
// must each match the recording (normalised cross-correlation >= --min-ncc)
// at one and the same place, every 1 s window must match there too (no gap,
// no underrun), and every offset must lie within --tolerance ms. A gap that
// a stall of the machine explains (--stalls: one at least as long while that
// stretch played, which holds up the server as much as the demo) is the
// machine's: it is reported, and the picture must then keep to the song
// where it is heard after it.
// heard: the song was heard: each 5 s window of it between the first and the
// last clock line matches the recording somewhere near where the clock puts
// it; the offsets are reported, not judged (for a server that gives no
// latency figure, or whose underruns are not the demo's).
// keys: --event pause@S:D, resume@S:D, seek@S:D (monotonic ms at which
// xdotool started sending the key, and had sent it; on a loaded machine far
// apart). Moments settled after each key must be within --tolerance; while
// paused the recording must be silent, and the song must go on after the
// pause from where it stopped.
//
// Options: --song-start MS (2000), --tolerance MS (10), --max-drift MS (3),
// --min-ncc X (0.9), --stalls FILE (gm-pulse-record's). Prints its figures; exit status 0 when all holds, 1 when
// not, 2 on bad input.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "sync_analysis.h"

using namespace gmsync;

namespace {

struct Event {
    std::string kind;  // pause, resume, seek
    double sentMs;     // xdotool started sending the key
    double doneMs;     // xdotool had sent it
};

struct Options {
    std::string mode, song, recording, timing, log;
    double songStartMs = 2000.0;
    double toleranceMs = 10.0;
    double maxDriftMs = 3.0;
    double minNcc = 0.9;
    std::string stalls;
    std::vector<Event> events;
};

// The machine stood still: a realtime thread woke lateMs after it was due at atMs.
struct Stall {
    double atMs;
    double lateMs;
};

// A quiet sample: below what the song's quietest audible passage reaches and
// far above the exact zeros of silence.
constexpr float kSilent = 1e-4f;
// Alignment windows: long enough to be unambiguous in the song.
constexpr long kMomentWindow = kRate / 2;
constexpr long kEdgeWindow = kRate * 3 / 10;

struct Run {
    Options options;
    std::vector<float> song, recording;
    HeardClock heard;
    std::vector<ClockLine> clock;
    std::vector<double> stoodAtMs;  // where the picture stood while paused: "resumed at X ms" lines
    std::vector<Stall> stalls;
    int failures = 0;

    long frameHeardAt(double monotonicMs) const { return std::lround(heard.frameAt(monotonicMs)); }
    void fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

void Run::fail(const char* format, ...) {
    std::printf("FAIL: ");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    ++failures;
}

bool parse(int argc, char** argv, Options& o) {
    if (argc < 6) return false;
    o.mode = argv[1];
    o.song = argv[2];
    o.recording = argv[3];
    o.timing = argv[4];
    o.log = argv[5];
    if (o.mode != "whole" && o.mode != "keys" && o.mode != "heard") return false;
    for (int i = 6; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const std::string v = argv[++i];
        if (a == "--song-start") o.songStartMs = std::stod(v);
        else if (a == "--tolerance") o.toleranceMs = std::stod(v);
        else if (a == "--max-drift") o.maxDriftMs = std::stod(v);
        else if (a == "--min-ncc") o.minNcc = std::stod(v);
        else if (a == "--stalls") o.stalls = v;
        else if (a == "--event") {
            const auto at = v.find('@');
            if (at == std::string::npos) return false;
            const std::string times = v.substr(at + 1);
            const auto colon = times.find(':');
            const double sent = std::stod(times.substr(0, colon));
            const double done = colon == std::string::npos ? sent : std::stod(times.substr(colon + 1));
            o.events.push_back(Event{v.substr(0, at), sent, done});
        } else {
            return false;
        }
    }
    return true;
}

void load(Run& r) {
    r.song = decodeSong(r.options.song);
    r.recording = readRecording(r.options.recording);
    std::ifstream timing(r.options.timing);
    if (!timing) throw std::runtime_error(r.options.timing + ": cannot open");
    r.heard = fitHeardClock(readTiming(timing));
    if (!r.options.stalls.empty()) {
        std::ifstream stalls(r.options.stalls);
        if (!stalls) throw std::runtime_error(r.options.stalls + ": cannot open");
        long long at = 0, late = 0;
        double longest = 0.0;
        while (stalls >> at >> late) {
            r.stalls.push_back(Stall{at / 1e6, late / 1e6});
            longest = std::max(longest, late / 1e6);
        }
        std::printf("the machine stalled over 10 ms %zu times while recording, the longest %.1f ms\n",
                    r.stalls.size(), longest);
    }
    std::ifstream log(r.options.log);
    if (!log) throw std::runtime_error(r.options.log + ": cannot open");
    r.clock = readClockLines(log);
    log.clear();
    log.seekg(0);
    static const std::regex resumed(R"(resumed at ([0-9.]+) ms)");
    std::string line;
    while (std::getline(log, line)) {
        std::smatch m;
        if (std::regex_search(line, m, resumed)) r.stoodAtMs.push_back(std::stod(m[1].str()));
    }
    std::printf("song %.2f s; recording %.2f s; %zu clock lines in the demo's log\n",
                double(r.song.size()) / kRate, double(r.recording.size()) / kRate, r.clock.size());
    std::printf("heard clock: %zu timing answers with round trips up to %.2f ms, within %.3f ms of the fit; "
                "the sink plays %+.1f ppm off the monotonic clock\n",
                r.heard.used, r.heard.roundTripMs, r.heard.spreadMs, r.heard.ratePpm());
    if (!r.heard.valid) throw std::runtime_error("too few timing answers to place the recording in time");
    std::vector<double> latency;
    for (const ClockLine& c : r.clock) {
        if (c.latencyMs >= 0.0) latency.push_back(c.latencyMs);
    }
    if (!latency.empty()) {
        std::sort(latency.begin(), latency.end());
        std::printf("output latency the engine allowed for: %.1f to %.1f ms, median %.1f ms\n", latency.front(),
                    latency.back(), latency[latency.size() / 2]);
    }
}

// The offset at a clock line, or false when the recording there is not the
// song near where the demo time puts it.
bool offsetAt(Run& r, const ClockLine& c, double searchMs, Offset& out) {
    const long frame = r.frameHeardAt(c.monotonicMs);
    const long expected = std::lround((c.demoMs - r.options.songStartMs) * kFramesPerMs) - kMomentWindow;
    const long search = std::lround(searchMs * kFramesPerMs);
    const Match m = songHeardAt(r.recording, frame, kMomentWindow, r.song, expected - search, expected + search);
    out = Offset{c.demoMs, c.monotonicMs, c.demoMs - r.options.songStartMs - m.position / kFramesPerMs, m.correlation};
    return m.correlation >= r.options.minNcc;
}

// driftFromMs: the drift is judged on the moments from this demo time on,
// once the engine's pace has settled after the song began.
void judgeOffsets(Run& r, const std::vector<Offset>& offsets, std::size_t wanted, double driftFromMs = 0.0) {
    OffsetSummary s = summarise(offsets);
    std::vector<Offset> settled;
    for (const Offset& o : offsets) {
        if (o.demoMs >= driftFromMs) settled.push_back(o);
    }
    const double wholeDrift = s.driftMs;
    s.driftMs = summarise(settled).driftMs;
    std::printf("offsets (demo time less song time heard) at %zu moments: median %+.2f ms, worst %+.2f ms, "
                "drift %+.2f ms from demo %.0f ms on (%+.2f ms over them all)\n",
                s.count, s.medianMs, s.worstMs, s.driftMs, driftFromMs, wholeDrift);
    std::printf("  demo ms: offset ms\n ");
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::printf(" %.0f:%+.1f", offsets[i].demoMs, offsets[i].offsetMs);
        if (i % 8 == 7) std::printf("\n ");
    }
    std::printf("\n");
    if (s.count < wanted) r.fail("only %zu moments to measure at, wanted %zu", s.count, wanted);
    if (std::fabs(s.worstMs) > r.options.toleranceMs) {
        r.fail("the worst offset %+.2f ms is beyond +-%.1f ms", s.worstMs, r.options.toleranceMs);
    }
    if (std::fabs(s.driftMs) > r.options.maxDriftMs) {
        r.fail("the offset drifts by %+.2f ms over the run (at most %.1f)", s.driftMs, r.options.maxDriftMs);
    }
}

void judgeWhole(Run& r) {
    const double lastDemo = r.clock.empty() ? 0.0 : r.clock.back().demoMs;
    // Heard to the end: the song's last 10 s window ends before the demo did.
    const long heardEnd = std::min(static_cast<long>(r.song.size()),
                                   std::lround((lastDemo - r.options.songStartMs - 300.0) * kFramesPerMs));
    const long tenSeconds = 10L * kRate;
    if (heardEnd < 2 * tenSeconds) throw std::runtime_error("the demo's log does not reach 20 s into the song");

    // Where the song starts in the recording, as the clock lines put it.
    long predicted = -1;
    for (const ClockLine& c : r.clock) {
        if (c.demoMs > r.options.songStartMs + 1000.0) {
            predicted = r.frameHeardAt(c.monotonicMs) - std::lround((c.demoMs - r.options.songStartMs) * kFramesPerMs);
            break;
        }
    }
    if (predicted < 0) throw std::runtime_error("no clock line a second into the song");

    // Each 10 s window's place in the recording (recording frame less song
    // frame). A change of place from one window to the next is a gap or an
    // underrun: the demo's fault, unless the machine stood still at least as
    // long while the earlier window played.
    std::vector<long> starts;
    for (long s = 0; s + tenSeconds <= heardEnd; s += tenSeconds) starts.push_back(s);
    if (starts.back() + tenSeconds < heardEnd) starts.push_back(heardEnd - tenSeconds);
    std::vector<long> places(starts.size());
    std::vector<double> correlations(starts.size());
    std::vector<bool> machineGap(starts.size(), false);  // an excused gap lies in this window
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const long s = starts[i];
        const Match m = locate(r.recording, predicted + s - 2 * kRate, predicted + s + 2 * kRate, r.song.data() + s,
                               static_cast<std::size_t>(tenSeconds));
        places[i] = m.position - s;
        correlations[i] = m.correlation;
        std::printf("song %5.1f-%5.1f s: normalised cross-correlation %.4f, heard %+.2f ms from the first window's place\n",
                    double(s) / kRate, double(s + tenSeconds) / kRate, m.correlation,
                    (places[i] - places[0]) / kFramesPerMs);
        if (i == 0 || std::labs(places[i] - places[i - 1]) <= 2) continue;
        const double gapMs = (places[i] - places[i - 1]) / kFramesPerMs;
        const double fromMs = r.heard.atMs(places[i - 1] + starts[i - 1]);
        const double toMs = r.heard.atMs(places[i] + starts[i]);
        const Stall* stall = nullptr;
        for (const Stall& st : r.stalls) {
            if (st.atMs >= fromMs - 1000.0 && st.atMs <= toMs && st.lateMs >= std::fabs(gapMs) - 5.0) stall = &st;
        }
        if (stall) {
            machineGap[i - 1] = true;
            std::printf("a gap of %+.2f ms between song %.1f s and %.1f s: the machine stood still %.1f ms at "
                        "monotonic %.3f ms, which held up the sound server too; the picture must follow it\n",
                        gapMs, double(starts[i - 1]) / kRate, double(starts[i] + tenSeconds) / kRate, stall->lateMs,
                        stall->atMs);
        } else {
            r.fail("song %.1f s on is heard %+.2f ms off the place of the window before it (a gap or underrun, "
                   "with no stall of the machine to explain it)", double(starts[i]) / kRate, gapMs);
        }
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (correlations[i] < r.options.minNcc && !machineGap[i]) {
            r.fail("song %.1f s to %.1f s: the recording matches it only to %.4f", double(starts[i]) / kRate,
                   double(starts[i] + tenSeconds) / kRate, correlations[i]);
        }
    }
    // The window a song frame belongs to: the last one that starts at or before it.
    const auto windowOf = [&](long songFrame) {
        std::size_t i = 0;
        while (i + 1 < starts.size() && starts[i + 1] <= songFrame) ++i;
        return i;
    };
    std::printf("the song's first frame is heard at monotonic %.3f ms (recording frame %ld)\n",
                r.heard.atMs(places[0]), places[0]);
    // Every second at its window's place (either side of an excused gap in
    // its window): a gap anywhere else would move what follows.
    double worst = 1.0;
    long worstAt = 0, checked = 0;
    for (long s = kRate / 2; s + kRate <= heardEnd; s += kRate) {
        if (peak(r.song.data() + s, kRate) < 0.01) continue;  // a quiet second of the song
        ++checked;
        const std::size_t w = windowOf(s);
        double c = correlation(r.recording.data() + places[w] + s, r.song.data() + s, kRate);
        if (machineGap[w] && w + 1 < places.size())
            c = std::max(c, correlation(r.recording.data() + places[w + 1] + s, r.song.data() + s, kRate));
        if (machineGap[w] && c < r.options.minNcc) continue;  // the second the gap fell in
        if (c < worst) {
            worst = c;
            worstAt = s;
        }
    }
    std::printf("%ld one-second windows at their places: the lowest normalised cross-correlation %.4f (song %.1f s)\n",
                checked, worst, double(worstAt) / kRate);
    if (worst < r.options.minNcc) {
        const long place = places[windowOf(worstAt)];
        const Match m = locate(r.recording, place + worstAt - kRate, place + worstAt + kRate, r.song.data() + worstAt, kRate);
        r.fail("song %.1f s is not where it belongs (gap or underrun): heard %+.2f ms off, correlation %.4f there",
               double(worstAt) / kRate, (m.position - place - worstAt) / kFramesPerMs, m.correlation);
    }

    // The song heard at any moment is read off its window's place; within a
    // window that holds an excused gap, from the half second heard up to it.
    std::vector<Offset> offsets;
    for (const ClockLine& c : r.clock) {
        // From a second into the song to the end of what was recorded of it.
        if (c.demoMs < r.options.songStartMs + 1000.0 || c.demoMs > r.options.songStartMs + heardEnd / kFramesPerMs) continue;
        const std::size_t w = windowOf(std::lround((c.demoMs - r.options.songStartMs) * kFramesPerMs));
        if (machineGap[w]) {
            Offset o;
            if (offsetAt(r, c, 200.0, o)) offsets.push_back(o);
            continue;
        }
        const double songMs = (r.heard.frameAt(c.monotonicMs) - static_cast<double>(places[w])) / kFramesPerMs;
        offsets.push_back(Offset{c.demoMs, c.monotonicMs, c.demoMs - r.options.songStartMs - songMs, 1.0});
    }
    // A clock line comes at the first frame a second or more after the last,
    // so slow frames on a loaded machine space them further: three in four
    // seconds still cover the whole demo.
    judgeOffsets(r, offsets, static_cast<std::size_t>(0.75 * heardEnd / kRate), r.options.songStartMs + 6000.0);
}

void judgeHeard(Run& r) {
    double firstMs = -1.0;
    for (const ClockLine& c : r.clock) {
        if (c.demoMs >= r.options.songStartMs) {
            firstMs = c.demoMs;
            break;
        }
    }
    if (firstMs < 0.0) throw std::runtime_error("no clock line after the song's start");
    const double lastMs = r.clock.back().demoMs;
    const long window = 5L * kRate;
    std::vector<Offset> offsets;
    for (const ClockLine& c : r.clock) {
        if (c.demoMs < firstMs + 1000.0) continue;
        Offset o;
        if (offsetAt(r, c, 1000.0, o)) offsets.push_back(o);
    }
    long windows = 0;
    for (double at = firstMs + 1000.0; at + 5000.0 <= lastMs - 300.0; at += 5000.0) {
        // Where the clock lines put that stretch of the song in the recording.
        const ClockLine* near = &r.clock.front();
        for (const ClockLine& c : r.clock) {
            if (std::fabs(c.demoMs - at) < std::fabs(near->demoMs - at)) near = &c;
        }
        const long songFrom = std::lround((at - r.options.songStartMs) * kFramesPerMs);
        const long predicted = r.frameHeardAt(near->monotonicMs) + std::lround((at - near->demoMs) * kFramesPerMs);
        const Match m = locate(r.recording, predicted - 3 * kRate, predicted + 3 * kRate, r.song.data() + songFrom,
                               static_cast<std::size_t>(window));
        ++windows;
        std::printf("song %5.1f-%5.1f s: normalised cross-correlation %.4f, heard %+.1f ms from where the clock put it\n",
                    double(songFrom) / kRate, double(songFrom + window) / kRate, m.correlation,
                    (m.position - predicted) / kFramesPerMs);
        if (m.correlation < r.options.minNcc) {
            r.fail("song %.1f s to %.1f s is not in the recording (correlation %.4f)", double(songFrom) / kRate,
                   double(songFrom + window) / kRate, m.correlation);
        }
    }
    if (windows < 2) r.fail("only %ld windows of the song to look for", windows);
    const OffsetSummary s = summarise(offsets);
    std::printf("offsets (demo time less song time heard), reported, not judged, at %zu moments: median %+.2f ms, "
                "from %+.2f to %+.2f ms\n", s.count, s.medianMs,
                offsets.empty() ? 0.0 : std::min_element(offsets.begin(), offsets.end(), [](const Offset& a, const Offset& b) { return a.offsetMs < b.offsetMs; })->offsetMs,
                offsets.empty() ? 0.0 : std::max_element(offsets.begin(), offsets.end(), [](const Offset& a, const Offset& b) { return a.offsetMs < b.offsetMs; })->offsetMs);
    std::printf("  demo ms: offset ms\n ");
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::printf(" %.0f:%+.1f", offsets[i].demoMs, offsets[i].offsetMs);
        if (i % 8 == 7) std::printf("\n ");
    }
    std::printf("\n");
}

// The frame after the last loud one in [from, to), or `from` when all is quiet.
long quietFrom(const std::vector<float>& x, long from, long to) {
    for (long i = std::min(to, static_cast<long>(x.size())) - 1; i >= from; --i) {
        if (std::fabs(x[static_cast<std::size_t>(i)]) >= kSilent) return i + 1;
    }
    return from;
}

// The first loud frame at or after `from`, or -1.
long loudFrom(const std::vector<float>& x, long from) {
    for (long i = std::max(0L, from); i < static_cast<long>(x.size()); ++i) {
        if (std::fabs(x[static_cast<std::size_t>(i)]) >= kSilent) return i;
    }
    return -1;
}

void judgeKeys(Run& r) {
    const std::vector<Event>& events = r.options.events;
    // Settled: the alignment window holds only audio placed after the key
    // took effect, which comes after the key was sent by the demo's next
    // frame (slow ones on a loaded machine), the mixer's next buffer and the
    // output latency: 0.6 s allows for all of them together.
    const double settleMs = 1000.0 * kMomentWindow / kRate + 600.0;
    std::vector<Offset> offsets;
    std::size_t pauses = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        if (e.kind == "pause") {
            if (i + 1 >= events.size() || events[i + 1].kind != "resume") {
                throw std::runtime_error("a pause event must be followed by a resume event");
            }
            const Event& resume = events[i + 1];
            if (pauses >= r.stoodAtMs.size()) {
                r.fail("the demo's log has no \"resumed at\" line for pause %zu", pauses + 1);
                ++pauses;
                continue;
            }
            const double pictureMs = r.stoodAtMs[pauses++];
            const long pauseFrame = r.frameHeardAt(e.sentMs);
            const long resumeFrame = r.frameHeardAt(resume.sentMs);
            // Quiet from when the sound stopped to the key that resumed it.
            const long stopped = quietFrom(r.recording, pauseFrame - kRate / 5, resumeFrame);
            const double stoppedMs = r.heard.atMs(stopped);
            std::printf("pause: key sent %.1f to %.1f ms, the picture stood at demo %.0f ms, the sound stopped "
                        "%.1f ms after the key was in\n",
                        e.sentMs, e.doneMs, pictureMs, stoppedMs - e.doneMs);
            // A frame to see the key, a buffer to take the pause, the latency
            // to hear it: well under this even on a loaded machine.
            if (stoppedMs < e.sentMs || stoppedMs - e.doneMs > 600.0) {
                r.fail("the sound stopped %.0f ms after the pause key was in", stoppedMs - e.doneMs);
            }
            const long expected = std::lround((pictureMs - r.options.songStartMs) * kFramesPerMs);
            const Match before = songHeardAt(r.recording, stopped, kEdgeWindow, r.song, expected - kRate,
                                             expected + kRate);
            const double leadMs = before.position / kFramesPerMs - (pictureMs - r.options.songStartMs);
            std::printf("  the last song heard before the pause: %+.1f ms from where the picture stood (correlation %.3f)\n",
                        leadMs, before.correlation);
            if (before.correlation < r.options.minNcc || std::fabs(leadMs) > r.options.toleranceMs) {
                r.fail("the sound stopped at song %.0f ms, the picture at %.0f ms (correlation %.3f)",
                       before.position / kFramesPerMs, pictureMs - r.options.songStartMs, before.correlation);
            }
            const long again = loudFrom(r.recording, resumeFrame);
            if (again < 0) {
                r.fail("no sound after the resume key");
                continue;
            }
            const double againMs = r.heard.atMs(again);
            const double resumeMs = resume.doneMs;
            const Match after = locate(r.song, before.position - kRate / 2, before.position + kRate / 2,
                                       r.recording.data() + again, static_cast<std::size_t>(kEdgeWindow));
            std::printf("resume: key in at %.1f ms, sound again %.1f ms after it, from %+.1f ms of where it stopped "
                        "(correlation %.3f)\n",
                        resumeMs, againMs - resumeMs, (after.position - before.position) / kFramesPerMs,
                        after.correlation);
            if (after.correlation < r.options.minNcc ||
                std::labs(after.position - before.position) > std::lround(r.options.toleranceMs * kFramesPerMs)) {
                r.fail("after the pause the song went on %+.1f ms from where it stopped (correlation %.3f)",
                       (after.position - before.position) / kFramesPerMs, after.correlation);
            }
        }
    }
    // From a second of the song heard on (the clock follows what is heard).
    double heardFromMs = -1.0;
    for (const ClockLine& c : r.clock) {
        if (c.demoMs >= r.options.songStartMs) {
            heardFromMs = c.demoMs + 1000.0;
            break;
        }
    }
    bool heardASecond = false;
    for (const ClockLine& c : r.clock) {
        heardASecond = heardASecond || (heardFromMs >= 0.0 && c.demoMs >= heardFromMs);
        if (!heardASecond) continue;
        bool settled = true;
        bool paused = false;
        for (const Event& e : events) {
            if (c.monotonicMs >= e.sentMs - 50.0 && c.monotonicMs <= e.doneMs + settleMs) settled = false;
            if (e.kind == "pause" && c.monotonicMs >= e.sentMs) paused = true;
            if (e.kind == "resume" && c.monotonicMs >= e.doneMs) paused = false;
        }
        if (!settled || paused) continue;
        Offset o;
        if (!offsetAt(r, c, 1500.0, o)) {
            r.fail("at demo %.0f ms the recording is not the song near there (correlation %.3f)", c.demoMs, o.correlation);
            continue;
        }
        offsets.push_back(o);
    }
    // Keys make the offset jump by design; only its spread is judged.
    r.options.maxDriftMs = 1e9;
    judgeOffsets(r, offsets, events.size());
}

}  // namespace

int main(int argc, char** argv) {
    Run r;
    if (!parse(argc, argv, r.options)) {
        std::fprintf(stderr,
                     "usage: gm-sync-check whole|keys|heard SONG.ogg RECORDING.f32 RECORDING.timing DEMO.log "
                     "[--song-start MS] [--tolerance MS] [--max-drift MS] [--min-ncc X] [--event KIND@MS]...\n");
        return 2;
    }
    try {
        load(r);
        if (r.options.mode == "whole") {
            judgeWhole(r);
        } else if (r.options.mode == "heard") {
            judgeHeard(r);
        } else {
            judgeKeys(r);
        }
    } catch (const std::exception& e) {
        std::printf("FAIL: %s\n", e.what());
        return 1;
    }
    if (r.failures > 0) {
        std::printf("%d check(s) failed\n", r.failures);
        return 1;
    }
    std::printf("all checks hold\n");
    return 0;
}

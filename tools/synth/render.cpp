// Mixing the rendered voices into the dry bus and the effect sends.
#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "dsp/delay.h"
#include "dsp/reverb.h"
#include "instruments.h"

namespace gmsynth {

namespace {
struct Buses {
    std::vector<float> dry, delay, reverb;
};

void mixVoice(const NoteEvent& n, const Song& song, double rate, Buses& buses) {
    const std::vector<float> voice = renderVoice(n, song.automation, rate);
    const MixSlot slot = mixSlot(n.instrument);
    // Constant-power pan, unity in the centre.
    const double angle = (std::clamp(n.pan, -1.0, 1.0) + 1.0) * 0.25 * 3.141592653589793;
    const double gl = std::cos(angle) * std::sqrt(2.0) * slot.gain;
    const double gr = std::sin(angle) * std::sqrt(2.0) * slot.gain;
    const double reverbSend = slot.reverbSend * song.automation.reverbSend.at(n.start);
    const std::size_t total = buses.dry.size() / 2;
    const auto first = static_cast<std::size_t>(std::llround(n.start * rate));
    const std::size_t frames = std::min(voice.size() / 2, total > first ? total - first : 0);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t o = 2 * (first + i);
        const double l = voice[2 * i] * gl;
        const double r = voice[2 * i + 1] * gr;
        buses.dry[o] += static_cast<float>(l);
        buses.dry[o + 1] += static_cast<float>(r);
        buses.delay[o] += static_cast<float>(l * slot.delaySend);
        buses.delay[o + 1] += static_cast<float>(r * slot.delaySend);
        buses.reverb[o] += static_cast<float>(l * reverbSend);
        buses.reverb[o + 1] += static_cast<float>(r * reverbSend);
    }
}
}  // namespace

std::vector<float> renderSong(const Song& song, double rate) {
    const auto frames = static_cast<std::size_t>(std::ceil(song.length * rate));
    Buses buses{std::vector<float>(2 * frames, 0.0f), std::vector<float>(2 * frames, 0.0f),
                std::vector<float>(2 * frames, 0.0f)};
    for (const NoteEvent& n : song.notes) mixVoice(n, song, rate, buses);

    // A dotted-eighth ping-pong, feeding the reverb a little as well.
    PingPongDelay delay(rate, 60.0 / song.tempo * 0.75, 0.38, 0.35);
    Reverb reverb(rate, 0.82, 0.35);
    std::vector<float> mix(2 * frames, 0.0f);
    for (std::size_t i = 0; i < frames; ++i) {
        double dl = 0.0, dr = 0.0;
        delay.process(buses.delay[2 * i], buses.delay[2 * i + 1], dl, dr);
        double rl = 0.0, rr = 0.0;
        reverb.process(buses.reverb[2 * i] + 0.3 * dl, buses.reverb[2 * i + 1] + 0.3 * dr, rl, rr);
        // The fade follows the square of the lane: it sounds even to the ear.
        const double m = song.automation.master.at(static_cast<double>(i) / rate);
        const double g = m * m;
        mix[2 * i] = static_cast<float>((buses.dry[2 * i] + 0.7 * dl + rl) * g);
        mix[2 * i + 1] = static_cast<float>((buses.dry[2 * i + 1] + 0.7 * dr + rr) * g);
    }
    return mix;
}

}  // namespace gmsynth

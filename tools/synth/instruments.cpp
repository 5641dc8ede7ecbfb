// Instrument dispatch, voice lengths and the mix table.
#include "instruments.h"

#include <cmath>
#include <cstdint>

namespace gmsynth {

MixSlot mixSlot(Instrument instrument) {
    switch (instrument) {
    case Instrument::Pad: return {0.55, 0.0, 0.45};
    case Instrument::Bass: return {0.80, 0.0, 0.05};
    case Instrument::Arp: return {0.38, 0.35, 0.25};
    case Instrument::Lead: return {0.42, 0.30, 0.35};
    case Instrument::Bell: return {0.30, 0.40, 0.60};
    case Instrument::Kick: return {0.95, 0.0, 0.0};
    case Instrument::Snare: return {0.45, 0.05, 0.35};
    case Instrument::Hat: return {0.22, 0.0, 0.08};
    case Instrument::OpenHat: return {0.20, 0.05, 0.12};
    case Instrument::Crash: return {0.30, 0.0, 0.30};
    case Instrument::Riser: return {0.22, 0.15, 0.40};
    }
    return {0.0, 0.0, 0.0};
}

double voiceLength(const NoteEvent& n) {
    switch (n.instrument) {
    case Instrument::Pad: return n.length + 1.6;
    case Instrument::Bass: return n.length + 0.1;
    case Instrument::Arp: return n.length + 0.15;
    case Instrument::Lead: return n.length + 0.45;
    case Instrument::Bell: return 3.5;
    case Instrument::Kick: return 0.5;
    case Instrument::Snare: return 0.35;
    case Instrument::Hat: return 0.12;
    case Instrument::OpenHat: return 0.45;
    case Instrument::Crash: return 3.0;
    case Instrument::Riser: return n.length + 0.05;
    }
    return n.length;
}

unsigned noteSeed(const NoteEvent& n) {
    std::uint32_t h = 2166136261u;
    auto mixIn = [&h](double v) {
        const auto bits = static_cast<std::uint32_t>(std::llround(v * 1000.0));
        h = (h ^ bits) * 16777619u;
    };
    mixIn(static_cast<double>(static_cast<int>(n.instrument)));
    mixIn(n.start);
    mixIn(n.note);
    return h;
}

std::vector<float> renderVoice(const NoteEvent& n, const Automation& a, double rate) {
    std::vector<float> out(2 * static_cast<std::size_t>(std::ceil(voiceLength(n) * rate)), 0.0f);
    switch (n.instrument) {
    case Instrument::Pad: renderPad(n, a, rate, out); break;
    case Instrument::Bass: renderBass(n, a, rate, out); break;
    case Instrument::Arp: renderArp(n, a, rate, out); break;
    case Instrument::Lead: renderLead(n, a, rate, out); break;
    case Instrument::Bell: renderBell(n, rate, out); break;
    case Instrument::Kick: renderKick(n, rate, out); break;
    case Instrument::Snare: renderSnare(n, rate, out); break;
    case Instrument::Hat: renderHat(n, 0.035, rate, out); break;
    case Instrument::OpenHat: renderHat(n, 0.16, rate, out); break;
    case Instrument::Crash: renderCrash(n, rate, out); break;
    case Instrument::Riser: renderRiser(n, rate, out); break;
    }
    return out;
}

}  // namespace gmsynth

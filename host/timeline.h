// The demo's timeline: its two effects and their intervals, registered in one
// place for the demo and the capture tool.
#pragma once

namespace QUASAR_FLUXCORE {
class Base;
}

namespace glassmeridian {

// Receives one timeline entry: start and end in ms, the entry's name, and the
// effect, whose ownership passes to the receiver.
using TimelineSink = void (*)(unsigned int start, unsigned int end, const char* name,
                              QUASAR_FLUXCORE::Base* effect);

// Creates IntroEffect ("alku", 0 to 2000 ms) and StructureEffect ("rakenne",
// 2000 to 49000 ms), in that order, and hands them to sink.
void registerTimeline(TimelineSink sink);

// The same, handing the effects to the engine's timeline (dmsAddEffect).
void registerTimeline();

}  // namespace glassmeridian

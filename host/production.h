// The production's script: its files, its timeline, its music and its end, and
// the start-up and frame sequences the demo and the capture tool both run.
#pragma once

#include "host/engine_api.h"

namespace QUASAR_FLUXCORE {
class Base;
}

namespace glassmeridian::production {

constexpr const char* kArchive = "data.pak";
constexpr const char* kFont = "fontti.pcx";  // glyph sheet of 32 x 32 pixel cells
constexpr int kFontCell = 32;
// The pictures the effects draw with: the only ones decoded into textures.
constexpr const char* kPictures[] = {"loadpic.jpg", "particle.jpg"};

// The timeline: each effect with its interval in ms, in registration order.
enum class Effect { Intro, Structure };
struct Scene {
    unsigned int startMs;
    unsigned int endMs;
    const char* name;
    Effect effect;
};
// The show's two moments, in ms: the loading picture gives way to the main
// scene and the song begins; the show ends. Everything else that names the
// end (the command line's range, the capture tool's span, the tests) takes it
// from here.
constexpr unsigned int kSceneStartMs = 2000;
constexpr unsigned int kShowEndMs = 49000;

constexpr Scene kTimeline[] = {
    {0, kSceneStartMs, "alku", Effect::Intro},
    {kSceneStartMs, kShowEndMs, "rakenne", Effect::Structure},
};

constexpr int kSong = 1;                       // dmsPlaySong(kSong) plays kSongFile
constexpr const char* kSongFile = "song1.ogg";
constexpr float kSongStartMs = kSceneStartMs;  // the song is cued by the first frame at or after this,
                                               // and its beginning is heard at this demo time
constexpr float kEndMs = kShowEndMs;           // the show ends with the first frame at or after this

// Start-up after the window is open: the font and pictures, the timeline, the effects'
// init, the textures, and last the clock (demo time 0 from here).
void startUp(EngineApi& engine);

// The frame in two halves, so the demo can read its keys between them: first
// the clear colour (black, alpha 0) and the clock, then the clear of colour and
// depth and the effects' drawing.
void advanceClock(EngineApi& engine);
void drawPicture(EngineApi& engine);

// Receives one timeline entry: start and end in ms, the entry's name, and the
// effect, whose ownership passes to the receiver.
using TimelineSink = void (*)(unsigned int start, unsigned int end, const char* name,
                              QUASAR_FLUXCORE::Base* effect);

// Creates the effects of kTimeline, in its order, and hands them to sink.
void registerTimeline(TimelineSink sink);
// The same, handing the effects to the engine's timeline (dmsAddEffect).
void registerTimeline();

}  // namespace glassmeridian::production

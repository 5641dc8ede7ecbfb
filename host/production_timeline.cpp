// The production's effects created from its timeline table (see production.h).
// Apart from the sequences, as only programs that link the effects use it.
#include "effects/intro_effect.h"
#include "effects/structure_effect.h"
#include "fluxcore/dms.h"
#include "host/production.h"

namespace glassmeridian::production {
namespace {

QUASAR_FLUXCORE::Base* create(Effect effect) {
    switch (effect) {
    case Effect::Intro:
        return new IntroEffect();
    case Effect::Structure:
        break;
    }
    // The constructor builds the whole scene from the fixed seed.
    return new StructureEffect();
}

}  // namespace

void registerTimeline(TimelineSink sink) {
    for (const Scene& scene : kTimeline) sink(scene.startMs, scene.endMs, scene.name, create(scene.effect));
}

void registerTimeline() { registerTimeline(&QUASAR_FLUXCORE::dmsAddEffect); }

}  // namespace glassmeridian::production

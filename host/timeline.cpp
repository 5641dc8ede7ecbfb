// Creation and registration of the timeline's effects (see timeline.h).
#include "host/timeline.h"

#include "effects/intro_effect.h"
#include "effects/structure_effect.h"
#include "fluxcore/dms.h"

namespace glassmeridian {

void registerTimeline(TimelineSink sink) {
    sink(0, 2000, "alku", new IntroEffect());
    // The constructor builds the whole scene from the fixed seed.
    sink(2000, 49000, "rakenne", new StructureEffect());
}

void registerTimeline() { registerTimeline(&QUASAR_FLUXCORE::dmsAddEffect); }

}  // namespace glassmeridian

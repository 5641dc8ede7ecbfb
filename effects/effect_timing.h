// Timing shared by the effects: normalised time, fade envelope, ramp and the
// program's one random generator.
#pragma once

#include "fluxcore/base.h"

namespace glassmeridian {

// 0 when x <= a (or x is NaN), 1 when x >= b, else (x - a) / (b - a) in double.
double ramp(float x, float a, float b);

// Next value of the shared generator reduced to [0, 0.9999] in steps of 0.0001.
double randomUnit();

// Sets the shared generator's state (it starts at 1).
void seedRandom(unsigned int seed);

// (time - startTime) / (endTime - startTime) of the effect, rounded to float.
float normalisedTime(const QUASAR_FLUXCORE::Base& effect);

// Rises from 0 to 1 over t in [0, 0.1), falls to about 0 over (0.9, 1]; 1 elsewhere.
float fadeEnvelope(float t);

}  // namespace glassmeridian

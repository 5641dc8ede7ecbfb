// Drawing of one structure cube: a white wire outline and eight camera-facing
// glowing sprites at its corners, plus the two helpers it uses.
#pragma once

#include <fluxcore/math.h>

namespace glassmeridian {

// Draws the outline of the axis-aligned cube of half-size halfSize around the
// current origin with alpha `alpha`, under whatever blend state is set, then
// the corner sprites ("particle.jpg", additive) with alpha k x alpha x 0.8,
// where k falls from 1 to 0 as fadeHeight sinks from -0.7 to -1. Nothing at
// all happens unless halfSize > 0. Leaves texturing off, depth testing on, the
// blend function (770, 1) and the sprite texture bound; never touches blending
// itself.
void drawCube(float fadeHeight, float alpha, float halfSize, float spriteSize);

// One textured quad of edge 2 x size centred on `centre`, spanned by right
// (texture s) and up (texture t), in its own glBegin/glEnd pair.
void drawSprite(QUASAR_FLUXCORE::Vector& centre, QUASAR_FLUXCORE::Vector& right,
                QUASAR_FLUXCORE::Vector& up, float size);

// The eye's x and y axes in the current object coordinates: the first two rows
// of the model-view matrix's 3 x 3 part.
void getCameraAxes(QUASAR_FLUXCORE::Vector& right, QUASAR_FLUXCORE::Vector& up);

}  // namespace glassmeridian

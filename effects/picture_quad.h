// The quad that shows the loading picture over the whole screen.
#pragma once

namespace glassmeridian {

// One GL_QUADS quad from (0, 0) to (1, 1) in the 2D projection, with the
// picture upright: texture t runs from 1 at the bottom edge (y = 0) to 0 at the
// top (y = 1). Draws with the current colour and texture.
void drawPictureQuad();

}  // namespace glassmeridian

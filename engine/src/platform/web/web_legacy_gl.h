// LegacyGl: the OpenGL 1.x fixed-function subset the demo draws with,
// implemented on WebGL 2 for the web build: immediate mode, the matrix
// stacks, attribute push/pop, texturing on/off and wide, smooth lines drawn as
// quads. The C entry points of GL/gl.h and GL/glu.h (engine/web/include) draw
// through the current instance, as GL calls go to the current context.
#pragma once

#include <memory>

namespace fluxcore::platform {

class LegacyGl {
public:
    // Compiles the layer's shader and makes its buffer in the WebGL context
    // current now, and becomes the current layer. Failures (a shader that does
    // not compile or link) are thrown naming the stage.
    LegacyGl();
    ~LegacyGl();  // deletes its GL objects (the context must still be current); no layer is current after
    LegacyGl(const LegacyGl&) = delete;
    LegacyGl& operator=(const LegacyGl&) = delete;

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace fluxcore::platform

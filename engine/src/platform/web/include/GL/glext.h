// The web build's GL/glext.h: WebGL 2 already declares the framebuffer
// operations the engine uses (see GL/gl.h here).
#pragma once

#include <GL/gl.h>

// The OpenGL entry points beyond 1.1 that the portable engine calls (the
// full-screen picture's framebuffer objects): Windows' opengl32.dll exports
// OpenGL 1.1 only, the rest is asked of the current context. This folder
// defines those functions, each calling the context's own.
#pragma once

namespace fluxcore::platform {

// Looks the entry points up in the context current now (wglGetProcAddress).
// One the context lacks stays unset; calling it fails: "OpenGL function
// glBlitFramebuffer is not available in this context".
void loadGlFunctions();
// Forgets them, before the context goes.
void unloadGlFunctions();

}  // namespace fluxcore::platform

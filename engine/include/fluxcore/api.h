// Export and visibility for the fluxcore shared library.
#pragma once

// Everything in engine/include is the library's public surface; the library is
// built with hidden visibility, so only what carries FLUXCORE_API is exported.
#define FLUXCORE_API __attribute__((visibility("default")))

// Copy operations that the engine declares and the executable defines: they stay
// visible so the executable's definitions are what every caller binds to.
#define FLUXCORE_EXTERN_DEFINED __attribute__((visibility("default")))

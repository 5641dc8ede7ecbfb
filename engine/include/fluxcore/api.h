// Export and visibility for the fluxcore shared library (libfluxcore.so on
// Linux, fluxcore.dll on Windows).
#pragma once

#if defined(_WIN32)
// Windows: the DLL's tree defines FLUXCORE_BUILDING_DLL and exports what
// carries FLUXCORE_API; its users import it. The one file of a program that
// defines members of the engine's classes (the copy operations below)
// defines FLUXCORE_DEFINES_ENGINE_COPIES first: those classes are its own
// there, not imported, or the definitions would contradict the import.
#if defined(FLUXCORE_BUILDING_DLL)
#define FLUXCORE_API __declspec(dllexport)
#elif defined(FLUXCORE_DEFINES_ENGINE_COPIES)
#define FLUXCORE_API
#else
#define FLUXCORE_API __declspec(dllimport)
#endif
// Declared by the engine, defined and exported by the executable.
#define FLUXCORE_EXTERN_DEFINED __declspec(dllexport)
#else
// Everything in engine/include is the library's public surface; the library is
// built with hidden visibility, so only what carries FLUXCORE_API is exported.
#define FLUXCORE_API __attribute__((visibility("default")))

// Copy operations that the engine declares and the executable defines: they stay
// visible so the executable's definitions are what every caller binds to.
#define FLUXCORE_EXTERN_DEFINED __attribute__((visibility("default")))
#endif

// printf-style checking of a function's format and arguments. MinGW's C++
// runtime formats with its own C99 printf (%zu, %lld), which GCC checks as
// gnu_printf; its "printf" would check Microsoft's.
#if defined(__MINGW32__)
#define FLUXCORE_PRINTF(formatIndex, firstArgument) __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define FLUXCORE_PRINTF(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#endif

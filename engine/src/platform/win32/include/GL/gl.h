// MinGW's OpenGL header without <windows.h>: it includes all of Windows
// unless WINGDIAPI and APIENTRY are set (and GLU needs CALLBACK), and the
// portable code (engine, curves, effects) must not see Windows' macros.
// These are set exactly as Windows' own headers set them, so a platform file
// that includes <windows.h> as well sees no change.
#pragma once

#ifndef WINAPI
#define WINAPI __stdcall
#endif
#ifndef APIENTRY
#define APIENTRY WINAPI
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#ifndef DECLSPEC_IMPORT
#define DECLSPEC_IMPORT __declspec (dllimport)
#endif
#ifndef WINGDIAPI
#define WINGDIAPI DECLSPEC_IMPORT
#endif

#include_next <GL/gl.h>
// As Mesa's GL/gl.h does on Linux: the constants and prototypes past 1.1
// (GL_MULTISAMPLE, the framebuffer objects) come with it.
#include <GL/glext.h>

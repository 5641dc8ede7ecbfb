// MinGW's OpenGL extension header after this folder's GL/gl.h, so that it
// does not include <windows.h> either (see GL/gl.h).
#pragma once

#include <GL/gl.h>

#include_next <GL/glext.h>

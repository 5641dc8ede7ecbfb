// The OpenGL 1.x surface the engine, the curves and the effects are written
// against, for the web build: WebGL 2 (OpenGL ES 3.0) plus the fixed-function
// subset the demo draws with, which fluxcore's legacy layer
// (engine/src/platform/web_legacy_gl.cpp) implements on shaders. Only the web
// build puts this folder on the include path; the desktop uses the system's
// GL/gl.h.
#pragma once

#include <GLES3/gl3.h>

typedef double GLdouble;
typedef double GLclampd;

// Primitive modes and state that OpenGL ES lacks.
#define GL_QUADS 0x0007
#define GL_QUAD_STRIP 0x0008
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_LINE_SMOOTH 0x0B20
#define GL_LINE_SMOOTH_HINT 0x0C52
#define GL_MULTISAMPLE 0x809D
#define GL_CURRENT_BIT 0x00000001
#define GL_ENABLE_BIT 0x00002000
#define GL_SCISSOR_BIT 0x00080000
#define GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER 0x8CDB
#define GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER 0x8CDC

#ifdef __cplusplus
extern "C" {
#endif

// Immediate mode: GL_TRIANGLES, GL_QUADS, GL_QUAD_STRIP, GL_LINES and
// GL_LINE_STRIP, each vertex taking the current colour and texture coordinate.
void glBegin(GLenum mode);
void glEnd(void);
void glVertex2f(GLfloat x, GLfloat y);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glVertex3fv(const GLfloat* v);
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void glTexCoord2f(GLfloat s, GLfloat t);

// The model-view and projection stacks.
void glMatrixMode(GLenum mode);
void glLoadIdentity(void);
void glPushMatrix(void);
void glPopMatrix(void);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void glScalef(GLfloat x, GLfloat y, GLfloat z);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);

// GL_CURRENT_BIT, GL_ENABLE_BIT and GL_SCISSOR_BIT.
void glPushAttrib(GLbitfield mask);
void glPopAttrib(void);

#ifdef __cplusplus
}
#endif

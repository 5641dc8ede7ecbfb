// The GLU operations the demo uses, for the web build (see GL/gl.h here);
// fluxcore's legacy layer implements them.
#pragma once

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ);
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
// Scales a GL_RGBA / GL_UNSIGNED_BYTE picture bilinearly; any other format
// answers GLU_INVALID_ENUM.
GLint gluScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn, GLsizei wOut,
                    GLsizei hOut, GLenum typeOut, void* dataOut);
const GLubyte* gluErrorString(GLenum error);

#define GLU_INVALID_ENUM 100900

#ifdef __cplusplus
}
#endif

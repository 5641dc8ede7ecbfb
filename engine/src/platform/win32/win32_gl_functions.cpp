// The OpenGL entry points beyond opengl32.dll's 1.1, defined here over the
// current context's own (see win32_gl_functions.h).
#include <windows.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "core/failure.h"
#include "platform/win32/win32_gl_functions.h"

// X(return type, name, pointer type, parameters, arguments), one line each.
#define FLUXCORE_WIN32_GL_FUNCTIONS(X)                                                                              \
    X(void, glBindFramebuffer, PFNGLBINDFRAMEBUFFERPROC, (GLenum target, GLuint name), (target, name))            \
    X(void, glBindRenderbuffer, PFNGLBINDRENDERBUFFERPROC, (GLenum target, GLuint name), (target, name))          \
    X(void, glBlitFramebuffer, PFNGLBLITFRAMEBUFFERPROC,                                                          \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1, GLbitfield mask,   \
       GLenum filter),                                                                                            \
      (sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter))                                                     \
    X(GLenum, glCheckFramebufferStatus, PFNGLCHECKFRAMEBUFFERSTATUSPROC, (GLenum target), (target))               \
    X(void, glDeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC, (GLsizei n, const GLuint* names), (n, names))      \
    X(void, glDeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC, (GLsizei n, const GLuint* names), (n, names))    \
    X(void, glFramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC,                                          \
      (GLenum target, GLenum attachment, GLenum renderbufferTarget, GLuint renderbuffer),                         \
      (target, attachment, renderbufferTarget, renderbuffer))                                                     \
    X(void, glGenFramebuffers, PFNGLGENFRAMEBUFFERSPROC, (GLsizei n, GLuint * names), (n, names))                 \
    X(void, glGenRenderbuffers, PFNGLGENRENDERBUFFERSPROC, (GLsizei n, GLuint * names), (n, names))               \
    X(void, glRenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC,                                                  \
      (GLenum target, GLenum format, GLsizei width, GLsizei height), (target, format, width, height))             \
    X(void, glRenderbufferStorageMultisample, PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC,                            \
      (GLenum target, GLsizei samples, GLenum format, GLsizei width, GLsizei height),                             \
      (target, samples, format, width, height))

namespace fluxcore::platform {

namespace {

struct Functions {
#define FLUXCORE_POINTER(ret, name, type, params, args) type name = nullptr;
    FLUXCORE_WIN32_GL_FUNCTIONS(FLUXCORE_POINTER)
#undef FLUXCORE_POINTER
};

Functions& functions() {
    static Functions table;
    return table;
}

// wglGetProcAddress's answer, null where it has none: some drivers answer
// a small number instead of null.
template <typename Pointer>
Pointer lookUp(const char* name) {
    PROC address = wglGetProcAddress(name);
    const auto value = reinterpret_cast<INT_PTR>(address);
    if (value >= -1 && value <= 3) return nullptr;
    // Through void (*)(), the type GCC lets any function pointer pass as.
    return reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(address));
}

template <typename Pointer>
Pointer available(Pointer pointer, const char* name) {
    if (!pointer) fail("OpenGL function %s is not available in this context", name);
    return pointer;
}

}  // namespace

void loadGlFunctions() {
    Functions& f = functions();
#define FLUXCORE_LOOK_UP(ret, name, type, params, args) f.name = lookUp<type>(#name);
    FLUXCORE_WIN32_GL_FUNCTIONS(FLUXCORE_LOOK_UP)
#undef FLUXCORE_LOOK_UP
}

void unloadGlFunctions() { functions() = Functions(); }

}  // namespace fluxcore::platform

// The entry points the engine links against, as glext.h declares them.
extern "C" {
#define FLUXCORE_DEFINE(ret, name, type, params, args)                                            \
    ret APIENTRY name params {                                                                     \
        return fluxcore::platform::available(fluxcore::platform::functions().name, #name) args;   \
    }
FLUXCORE_WIN32_GL_FUNCTIONS(FLUXCORE_DEFINE)
#undef FLUXCORE_DEFINE
}

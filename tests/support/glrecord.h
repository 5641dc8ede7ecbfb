// Recording GL layer for tests: defines the OpenGL 1.x and GLU entry points the
// project calls, so a test executable linked against it (instead of libGL)
// records every call in order. It also simulates the matrix stacks, so
// glGetFloatv(GL_MODELVIEW_MATRIX) answers what real OpenGL would.
//
// The simulated context behaves like a fresh OpenGL 1.x context on a 640 x 480
// window: identity matrices, only GL_DITHER and GL_MULTISAMPLE enabled, current
// colour white, viewport and scissor box (0, 0, 640, 480). It also has OpenGL
// 3.0's framebuffer objects with renderbuffers (largest 8192, up to 4 samples,
// 256 MiB of storage in all; beyond it GL_OUT_OF_MEMORY and no storage),
// their completeness and glBlitFramebuffer's rules, without pixels. Misuse raises the GL
// error real OpenGL would raise (glGetError answers it) and, as in OpenGL, the
// offending command changes no state: unknown enums, stack overflow and
// underflow, state changes between glBegin and glEnd, glEnd without glBegin,
// glTexSubImage2D outside the texture's image, non-positive line widths.
//
// Recorded arguments: every scalar argument in prototype order, widened to
// double; input arrays expanded in place (glVertex3fv gives 3 numbers,
// glMultMatrixf 16, glDeleteTextures n followed by the n names); pixel data and
// output buffers are not recorded (glTexImage2D gives target, level,
// internalFormat, width, height, border, format, type; glGetFloatv gives pname).
// glGenTextures records n followed by the names it handed out.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace glrecord {

// One recorded call: its GL name and its arguments widened to double. Pointer
// arguments are expanded (glVertex3fv gives 3 numbers, glMultMatrixf 16);
// enums and bitfields appear as their numeric values.
struct Call {
    std::string name;
    std::vector<double> args;
};
bool operator==(const Call& a, const Call& b);
std::ostream& operator<<(std::ostream& out, const Call& call);  // "glVertex3f(1, 2, 3)"

enum class Mode {
    Record,  // keep every call in the trace
    Count,   // only count calls; allocates nothing (for allocation tests and benchmarks)
};

void reset();                          // empties the trace, resets counters, matrices and GL state
void setMode(Mode mode);               // Record by default
// The calls recorded since the last reset, built from the compact internal
// record on demand: a later trace() may move the elements, so hold indices,
// not references, across further GL calls.
const std::vector<Call>& trace();
std::size_t callCount();               // calls since the last reset, in either mode
std::size_t countOf(const std::string& name);  // calls with this name since the last reset, in either mode

// Simulated state, as a real context would hold it.
const float* modelview();              // current model-view matrix, column-major
const float* projection();             // current projection matrix, column-major
bool isEnabled(unsigned int capability);

// --- more simulated state ---------------------------------------------------
const float* currentColour();          // RGBA of the last glColor*
unsigned int boundTexture();           // name bound to GL_TEXTURE_2D
unsigned int pendingError();           // the GL error flag, without clearing it as glGetError does
int modelviewDepth();                  // matrices on the model-view stack (1 when balanced)
int attribDepth();                     // entries on the attribute stack (0 when balanced)
void setWindowSize(int width, int height);  // viewport and scissor box as a fresh context on such a window
void setWindowSamples(int samples);    // the window's GL_SAMPLES (0 after reset)
unsigned int drawFramebuffer();        // framebuffer bound for drawing; 0 is the window's
unsigned int readFramebuffer();        // framebuffer bound for reading

struct TextureInfo {
    bool exists = false;      // generated or bound and not deleted
    int width = 0;            // level 0 image, 0 before glTexImage2D / gluBuild2DMipmaps
    int height = 0;
    int internalFormat = 0;
    int minFilter = 0;        // GL_TEXTURE_MIN_FILTER (GL's default GL_NEAREST_MIPMAP_LINEAR)
    int magFilter = 0;
    int wrapS = 0;
    int wrapT = 0;
};
TextureInfo texture(unsigned int name);  // names up to 4095 are tracked

// --- primitives (Record mode only) ------------------------------------------
// Each glBegin/glEnd pair as drawn: the vertices with the current colour and
// texture coordinate they took and their eye-space position (model-view matrix
// at the moment of the glVertex call applied).
struct Vertex {
    double position[4];  // as passed (w = 1 unless given)
    double eye[4];       // model-view * position
    float colour[4];
    float texCoord[2];
};
struct Primitive {
    unsigned int mode = 0;      // GL_TRIANGLES, GL_QUAD_STRIP, ...
    unsigned int texture = 0;   // bound 2D texture if GL_TEXTURE_2D was enabled, else 0
    bool blend = false;         // GL_BLEND enabled at glBegin
    bool depthTest = false;     // GL_DEPTH_TEST enabled at glBegin
    std::vector<Vertex> vertices;
};
const std::vector<Primitive>& primitives();

// --- trace queries (Record mode) --------------------------------------------
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
std::vector<Call> callsNamed(const std::string& name);
// Index in trace() of the first call with this name at or after `from`; kNotFound if none.
std::size_t indexOf(const std::string& name, std::size_t from = 0);
// Calls with this name at trace indices first <= i < last.
std::size_t countBetween(const std::string& name, std::size_t first, std::size_t last);
// The call names in order, runs of one name folded: "glBegin glVertex3fv*4 glEnd".
std::string summary();

}  // namespace glrecord

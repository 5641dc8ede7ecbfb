// The simulated matrix stacks of the recording GL layer and the GL and GLU
// entry points that change them. Matrices are stored in float, column-major,
// as OpenGL keeps them; products are formed in double and rounded once.
#include <GL/glu.h>

#include <cmath>

#include "glrecord_internal.h"

namespace glrecord::detail {

Mat4 identityMatrix() {
    Mat4 m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

MatrixStack& currentStack() {
    State& s = state();
    switch (s.cur.matrixMode) {
        case GL_PROJECTION: return s.projection;
        case GL_TEXTURE: return s.texture;
        default: return s.modelview;
    }
}

void multiplyCurrent(const double m[16]) {
    Mat4& top = currentStack().top();
    float product[16];
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(top.m[k * 4 + r]) * m[c * 4 + k];
            product[c * 4 + r] = static_cast<float>(sum);
        }
    }
    for (int i = 0; i < 16; ++i) top.m[i] = product[i];
}

void loadCurrent(const double m[16]) {
    Mat4& top = currentStack().top();
    for (int i = 0; i < 16; ++i) top.m[i] = static_cast<float>(m[i]);
}

namespace {

constexpr double kPi = 3.14159265358979323846;

void translate(double x, double y, double z) {
    const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    multiplyCurrent(m);
}

void scale(double x, double y, double z) {
    const double m[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
    multiplyCurrent(m);
}

// Rotation by `degrees` about the axis (x, y, z), normalised first; a zero axis
// leaves the matrix unchanged.
void rotate(double degrees, double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return;
    x /= length;
    y /= length;
    z /= length;
    const double radians = degrees * kPi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), k = 1 - c;
    const double m[16] = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
                          x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
                          x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
                          0,                 0,                 0,                 1};
    multiplyCurrent(m);
}

void ortho(double l, double r, double b, double t, double n, double f) {
    if (l == r || b == t || n == f) return raiseError(GL_INVALID_VALUE);
    const double m[16] = {2 / (r - l), 0, 0, 0,
                          0, 2 / (t - b), 0, 0,
                          0, 0, -2 / (f - n), 0,
                          -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
    multiplyCurrent(m);
}

template <typename T>
void multiplyArray(const T* values) {
    double m[16];
    for (int i = 0; i < 16; ++i) m[i] = static_cast<double>(values[i]);
    multiplyCurrent(m);
}

template <typename T>
void loadArray(const T* values) {
    double m[16];
    for (int i = 0; i < 16; ++i) m[i] = static_cast<double>(values[i]);
    loadCurrent(m);
}

// GLU's helpers work in float, and gluLookAt's product uses them, so the
// simulated matrix carries the same rounding as libGLU's.
void normalise(float v[3]) {
    const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace
}  // namespace glrecord::detail

using namespace glrecord::detail;

extern "C" {

void glMatrixMode(GLenum mode) {
    if (!record(Fn::glMatrixMode, mode)) return;
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE)
        return raiseError(GL_INVALID_ENUM);
    state().cur.matrixMode = mode;
}

void glLoadIdentity(void) {
    if (!record(Fn::glLoadIdentity)) return;
    currentStack().top() = identityMatrix();
}

void glLoadMatrixf(const GLfloat* m) {
    if (recordArray(Fn::glLoadMatrixf, m, 16)) loadArray(m);
}
void glLoadMatrixd(const GLdouble* m) {
    if (recordArray(Fn::glLoadMatrixd, m, 16)) loadArray(m);
}
void glMultMatrixf(const GLfloat* m) {
    if (recordArray(Fn::glMultMatrixf, m, 16)) multiplyArray(m);
}
void glMultMatrixd(const GLdouble* m) {
    if (recordArray(Fn::glMultMatrixd, m, 16)) multiplyArray(m);
}

void glPushMatrix(void) {
    if (!record(Fn::glPushMatrix)) return;
    MatrixStack& stack = currentStack();
    if (stack.depth == stack.maxDepth) return raiseError(GL_STACK_OVERFLOW);
    const Mat4 top = stack.top();
    ++stack.depth;
    stack.top() = top;
}

void glPopMatrix(void) {
    if (!record(Fn::glPopMatrix)) return;
    MatrixStack& stack = currentStack();
    if (stack.depth == 1) return raiseError(GL_STACK_UNDERFLOW);
    --stack.depth;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (record(Fn::glTranslatef, x, y, z)) translate(x, y, z);
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    if (record(Fn::glTranslated, x, y, z)) translate(x, y, z);
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (record(Fn::glRotatef, angle, x, y, z)) rotate(angle, x, y, z);
}
void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    if (record(Fn::glRotated, angle, x, y, z)) rotate(angle, x, y, z);
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (record(Fn::glScalef, x, y, z)) scale(x, y, z);
}
void glScaled(GLdouble x, GLdouble y, GLdouble z) {
    if (record(Fn::glScaled, x, y, z)) scale(x, y, z);
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (record(Fn::glOrtho, l, r, b, t, n, f)) ortho(l, r, b, t, n, f);
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (!record(Fn::glFrustum, l, r, b, t, n, f)) return;
    if (n <= 0 || f <= 0 || l == r || b == t || n == f) return raiseError(GL_INVALID_VALUE);
    const double m[16] = {2 * n / (r - l), 0, 0, 0,
                          0, 2 * n / (t - b), 0, 0,
                          (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1,
                          0, 0, -2 * f * n / (f - n), 0};
    multiplyCurrent(m);
}

void gluOrtho2D(GLdouble l, GLdouble r, GLdouble b, GLdouble t) {
    if (record(Fn::gluOrtho2D, l, r, b, t)) ortho(l, r, b, t, -1, 1);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    if (!record(Fn::gluPerspective, fovy, aspect, zNear, zFar)) return;
    const double radians = fovy / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;  // GLU leaves the matrix alone
    const double cotangent = std::cos(radians) / sine;
    const double m[16] = {cotangent / aspect, 0, 0, 0,
                          0, cotangent, 0, 0,
                          0, 0, -(zFar + zNear) / deltaZ, -1,
                          0, 0, -2 * zNear * zFar / deltaZ, 0};
    multiplyCurrent(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    if (!record(Fn::gluLookAt, eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ)) return;
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    // Rows side, up, -forward: the camera's axes become the eye-space axes.
    const double m[16] = {side[0], up[0], -forward[0], 0,
                          side[1], up[1], -forward[1], 0,
                          side[2], up[2], -forward[2], 0,
                          0,       0,     0,           1};
    multiplyCurrent(m);
    translate(-eyeX, -eyeY, -eyeZ);
}

}  // extern "C"

// Immediate-mode drawing in the recording GL layer: glBegin/glEnd, vertices
// and the current colour, texture coordinate and normal. In Record mode each
// glBegin/glEnd pair is also kept as a Primitive with its eye-space vertices.
#include "glrecord_internal.h"

namespace glrecord::detail {

void emitVertex(double x, double y, double z, double w) {
    State& s = state();
    if (!s.insideBegin || s.mode != Mode::Record || s.primitives.empty()) return;
    const float* m = s.modelview.top().m;
    Vertex v{};
    const double p[4] = {x, y, z, w};
    for (int r = 0; r < 4; ++r) {
        v.position[r] = p[r];
        v.eye[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r] * w;
    }
    for (int i = 0; i < 4; ++i) v.colour[i] = s.cur.colour[i];
    v.texCoord[0] = s.cur.texCoord[0];
    v.texCoord[1] = s.cur.texCoord[1];
    s.primitives.back().vertices.push_back(v);
}

namespace {

void setColour(float r, float g, float b, float a) {
    float* c = state().cur.colour;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

void setTexCoord(float s, float t) {
    float* c = state().cur.texCoord;
    c[0] = s;
    c[1] = t;
    c[2] = 0;
    c[3] = 1;
}

void setNormal(float x, float y, float z) {
    float* n = state().cur.normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

float fromByte(GLubyte v) { return static_cast<float>(v) / 255.0f; }

}  // namespace
}  // namespace glrecord::detail

using namespace glrecord::detail;

extern "C" {

void glBegin(GLenum mode) {
    if (!record(Fn::glBegin, mode)) return;
    if (mode > GL_POLYGON) return raiseError(GL_INVALID_ENUM);
    State& s = state();
    s.insideBegin = true;
    if (s.mode != glrecord::Mode::Record) return;
    glrecord::Primitive primitive;
    primitive.mode = mode;
    primitive.texture = glrecord::isEnabled(GL_TEXTURE_2D) ? s.cur.texture2D : 0;
    primitive.blend = glrecord::isEnabled(GL_BLEND);
    primitive.depthTest = glrecord::isEnabled(GL_DEPTH_TEST);
    s.primitives.push_back(std::move(primitive));
}

void glEnd(void) {
    record(Fn::glEnd);
    State& s = state();
    if (!s.insideBegin) return raiseError(GL_INVALID_OPERATION);
    s.insideBegin = false;
}

void glVertex2f(GLfloat x, GLfloat y) {
    if (record(Fn::glVertex2f, x, y)) emitVertex(x, y, 0, 1);
}
void glVertex2i(GLint x, GLint y) {
    if (record(Fn::glVertex2i, x, y)) emitVertex(x, y, 0, 1);
}
void glVertex2d(GLdouble x, GLdouble y) {
    if (record(Fn::glVertex2d, x, y)) emitVertex(x, y, 0, 1);
}
void glVertex2fv(const GLfloat* v) {
    if (recordArray(Fn::glVertex2fv, v, 2)) emitVertex(v[0], v[1], 0, 1);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (record(Fn::glVertex3f, x, y, z)) emitVertex(x, y, z, 1);
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    if (record(Fn::glVertex3d, x, y, z)) emitVertex(x, y, z, 1);
}
void glVertex3fv(const GLfloat* v) {
    if (recordArray(Fn::glVertex3fv, v, 3)) emitVertex(v[0], v[1], v[2], 1);
}
void glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    if (record(Fn::glVertex4f, x, y, z, w)) emitVertex(x, y, z, w);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    if (record(Fn::glColor3f, r, g, b)) setColour(r, g, b, 1);
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (record(Fn::glColor4f, r, g, b, a)) setColour(r, g, b, a);
}
void glColor3fv(const GLfloat* v) {
    if (recordArray(Fn::glColor3fv, v, 3)) setColour(v[0], v[1], v[2], 1);
}
void glColor4fv(const GLfloat* v) {
    if (recordArray(Fn::glColor4fv, v, 4)) setColour(v[0], v[1], v[2], v[3]);
}
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
    if (record(Fn::glColor3ub, r, g, b)) setColour(fromByte(r), fromByte(g), fromByte(b), 1);
}
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    if (record(Fn::glColor4ub, r, g, b, a))
        setColour(fromByte(r), fromByte(g), fromByte(b), fromByte(a));
}
void glColor4ubv(const GLubyte* v) {
    if (recordArray(Fn::glColor4ubv, v, 4))
        setColour(fromByte(v[0]), fromByte(v[1]), fromByte(v[2]), fromByte(v[3]));
}
void glColor3d(GLdouble r, GLdouble g, GLdouble b) {
    if (record(Fn::glColor3d, r, g, b))
        setColour(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 1);
}
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) {
    if (record(Fn::glColor4d, r, g, b, a))
        setColour(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                  static_cast<float>(a));
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    if (record(Fn::glTexCoord2f, s, t)) setTexCoord(s, t);
}
void glTexCoord2fv(const GLfloat* v) {
    if (recordArray(Fn::glTexCoord2fv, v, 2)) setTexCoord(v[0], v[1]);
}
void glTexCoord2i(GLint s, GLint t) {
    if (record(Fn::glTexCoord2i, s, t)) setTexCoord(static_cast<float>(s), static_cast<float>(t));
}
void glTexCoord2d(GLdouble s, GLdouble t) {
    if (record(Fn::glTexCoord2d, s, t)) setTexCoord(static_cast<float>(s), static_cast<float>(t));
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (record(Fn::glNormal3f, x, y, z)) setNormal(x, y, z);
}
void glNormal3fv(const GLfloat* v) {
    if (recordArray(Fn::glNormal3fv, v, 3)) setNormal(v[0], v[1], v[2]);
}

}  // extern "C"

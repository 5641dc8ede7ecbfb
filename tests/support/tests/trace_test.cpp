// The recorded trace: argument widening and expansion, order, the queries over
// the trace, and the primitives kept per glBegin/glEnd pair.
#include <sstream>

#include "fixture.h"

namespace {

using glrecord::Call;

class TraceTest : public GlRecordTest {};

TEST_F(TraceTest, ArgumentsAreWidenedAndArraysExpanded) {
    const GLfloat v3[3] = {1.5f, -2, 3};
    const GLfloat c4[4] = {0.25f, 0.5f, 0.75f, 1};
    const GLubyte bytes[4] = {255, 0, 128, 1};
    glBegin(GL_TRIANGLES);
    glVertex3fv(v3);
    glColor4fv(c4);
    glColor4ubv(bytes);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    GLfloat m[16];
    for (int i = 0; i < 16; ++i) m[i] = float(i);
    glMultMatrixf(m);
    const unsigned char pixels[2 * 2 * 4] = {};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);

    const std::vector<Call>& calls = glrecord::trace();
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls[0], (Call{"glBegin", {GL_TRIANGLES}}));
    EXPECT_EQ(calls[1], (Call{"glVertex3fv", {1.5, -2, 3}}));
    EXPECT_EQ(calls[2], (Call{"glColor4fv", {0.25, 0.5, 0.75, 1}}));
    EXPECT_EQ(calls[3], (Call{"glColor4ubv", {255, 0, 128, 1}}));
    EXPECT_EQ(calls[4], (Call{"glEnd", {}}));
    EXPECT_EQ(calls[5], (Call{"glBlendFunc", {770, 1}}));
    ASSERT_EQ(calls[6].args.size(), 16u);
    EXPECT_EQ(calls[6].args[15], 15.0);
    EXPECT_EQ(calls[7], (Call{"glTexImage2D", {GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA,
                                               GL_UNSIGNED_BYTE}}));
    EXPECT_EQ(calls[8], (Call{"glGetFloatv", {GL_MODELVIEW_MATRIX}}));
}

TEST_F(TraceTest, FloatArgumentsKeepTheirSinglePrecisionValue) {
    glColor4f(0.9f, 0.1f, 0, 1);
    const Call& call = glrecord::trace().at(0);
    EXPECT_EQ(call.args[0], double(0.9f));  // the float's exact value, not 0.9
    EXPECT_NE(call.args[0], 0.9);
}

TEST_F(TraceTest, QueriesFindCallsByNameAndPosition) {
    glPushMatrix();
    glBegin(GL_LINES);
    glVertex2f(0, 0);
    glVertex2f(1, 1);
    glEnd();
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) glVertex2i(i, i);
    glEnd();
    glPopMatrix();

    EXPECT_EQ(glrecord::summary(),
              "glPushMatrix glBegin glVertex2f*2 glEnd glBegin glVertex2i*4 glEnd glPopMatrix");
    EXPECT_EQ(glrecord::callCount(), 12u);
    EXPECT_EQ(glrecord::countOf("glBegin"), 2u);
    EXPECT_EQ(glrecord::countOf("glVertex2i"), 4u);
    EXPECT_EQ(glrecord::countOf("glNoSuchCall"), 0u);

    const std::size_t second = glrecord::indexOf("glBegin", glrecord::indexOf("glBegin") + 1);
    ASSERT_EQ(second, 5u);
    EXPECT_EQ(glrecord::countBetween("glVertex2i", second, glrecord::indexOf("glEnd", second)), 4u);
    EXPECT_EQ(glrecord::countBetween("glVertex2f", second, 100), 0u);
    EXPECT_EQ(glrecord::indexOf("glClear"), glrecord::kNotFound);

    const std::vector<Call> begins = glrecord::callsNamed("glBegin");
    ASSERT_EQ(begins.size(), 2u);
    EXPECT_EQ(begins[1].args.at(0), double(GL_QUADS));
}

TEST_F(TraceTest, TraceGrowsBetweenReadsAndResetEmptiesIt) {
    glFlush();
    ASSERT_EQ(glrecord::trace().size(), 1u);
    glFinish();
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(glrecord::trace().size(), 3u);
    EXPECT_EQ(glrecord::trace()[2], (Call{"glClear", {GL_COLOR_BUFFER_BIT}}));

    glrecord::reset();
    EXPECT_TRUE(glrecord::trace().empty());
    EXPECT_EQ(glrecord::callCount(), 0u);
    EXPECT_EQ(glrecord::countOf("glFlush"), 0u);
    EXPECT_EQ(glrecord::summary(), "");
}

TEST_F(TraceTest, CallsPrintReadably) {
    std::ostringstream out;
    out << Call{"glVertex3f", {1, 2.5, -3}} << ' ' << Call{"glEnd", {}};
    EXPECT_EQ(out.str(), "glVertex3f(1, 2.5, -3) glEnd()");
}

TEST_F(TraceTest, PrimitivesKeepColourTextureAndEyePosition) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glEnable(GL_BLEND);
    glTranslatef(0, 0, -5);

    glColor4f(1, 0, 0, 0.5f);
    glBegin(GL_TRIANGLES);  // texturing still off
    glTexCoord2f(0.25f, 0.75f);
    glVertex3f(1, 2, 3);
    glColor3ub(0, 255, 0);
    glVertex2f(4, 5);
    glVertex4f(2, 2, 2, 2);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBegin(GL_POINTS);
    glEnd();

    const auto& prims = glrecord::primitives();
    ASSERT_EQ(prims.size(), 2u);
    const glrecord::Primitive& tri = prims[0];
    EXPECT_EQ(tri.mode, unsigned(GL_TRIANGLES));
    EXPECT_EQ(tri.texture, 0u);
    EXPECT_TRUE(tri.blend);
    EXPECT_FALSE(tri.depthTest);
    ASSERT_EQ(tri.vertices.size(), 3u);
    EXPECT_EQ(tri.vertices[0].colour[0], 1.0f);
    EXPECT_EQ(tri.vertices[0].colour[3], 0.5f);
    EXPECT_EQ(tri.vertices[0].texCoord[1], 0.75f);
    EXPECT_DOUBLE_EQ(tri.vertices[0].eye[2], -2.0);
    EXPECT_EQ(tri.vertices[1].colour[1], 1.0f);
    EXPECT_EQ(tri.vertices[1].colour[3], 1.0f);  // glColor3ub sets alpha to 1
    EXPECT_DOUBLE_EQ(tri.vertices[1].eye[2], -5.0);
    EXPECT_DOUBLE_EQ(tri.vertices[2].eye[2], 2 - 10.0);  // w scales the translation
    EXPECT_DOUBLE_EQ(tri.vertices[2].eye[3], 2.0);

    EXPECT_EQ(prims[1].texture, name);
    EXPECT_FALSE(prims[1].blend);
    EXPECT_TRUE(prims[1].vertices.empty());
}

TEST_F(TraceTest, GeneratedAndDeletedNamesAreRecorded) {
    GLuint names[3];
    glGenTextures(3, names);
    glDeleteTextures(2, names + 1);
    EXPECT_EQ(glrecord::trace()[0], (Call{"glGenTextures", {3, 1, 2, 3}}));
    EXPECT_EQ(glrecord::trace()[1], (Call{"glDeleteTextures", {2, 2, 3}}));
}

}  // namespace

// The simulated matrix stacks against hand-worked OpenGL and GLU matrices.
#include <cmath>

#include "fixture.h"

namespace {

using glrecord::modelview;
using glrecord::projection;

class MatrixTest : public GlRecordTest {};

TEST_F(MatrixTest, RotationTurnsCounterClockwiseAboutANormalisedAxis) {
    glRotatef(90, 0, 0, 1);
    EXPECT_POINT_NEAR(apply(modelview(), 1, 0, 0), 0, 1, 0);
    EXPECT_POINT_NEAR(apply(modelview(), 0, 1, 0), -1, 0, 0);

    // A longer axis names the same rotation.
    glLoadIdentity();
    glRotatef(90, 0, 0, 5);
    EXPECT_POINT_NEAR(apply(modelview(), 1, 0, 0), 0, 1, 0);

    // 120 degrees about the diagonal cycles the axes x -> y -> z.
    glLoadIdentity();
    glRotatef(120, 2, 2, 2);
    EXPECT_POINT_NEAR(apply(modelview(), 1, 0, 0), 0, 1, 0);
    EXPECT_POINT_NEAR(apply(modelview(), 0, 1, 0), 0, 0, 1);
}

TEST_F(MatrixTest, LaterTransformsApplyFirstToVertices) {
    glTranslatef(1, 0, 0);
    glRotatef(90, 0, 0, 1);
    glScalef(2, 2, 2);
    // (1,0,0) scaled to (2,0,0), turned to (0,2,0), moved to (1,2,0).
    EXPECT_POINT_NEAR(apply(modelview(), 1, 0, 0), 1, 2, 0);

    glLoadIdentity();
    glScaled(2, 2, 2);
    glTranslated(1, 0, 0);
    EXPECT_POINT_NEAR(apply(modelview(), 0, 0, 0), 2, 0, 0);
}

TEST_F(MatrixTest, LookAtBuildsTheCameraBasisAsGluDoes) {
    gluLookAt(0, 0, -7, -0.7, 0, 0, 0, 1, 0);
    const float* m = modelview();
    const double len = std::sqrt(0.49 + 49.0);
    const double fx = -0.7 / len, fz = 7 / len;  // forward, normalised
    // Column 0 .. 2: rows side = forward x up, up, -forward.
    const double expected[16] = {-fz, 0, -fx, 0,
                                 0, 1, 0, 0,
                                 fx, 0, -fz, 0,
                                 7 * fx, 0, -7 * fz, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-6) << "element " << i;
    EXPECT_NEAR(m[12], -0.696526, 1e-6);
    EXPECT_NEAR(m[14], -6.965260, 1e-6);

    // The eye lands on the origin and the centre straight ahead on -z.
    EXPECT_POINT_NEAR(apply(m, 0, 0, -7), 0, 0, 0);
    EXPECT_POINT_NEAR(apply(m, -0.7, 0, 0), 0, 0, -len);
}

TEST_F(MatrixTest, LookAtWithTiltedTargetKeepsAnOrthonormalBasis) {
    gluLookAt(0, 0, -8.5, -0.7, -0.2, 0, 0, 1, 0);
    const float* m = modelview();
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            double dot = 0;
            for (int k = 0; k < 3; ++k) dot += double(m[k * 4 + a]) * m[k * 4 + b];
            EXPECT_NEAR(dot, a == b ? 1 : 0, 1e-6) << "rows " << a << ", " << b;
        }
    }
    EXPECT_POINT_NEAR(apply(m, 0, 0, -8.5), 0, 0, 0);
    const auto centre = apply(m, -0.7, -0.2, 0);
    EXPECT_NEAR(centre[0], 0, 1e-5);
    EXPECT_NEAR(centre[1], 0, 1e-5);
    EXPECT_LT(centre[2], 0);
}

TEST_F(MatrixTest, ProjectionsMatchTheirDefinitions) {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(90, 2, 1, 3);
    const float perspective[16] = {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -1, 0, 0, -3, 0};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(projection()[i], perspective[i], 1e-6) << i;

    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    const float frustum[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -11.0f / 9, -1, 0, 0, -20.0f / 9, 0};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(projection()[i], frustum[i], 1e-6) << i;

    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    EXPECT_POINT_NEAR(apply(projection(), 0, 0, 0), -1, -1, 0);
    EXPECT_POINT_NEAR(apply(projection(), 1, 1, 0), 1, 1, 0);

    glLoadIdentity();
    glOrtho(0, 4, 0, 2, 1, 3);
    EXPECT_POINT_NEAR(apply(projection(), 4, 2, -3), 1, 1, 1);

    // All of it went to the projection stack.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(modelview()[i], i % 5 == 0 ? 1.0f : 0.0f);
}

TEST_F(MatrixTest, DegenerateProjectionsAreRejectedLikeOpenGL) {
    glMatrixMode(GL_PROJECTION);
    glFrustum(-1, 1, -1, 1, 0, 10);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    glOrtho(1, 1, 0, 1, -1, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    gluPerspective(60, 0, 1, 10);  // GLU ignores it without an error
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(projection()[i], i % 5 == 0 ? 1.0f : 0.0f);
}

TEST_F(MatrixTest, PushAndPopRestoreTheMatrixAndReportMisuse) {
    glTranslatef(1, 2, 3);
    glPushMatrix();
    EXPECT_EQ(glrecord::modelviewDepth(), 2);
    glRotatef(45, 1, 0, 0);
    glScalef(3, 3, 3);
    glPopMatrix();
    EXPECT_EQ(glrecord::modelviewDepth(), 1);
    EXPECT_POINT_NEAR(apply(modelview(), 0, 0, 0), 1, 2, 3);
    EXPECT_POINT_NEAR(apply(modelview(), 1, 0, 0), 2, 2, 3);

    glPopMatrix();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    EXPECT_POINT_NEAR(apply(modelview(), 0, 0, 0), 1, 2, 3);

    for (int i = 1; i < 32; ++i) glPushMatrix();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPushMatrix();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_OVERFLOW));
    EXPECT_EQ(glrecord::modelviewDepth(), 32);
}

TEST_F(MatrixTest, ProjectionStackIsSeparateFromModelview) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glScalef(2, 2, 2);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();  // the model-view stack holds only one matrix
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2);
    EXPECT_FLOAT_EQ(projection()[0], 2);
}

TEST_F(MatrixTest, QueriesAnswerTheSimulatedMatrices) {
    const GLfloat loaded[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    glLoadMatrixf(loaded);
    const GLdouble turn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glMultMatrixd(turn);
    GLfloat asFloat[16];
    GLdouble asDouble[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, asFloat);
    glGetDoublev(GL_MODELVIEW_MATRIX, asDouble);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(asFloat[i], modelview()[i]);
        EXPECT_EQ(asDouble[i], double(modelview()[i]));
    }
    EXPECT_POINT_NEAR(apply(asFloat, 1, 0, 0), 5, 7, 7);

    GLint mode = 0;
    glMatrixMode(GL_PROJECTION);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    glMatrixMode(GL_LINES);  // not a matrix mode
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
}

}  // namespace

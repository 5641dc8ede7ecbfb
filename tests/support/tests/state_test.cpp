// The simulated server state: capabilities, the attribute stack, the rules of
// glBegin/glEnd, errors and the fixed answers of glGet* and glGetString.
#include <climits>
#include <cstring>

#include "fixture.h"

namespace {

using glrecord::isEnabled;

class StateTest : public GlRecordTest {};

TEST_F(StateTest, FreshContextHasOpenGLDefaults) {
    EXPECT_TRUE(isEnabled(GL_DITHER));
    EXPECT_TRUE(isEnabled(GL_MULTISAMPLE));
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(isEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glrecord::currentColour()[0], 1.0f);
    EXPECT_EQ(glrecord::currentColour()[3], 1.0f);
    GLint box[4];
    glGetIntegerv(GL_VIEWPORT, box);
    EXPECT_EQ(box[2], 640);
    EXPECT_EQ(box[3], 480);
    glrecord::setWindowSize(800, 600);
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[2], 800);
    EXPECT_EQ(box[3], 600);
    GLint blend[2];
    glGetIntegerv(GL_BLEND_SRC, &blend[0]);
    glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(blend[0], GL_ONE);
    EXPECT_EQ(blend[1], GL_ZERO);
}

TEST_F(StateTest, EnableDisableAndQueriesAgree) {
    glEnable(GL_BLEND);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_MULTISAMPLE);
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_EQ(glIsEnabled(GL_LINE_SMOOTH), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_MULTISAMPLE), GL_FALSE);
    GLboolean on = GL_FALSE;
    glGetBooleanv(GL_BLEND, &on);
    EXPECT_EQ(on, GL_TRUE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(StateTest, EngineCodesPassedToglEnableAreInvalid) {
    // 0, 2, 3, 20, 22 are engine codes, not capabilities; OpenGL rejects them.
    for (GLenum code : {0u, 2u, 3u, 20u, 22u}) {
        glEnable(code);
        EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM)) << code;
        EXPECT_FALSE(isEnabled(code));
    }
}

TEST_F(StateTest, PushAttribEnableAndCurrentBitsRestoreSwitchesAndColour) {
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glPushAttrib(GL_ENABLE_BIT);
    glPushAttrib(GL_CURRENT_BIT);
    EXPECT_EQ(glrecord::attribDepth(), 2);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glLineWidth(4);
    glPopAttrib();
    glPopAttrib();

    EXPECT_EQ(glrecord::attribDepth(), 0);
    EXPECT_TRUE(isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.1f);
    EXPECT_EQ(colour[3], 0.4f);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 4.0f);  // not in either group
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(StateTest, EachAttribBitRestoresOnlyItsGroup) {
    glPushAttrib(GL_CURRENT_BIT);
    glEnable(GL_BLEND);
    glColor3f(0, 0, 1);
    glPopAttrib();
    EXPECT_TRUE(isEnabled(GL_BLEND));  // enables are not current state
    EXPECT_EQ(glrecord::currentColour()[2], 1.0f);
    EXPECT_EQ(glrecord::currentColour()[0], 1.0f);

    glPushAttrib(GL_ENABLE_BIT);
    glColor3f(0, 1, 0);
    glDisable(GL_BLEND);
    glPopAttrib();
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_EQ(glrecord::currentColour()[0], 0.0f);  // colour is not an enable

    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LINE_BIT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glLineWidth(3);
    glEnable(GL_TEXTURE_2D);
    glPopAttrib();
    GLint src = 0, mask = 0;
    GLfloat width = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_DEPTH_WRITEMASK, &mask);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(mask, GL_TRUE);
    EXPECT_EQ(width, 1.0f);
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(isEnabled(GL_TEXTURE_2D));  // belongs to neither group
}

TEST_F(StateTest, AttribStackReportsOverflowAndUnderflow) {
    glPopAttrib();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    for (int i = 0; i < 16; ++i) glPushAttrib(GL_ENABLE_BIT);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPushAttrib(GL_ENABLE_BIT);
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_OVERFLOW));
    EXPECT_EQ(glrecord::attribDepth(), 16);
}

TEST_F(StateTest, StateChangesBetweenBeginAndEndAreIgnoredWithAnError) {
    glBegin(GL_QUADS);
    glColor3f(0.5f, 0.5f, 0.5f);  // allowed
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 7);
    glPushMatrix();
    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_EQ(glrecord::boundTexture(), 0u);
    EXPECT_EQ(glrecord::modelviewDepth(), 1);
    EXPECT_EQ(glrecord::currentColour()[0], 0.5f);
    EXPECT_EQ(glrecord::countOf("glEnable"), 1u);  // still recorded

    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    glBegin(GL_POLYGON + 1);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    glEnd();  // that glBegin did not open a primitive
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
}

TEST_F(StateTest, ErrorFlagKeepsTheFirstErrorUntilRead) {
    glLineWidth(0);
    glBlendFunc(GL_SRC_ALPHA, 2);
    EXPECT_EQ(glrecord::pendingError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint src = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_ONE);  // the bad glBlendFunc changed nothing
    glGetIntegerv(0x1234, &src);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
}

TEST_F(StateTest, HintsAndRasterSettingsAreQueryable) {
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glShadeModel(GL_FLAT);
    glDepthFunc(GL_LEQUAL);
    glClearColor(2, 0.5f, -1, 1);
    GLint hint = 0, shade = 0, depth = 0;
    glGetIntegerv(GL_LINE_SMOOTH_HINT, &hint);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_DEPTH_FUNC, &depth);
    EXPECT_EQ(hint, GL_NICEST);
    EXPECT_EQ(shade, GL_FLAT);
    EXPECT_EQ(depth, GL_LEQUAL);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);  // clamped
    EXPECT_EQ(clear[2], 0.0f);
    glHint(GL_BLEND, GL_NICEST);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));

    GLint maxSize = 0, colour[4];
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    EXPECT_EQ(maxSize, 8192);
    glColor4f(1, 0, 0.5f, 0);
    glGetIntegerv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], INT_MAX);  // colours map 1.0 to the largest integer
    EXPECT_EQ(colour[1], 0);
}

TEST_F(StateTest, StringsIdentifyTheRecordingLayer) {
    EXPECT_STREQ(reinterpret_cast<const char*>(glGetString(GL_RENDERER)), "glrecord");
    EXPECT_STREQ(reinterpret_cast<const char*>(glGetString(GL_VERSION)), "2.1 glrecord");
    EXPECT_NE(std::strstr(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)),
                          "GL_ARB_texture_non_power_of_two"),
              nullptr);
    EXPECT_EQ(glGetString(GL_BLEND), nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    EXPECT_STREQ(reinterpret_cast<const char*>(gluErrorString(GL_STACK_UNDERFLOW)), "stack underflow");
    EXPECT_EQ(gluErrorString(0x9999), nullptr);
}

}  // namespace

// Texture objects and pixel transfer: names, level-0 sizes, parameters,
// sub-image bounds, glReadPixels and gluScaleImage.
#include <vector>

#include "fixture.h"

namespace {

class TextureTest : public GlRecordTest {};

TEST_F(TextureTest, NamesCountUpFromOneAndDeletionUnbinds) {
    GLuint names[2] = {};
    EXPECT_EQ(glIsTexture(1), GL_FALSE);
    glGenTextures(2, names);
    EXPECT_EQ(names[0], 1u);
    EXPECT_EQ(names[1], 2u);
    GLuint third = 0;
    glGenTextures(1, &third);
    EXPECT_EQ(third, 3u);
    EXPECT_EQ(glIsTexture(2), GL_TRUE);

    glBindTexture(GL_TEXTURE_2D, 2);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 2);
    glDeleteTextures(2, names);
    EXPECT_EQ(glrecord::boundTexture(), 0u);
    EXPECT_EQ(glIsTexture(2), GL_FALSE);
    EXPECT_FALSE(glrecord::texture(1).exists);
    EXPECT_TRUE(glrecord::texture(3).exists);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, ImagesAndParametersLandOnTheBoundTexture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1280, 960, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexImage2D(GL_TEXTURE_2D, 1, GL_RGB, 640, 480, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    const glrecord::TextureInfo info = glrecord::texture(name);
    EXPECT_EQ(info.width, 1280);
    EXPECT_EQ(info.height, 960);
    EXPECT_EQ(info.internalFormat, GL_RGB);
    EXPECT_EQ(info.minFilter, GL_LINEAR);
    EXPECT_EQ(info.magFilter, GL_LINEAR);
    EXPECT_EQ(info.wrapS, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(info.wrapT, GL_REPEAT);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 9000, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(glrecord::texture(name).width, 1280);
}

TEST_F(TextureTest, SubImagesMustFitTheImage) {
    glBindTexture(GL_TEXTURE_2D, 5);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));  // no image yet
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 128, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 64, 32, 64, 32, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glTexSubImage2D(GL_TEXTURE_2D, 0, 65, 32, 64, 32, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
}

TEST_F(TextureTest, MipmapsStartAtThePowerOfTwoBelow) {
    glBindTexture(GL_TEXTURE_2D, 1);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, 1280, 960, GL_RGB, GL_UNSIGNED_BYTE, nullptr), 0);
    EXPECT_EQ(glrecord::texture(1).width, 1024);
    EXPECT_EQ(glrecord::texture(1).height, 512);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, 0, 4, GL_RGB, GL_UNSIGNED_BYTE, nullptr),
              GLU_INVALID_VALUE);
}

TEST_F(TextureTest, ReadPixelsWritesZerosAndLeavesRowPaddingAlone) {
    std::vector<unsigned char> pixels(2 * 4, 0xAB);  // two RGB rows of one pixel, 4-aligned
    glReadPixels(0, 0, 1, 2, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    const std::vector<unsigned char> expected = {0, 0, 0, 0xAB, 0, 0, 0, 0xAB};
    EXPECT_EQ(pixels, expected);

    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> packed(7, 0xAB);
    glReadPixels(0, 0, 1, 2, GL_RGB, GL_UNSIGNED_BYTE, packed.data());
    EXPECT_EQ(packed, (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0xAB}));

    glPixelStorei(GL_PACK_ALIGNMENT, 3);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
}

TEST_F(TextureTest, ScaleImageAveragesAndHonoursAlignment) {
    // 2 x 2 RGBA down to 1 x 1 averages all four pixels.
    const GLubyte square[16] = {0, 0, 0, 255, 100, 0, 0, 255, 0, 200, 0, 255, 0, 0, 40, 255};
    GLubyte one[4] = {};
    EXPECT_EQ(gluScaleImage(GL_RGBA, 2, 2, GL_UNSIGNED_BYTE, square, 1, 1, GL_UNSIGNED_BYTE, one), 0);
    EXPECT_EQ(one[0], 25);
    EXPECT_EQ(one[1], 50);
    EXPECT_EQ(one[2], 10);
    EXPECT_EQ(one[3], 255);

    // One-pixel RGB rows are padded to 4 bytes on both sides by default.
    const GLubyte column[8] = {10, 20, 30, 0, 50, 60, 70, 0};
    GLubyte doubled[16] = {};
    EXPECT_EQ(gluScaleImage(GL_RGB, 1, 2, GL_UNSIGNED_BYTE, column, 2, 2, GL_UNSIGNED_BYTE, doubled), 0);
    const GLubyte expected[16] = {10, 20, 30, 10, 20, 30, 0, 0, 50, 60, 70, 50, 60, 70, 0, 0};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(doubled[i], expected[i]) << i;

    const GLfloat ramp[4] = {0, 1, 2, 3};
    GLfloat halves[2] = {};
    EXPECT_EQ(gluScaleImage(GL_LUMINANCE, 4, 1, GL_FLOAT, ramp, 2, 1, GL_FLOAT, halves), 0);
    EXPECT_FLOAT_EQ(halves[0], 0.5f);
    EXPECT_FLOAT_EQ(halves[1], 2.5f);

    EXPECT_EQ(gluScaleImage(GL_RGB, 1, 1, GL_UNSIGNED_BYTE, column, 1, 1, GL_FLOAT, halves),
              GLU_INVALID_ENUM);
}

}  // namespace

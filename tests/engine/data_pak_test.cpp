// The project's own data.pak, as the content tool packs it, through the
// engine: the three pictures decode to the sizes the demo draws them at.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine_harness.h"
#include "fluxcore.h"
#include "glrecord.h"

using namespace QUASAR_FLUXCORE;

namespace {

TEST(DataPak, HoldsTheDemosPicturesAndFont) {
    if (!std::filesystem::exists(GM_TEST_DATA_PAK)) GTEST_SKIP() << GM_TEST_DATA_PAK << " not built";
    testsupport::resetEngine();
    glrecord::reset();
    testsupport::openArchiveHeadless(GM_TEST_DATA_PAK);
    dmsAddFont(32, 32, "fontti.pcx");
    dmsUploadTextures();

    EXPECT_EQ(dmsGetTexture("loadpic.jpg")->getWidth(), 1280);
    EXPECT_EQ(dmsGetTexture("loadpic.jpg")->getHeight(), 960);
    EXPECT_EQ(dmsGetTexture("particle.jpg")->getWidth(), 128);
    EXPECT_EQ(dmsGetTexture("particle.jpg")->getHeight(), 128);
    const Font* font = dmsGetFont("fontti.pcx");
    EXPECT_EQ(font->sheetWidth, 512);
    EXPECT_EQ(font->sheetHeight, 512);
    EXPECT_EQ(font->glyphCount, 256);
    EXPECT_EQ(font->glyphWidth[0x20], 0);  // space
    const unsigned char wide = 'M', narrow = 'i';
    EXPECT_GT(font->glyphWidth[wide], font->glyphWidth[narrow]);
    testsupport::resetEngine();
}

}  // namespace

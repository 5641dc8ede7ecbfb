// A real window, OpenGL context and texture upload with Mesa, through whichever
// SDL video driver the environment names (offscreen, or x11 with DISPLAY).
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fluxcore.h"
#include "temp_folder.h"
#include "test_files.h"

using namespace QUASAR_FLUXCORE;
using enginetest::Bytes;

namespace {

// Fills the picture with a texture through the engine's 2D projection.
class TexturedQuad : public Base {
public:
    explicit TexturedQuad(bool* deleted) : deleted_(deleted) {}
    ~TexturedQuad() override { *deleted_ = true; }
    void draw() override {
        drawnAt = time;
        myEnable(DMS_TEXTURE_2D);
        myDisable(DMS_DEPTH_TEST);
        myDisable(DMS_BLEND);
        glBindTexture(GL_TEXTURE_2D, dmsGetTexture("tint.jpg")->getID());
        dmsPerspective2D(1, 1);
        glColor4f(1, 1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1); glVertex2f(0, 0);
        glTexCoord2f(1, 1); glVertex2f(1, 0);
        glTexCoord2f(1, 0); glVertex2f(1, 1);
        glTexCoord2f(0, 0); glVertex2f(0, 1);
        glEnd();
        dmsPerspective3D();
    }
    float drawnAt = -1.0f;

private:
    bool* deleted_;
};

// The x11 run needs an X server; the test command provides one in DISPLAY.
bool lacksDisplay() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* display = std::getenv("DISPLAY");
    return driver && std::strcmp(driver, "x11") == 0 && (!display || !*display);
}

Bytes fontSheet() {
    // 64x64: four 32x32 cells; cell 1 has ink in columns 4..9, the others none.
    Bytes indices(64 * 64, 0);
    for (int y = 8; y < 20; ++y) {
        for (int x = 32 + 4; x <= 32 + 9; ++x) indices[static_cast<std::size_t>(y) * 64 + x] = 255;
    }
    return enginetest::makePcx(64, 64, indices, enginetest::greyPalette());
}

class EngineWindow : public ::testing::Test {
protected:
    void TearDown() override { dmsShutDown(); }
};

TEST_F(EngineWindow, OpensAContextUploadsTheArchiveAndDrawsAFrame) {
    if (lacksDisplay()) GTEST_SKIP() << "no X display (DISPLAY unset)";
    testsupport::TempFolder dir;
    const std::string pak = dir.write(
        "data.pak", enginetest::makeZip({{"tint.jpg", enginetest::makeJpeg(100, 60, 200, 40, 30)},
                                         {"fontti.pcx", fontSheet()},
                                         {"notes.txt", enginetest::textBytes("not a picture")}}));
    dmsSetLogging(true);
    ASSERT_TRUE(dmsInitEx(320, 240, 32, false, false, false, pak.c_str()));
    ASSERT_NE(dmsGetHDC(), nullptr);
    ASSERT_NE(glGetString(GL_VERSION), nullptr);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 240);

    bool deleted = false;
    auto* quad = new TexturedQuad(&deleted);
    dmsAddFont(32, 32, "fontti.pcx");
    dmsAddEffect(0, 1000, "quad", quad);
    dmsInitEffects();
    dmsUploadTextures();

    Texture* tint = dmsGetTexture("tint.jpg");
    EXPECT_EQ(tint->getWidth(), 100);
    EXPECT_EQ(tint->getHeight(), 60);
    EXPECT_EQ(glIsTexture(tint->getID()), GL_TRUE);
    Font* font = dmsGetFont("fontti.pcx");
    EXPECT_EQ(font->textureId, dmsGetTexture("fontti.pcx")->getID());
    EXPECT_EQ(font->glyphCount, 4);
    EXPECT_EQ(font->glyphLeft[1], 4);
    EXPECT_EQ(font->glyphWidth[1], 6);
    EXPECT_EQ(font->glyphWidth[0], 0);
    EXPECT_THROW(dmsGetTexture("notes.txt"), const char*);

    dmsSetFixedClock(true);
    dmsSetTime(500.0f);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    dmsRun();
    glFinish();
    EXPECT_FLOAT_EQ(quad->drawnAt, 500.0f);
    unsigned char pixel[4] = {};
    glReadPixels(160, 120, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 200, 12);
    EXPECT_NEAR(pixel[1], 40, 12);
    EXPECT_NEAR(pixel[2], 30, 12);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    dmsSetWindowTitle("Time: 0.500000s");
    dmsSetGamma(0);
    dmsShutDown();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(dmsGetHDC(), nullptr);
    EXPECT_THROW(dmsGetTexture("tint.jpg"), const char*);
}

TEST_F(EngineWindow, AMissingArchiveFailsAfterTheWindowAndShutsDownCleanly) {
    if (lacksDisplay()) GTEST_SKIP() << "no X display (DISPLAY unset)";
    testsupport::TempFolder dir;
    const std::string missing = dir.path() + "/absent.pak";
    try {
        dmsInitEx(320, 240, 32, false, false, false, missing.c_str());
        FAIL() << "dmsInitEx accepted a missing archive";
    } catch (const char* failure) {
        EXPECT_NE(std::strstr(failure, "absent.pak: not found"), nullptr) << failure;
    }
    dmsShutDown();
    dmsShutDown();
    // The engine starts again after a failed start.
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"a.jpg", enginetest::makeJpeg(8, 8, 0, 0, 0)}}));
    EXPECT_TRUE(dmsInitEx(160, 120, 24, false, false, true, pak.c_str()));
}

TEST_F(EngineWindow, FullscreenKeepsTheModesAspect) {
    if (lacksDisplay()) GTEST_SKIP() << "no X display (DISPLAY unset)";
    testsupport::TempFolder dir;
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"a.jpg", enginetest::makeJpeg(8, 8, 0, 0, 0)}}));
    ASSERT_TRUE(dmsInitEx(640, 480, 32, true, false, false, pak.c_str()));
    auto* window = static_cast<SDL_Window*>(dmsGetHDC());
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window), &desktop), 0) << SDL_GetError();
    // The window manager sizes the window asynchronously; wait (bounded) for it.
    int drawable[2] = {};
    for (int i = 0; i < 200; ++i) {
        SDL_PumpEvents();
        SDL_GL_GetDrawableSize(window, &drawable[0], &drawable[1]);
        if (drawable[0] == desktop.w && drawable[1] == desktop.h) break;
        SDL_Delay(10);
    }
    dmsRun();  // follows the drawable
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    ASSERT_GT(view[2], 0);
    ASSERT_GT(view[3], 0);
    EXPECT_NEAR(double(view[2]) / view[3], 4.0 / 3.0, 0.01);
    // Centred: the bars on both sides (or above and below) are equal.
    EXPECT_NEAR(view[0] * 2 + view[2], drawable[0], 1);
    EXPECT_NEAR(view[1] * 2 + view[3], drawable[1], 1);
    EXPECT_TRUE(view[0] == 0 || view[1] == 0);
}

// Key events as the window system queues them between two frames; the host
// takes them all off the queue before the engine reads its keys.
void queueKey(SDL_Scancode code, bool repeat) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = code;
    event.key.keysym.sym = SDL_GetKeyFromScancode(code);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void drainQueue() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

TEST_F(EngineWindow, EveryKeyPressQueuedBetweenTwoFramesActs) {
    if (lacksDisplay()) GTEST_SKIP() << "no X display (DISPLAY unset)";
    testsupport::TempFolder dir;
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"a.jpg", enginetest::makeJpeg(8, 8, 0, 0, 0)}}));
    ASSERT_TRUE(dmsInitEx(160, 120, 32, false, false, false, pak.c_str()));
    queueKey(SDL_SCANCODE_RIGHT, false);  // before the clock starts: does not act
    dmsInitTimer();
    dmsSetFixedClock(true);
    dmsSetTime(10000.0f);

    for (int i = 0; i < 5; ++i) queueKey(SDL_SCANCODE_RIGHT, false);
    queueKey(SDL_SCANCODE_LEFT, false);
    drainQueue();
    dmsCheckControls(1000.0f);
    EXPECT_EQ(dmsGetTime(), 14000.0f) << "five taps of Right and one of Left";

    queueKey(SDL_SCANCODE_LEFT, false);
    queueKey(SDL_SCANCODE_LEFT, true);  // held: the auto-repeats seek too
    queueKey(SDL_SCANCODE_LEFT, true);
    drainQueue();
    dmsCheckControls(1000.0f);
    EXPECT_EQ(dmsGetTime(), 11000.0f) << "Left pressed and repeated twice";

    dmsSetFixedClock(false);
    queueKey(SDL_SCANCODE_SPACE, false);
    queueKey(SDL_SCANCODE_SPACE, true);  // held Space pauses once
    drainQueue();
    dmsCheckControls(1000.0f);
    const float paused = dmsGetTime();
    SDL_Delay(30);
    dmsUpdateTimer();
    EXPECT_EQ(dmsGetTime(), paused) << "the clock runs on: Space did not pause";

    dmsCheckControls(1000.0f);  // nothing new: still paused
    queueKey(SDL_SCANCODE_SPACE, false);
    drainQueue();
    dmsCheckControls(1000.0f);
    SDL_Delay(30);
    dmsUpdateTimer();
    EXPECT_GT(dmsGetTime(), paused) << "the second Space did not resume";
}

}  // namespace

// A real window, OpenGL context and texture upload with Mesa, through whichever
// SDL video driver the environment names (offscreen, or x11 with DISPLAY); the
// full-screen picture as a screenshot of the X server shows it; the monitor.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
// After gtest: Xlib defines macros such as None and Bool.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
    void TearDown() override {
        dmsShutDown();
        dmsSetDisplay(0);
    }
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
    QUASAR_FLUXCORE::Font* font = dmsGetFont("fontti.pcx");  // Xlib has a Font too
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

// Fills the picture: its left half red, its right half green.
class Halves : public Base {
public:
    void draw() override {
        myDisable(DMS_TEXTURE_2D);
        myDisable(DMS_DEPTH_TEST);
        myDisable(DMS_BLEND);
        dmsPerspective2D(2, 1);
        glBegin(GL_QUADS);
        glColor3ub(220, 30, 20);
        glVertex2f(0, 0); glVertex2f(1, 0); glVertex2f(1, 1); glVertex2f(0, 1);
        glColor3ub(20, 200, 40);
        glVertex2f(1, 0); glVertex2f(2, 0); glVertex2f(2, 1); glVertex2f(1, 1);
        glEnd();
        dmsPerspective3D();
    }
};

bool near(unsigned long pixel, int red, int green, int blue) {
    return std::abs(int(pixel >> 16 & 255) - red) <= 8 && std::abs(int(pixel >> 8 & 255) - green) <= 8 &&
           std::abs(int(pixel & 255) - blue) <= 8;
}

// What is wrong with the X server's root window, as a screenshot shows it,
// for Halves in the rectangle [x0, x1) x [y0, y1) (from the top left) and
// black around it; empty when nothing is.
std::string misplacedOnScreen(int x0, int y0, int x1, int y1) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return "cannot open the display";
    const ::Window root = DefaultRootWindow(display);
    XWindowAttributes size;
    XGetWindowAttributes(display, root, &size);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(size.width),
                              static_cast<unsigned>(size.height), AllPlanes, ZPixmap);
    std::string wrong = image ? "" : "cannot read the root window";
    long lit = 0;
    for (int y = 0; image && y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            if ((x < x0 || x >= x1 || y < y0 || y >= y1) && !near(XGetPixel(image, x, y), 0, 0, 0)) ++lit;
        }
    }
    if (lit) wrong = std::to_string(lit) + " pixels of the bars are not black";
    const int quarter = (x1 - x0) / 4;
    for (int y : {y0, (y0 + y1) / 2, y1 - 1}) {
        if (!wrong.empty()) break;
        if (!near(XGetPixel(image, x0, y), 220, 30, 20) || !near(XGetPixel(image, x0 + quarter, y), 220, 30, 20))
            wrong = "row " + std::to_string(y) + ": the left half is not red";
        else if (!near(XGetPixel(image, x1 - quarter, y), 20, 200, 40))
            wrong = "row " + std::to_string(y) + ": the right half is not green";
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    return wrong;
}

// What a window manager does with a full-screen request, for X servers
// without one (as the tests' Xvfb): the window covers its monitor.
void coverTheMonitor(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    SDL_Rect bounds{};
    ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds), 0) << SDL_GetError();
    XMoveResizeWindow(info.info.x11.display, info.info.x11.window, bounds.x, bounds.y,
                      static_cast<unsigned>(bounds.w), static_cast<unsigned>(bounds.h));
    XSync(info.info.x11.display, False);
}

TEST_F(EngineWindow, FullscreenKeepsTheModesAspect) {
    if (lacksDisplay()) GTEST_SKIP() << "no X display (DISPLAY unset)";
    testsupport::TempFolder dir;
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"a.jpg", enginetest::makeJpeg(8, 8, 0, 0, 0)}}));
    ASSERT_TRUE(dmsInitEx(320, 240, 32, true, false, false, pak.c_str()));
    auto* window = static_cast<SDL_Window*>(dmsGetHDC());
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window), &desktop), 0) << SDL_GetError();
    coverTheMonitor(window);
    // The window manager sizes the window asynchronously; wait (bounded) for it.
    int drawable[2] = {};
    for (int i = 0; i < 200; ++i) {
        SDL_PumpEvents();
        SDL_GL_GetDrawableSize(window, &drawable[0], &drawable[1]);
        if (drawable[0] == desktop.w && drawable[1] == desktop.h) break;
        SDL_Delay(10);
    }
    ASSERT_EQ(drawable[0], desktop.w);
    ASSERT_EQ(drawable[1], desktop.h);

    // The effects see the mode's size, not the desktop's.
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(std::vector<GLint>(view, view + 4), (std::vector<GLint>{0, 0, 320, 240}));

    dmsAddEffect(0, 1000, "halves", new Halves);
    dmsInitEffects();
    dmsSetFixedClock(true);
    dmsSetTime(500.0f);
    // Mesa's software rasteriser on X takes the window's new size at a buffer
    // swap: the frame after the first swap is the first of full-screen size.
    for (int frame = 0; frame < 2; ++frame) {
        if (frame > 0) SDL_GL_SwapWindow(window);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        dmsRun();
        dmsPresentFrame();
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // 4:3 on the desktop: as wide or as high as it is, centred.
    const bool wider = desktop.w * 240 > desktop.h * 320;
    const int w = wider ? desktop.h * 320 / 240 : desktop.w;
    const int h = wider ? desktop.h : desktop.w * 240 / 320;
    const int x0 = (desktop.w - w) / 2, y0 = (desktop.h - h) / 2;
    if (desktop.w == 1280 && desktop.h == 1024) {
        EXPECT_EQ(std::vector<int>({x0, y0, w, h}), (std::vector<int>{0, 32, 1280, 960}));
    }
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
        // The X server shows the swapped picture once it has handled the
        // requests; wait (bounded) for it.
        SDL_GL_SwapWindow(window);
        std::string wrong = "not read";
        for (int i = 0; i < 100 && !wrong.empty(); ++i) {
            glFinish();
            wrong = misplacedOnScreen(x0, y0, x0 + w, y0 + h);
            if (!wrong.empty()) SDL_Delay(20);
        }
        EXPECT_EQ(wrong, "") << "in a screenshot of the root window";
    }
    // The next frame draws into the picture again.
    GLint drawn = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    EXPECT_NE(drawn, 0);
}

// The number of monitors SDL reports on this display connection.
int displayCount() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
    const int count = SDL_GetNumVideoDisplays();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return count;
}

TEST_F(EngineWindow, OpensOnTheChosenDisplayAndRefusesOneThatDoesNotExist) {
    if (lacksDisplay()) GTEST_SKIP() << "no X display (DISPLAY unset)";
    testsupport::TempFolder dir;
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"a.jpg", enginetest::makeJpeg(8, 8, 0, 0, 0)}}));
    const int count = displayCount();
    ASSERT_GE(count, 1);
    const std::string range = count == 1 ? "1: 0" : std::to_string(count) + ": 0 to " + std::to_string(count - 1);
    for (int wrong : {count, -1}) {
        dmsSetDisplay(wrong);
        try {
            dmsInitEx(320, 240, 32, true, false, false, pak.c_str());
            ADD_FAILURE() << "opened on display " << wrong;
        } catch (const char* failure) {
            EXPECT_EQ(std::string(failure),
                      "display " + std::to_string(wrong) + " does not exist (this desktop has " + range + ")");
        }
        EXPECT_EQ(dmsGetHDC(), nullptr);
        dmsShutDown();
        dmsShutDown();
    }

    // The window is centred on the last display. (SDL reports the screens
    // of one X server as displays all at the origin, so the centre tells
    // which display the window was placed on, where its index cannot.)
    const int last = count - 1;
    SDL_Rect bounds{};
    dmsSetDisplay(last);
    ASSERT_TRUE(dmsInitEx(320, 240, 32, false, false, false, pak.c_str()));
    ASSERT_EQ(SDL_GetDisplayBounds(last, &bounds), 0) << SDL_GetError();
    int x = 0, y = 0;
    SDL_GetWindowPosition(static_cast<SDL_Window*>(dmsGetHDC()), &x, &y);
    EXPECT_EQ(x, bounds.x + (bounds.w - 320) / 2);
    EXPECT_EQ(y, bounds.y + (bounds.h - 240) / 2);
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

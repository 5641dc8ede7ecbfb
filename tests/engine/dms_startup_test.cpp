// Start-up failures and shut-down without a window: the declined-dialog path,
// failures that name the display or the monitor, and music without sound.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine_harness.h"
#include "fluxcore.h"
#include "glrecord.h"
#include "temp_folder.h"
#include "test_files.h"

using namespace QUASAR_FLUXCORE;

namespace {

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::resetEngine();
        glrecord::reset();
    }
    void TearDown() override {
        testsupport::resetEngine();
        unsetenv("SDL_VIDEODRIVER");
    }
};

TEST_F(Lifecycle, TheDeclinedPathIsSafe) {
    // What the host does when the viewer declines: no dmsInitEx at all.
    dmsInitTimer();
    dmsSetGamma(0);
    dmsShutDown();
    dmsShutDown();
    EXPECT_EQ(dmsGetHDC(), nullptr);
    dmsSetWindowTitle("Time: 0.000000s");
    dmsCheckControls(1000.0f);
    dmsRun();
    EXPECT_EQ(glrecord::callCount(), 0u);
}

TEST_F(Lifecycle, ANonexistentVideoDriverIsNoDisplay) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    try {
        dmsInitEx(640, 480, 32, false, false, false, "data.pak");
        FAIL() << "a window without a display";
    } catch (const char* failure) {
        EXPECT_NE(std::strstr(failure, "video driver \"no-such-driver\": no display"), nullptr) << failure;
    }
    dmsShutDown();
    EXPECT_EQ(dmsGetHDC(), nullptr);
}

TEST_F(Lifecycle, ADriverWithoutOpenGlCannotCreateAContext) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    try {
        dmsInitEx(640, 480, 32, false, false, false, "data.pak");
        FAIL() << "an OpenGL context from the dummy driver";
    } catch (const char* failure) {
        EXPECT_NE(std::strstr(failure, "video driver \"dummy\": cannot create OpenGL context"), nullptr) << failure;
    }
    dmsShutDown();
    dmsShutDown();
}

TEST_F(Lifecycle, AMonitorThatDoesNotExistFailsBeforeAnyWindowIsAskedFor) {
    // The dummy driver has one display and no OpenGL: a window would fail on
    // its context, so this failure comes before any window.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (int display : {1, -1}) {
        dmsSetDisplay(display);
        try {
            dmsInitEx(640, 480, 32, true, false, false, "data.pak");
            FAIL() << "opened on display " << display;
        } catch (const char* failure) {
            EXPECT_EQ(std::string(failure),
                      "display " + std::to_string(display) + " does not exist (this desktop has 1: 0)");
        }
        dmsShutDown();
        EXPECT_EQ(dmsGetHDC(), nullptr);
    }
    dmsSetDisplay(0);
    EXPECT_THROW(dmsInitEx(640, 480, 32, true, false, false, "data.pak"), const char*) << "no OpenGL";
}

TEST_F(Lifecycle, FailureTextsOutliveFurtherFailures) {
    const char* first = nullptr;
    try {
        dmsGetTexture("first.jpg");
    } catch (const char* failure) {
        first = failure;
    }
    for (int i = 0; i < 5; ++i) {
        try {
            dmsGetTexture("later.jpg");
        } catch (const char*) {
        }
    }
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "first.jpg: no such texture");
}

TEST_F(Lifecycle, MusicNeverFailsForLackOfSound) {
    // No archive, no window, sound off: the demo plays on silently.
    EXPECT_NO_THROW(dmsPlaySong(1));
    testsupport::TempFolder dir;
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"song1.ogg", enginetest::textBytes("junk")}}));
    testsupport::openArchiveHeadless(pak.c_str());
    EXPECT_NO_THROW(dmsPlaySong(1));
    EXPECT_NO_THROW(dmsPlaySong(2));
    dmsInitTimer();
    dmsUpdateTimer();
    EXPECT_GE(dmsGetTime(), 0.0f);
}

}  // namespace

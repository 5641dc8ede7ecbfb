// The driver loop against recording fakes: start-up order, frame order, music
// cue, end conditions, the declined path and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "fakes.h"
#include "host/driver.h"
#include "host/production.h"

namespace {

using glassmeridian::PlatformEvent;
using glassmeridian::production::kEndMs;
using hosttest::Log;

struct Session {
    Log log;
    hosttest::RecordingEngine engine{log};
    hosttest::RecordingPlatform platform{log};
    hosttest::ScriptedDialog dialog{log};

    glassmeridian::LaunchRequest request;  // the dialog with its initial state

    int run() { return glassmeridian::runDemo(engine, platform, dialog, request); }

    long count(const std::string& call) const { return std::count(log.begin(), log.end(), call); }
    std::ptrdiff_t indexOf(const std::string& call) const {
        const auto it = std::find(log.begin(), log.end(), call);
        return it == log.end() ? -1 : it - log.begin();
    }
    // The log from the first call of the first frame on.
    Log fromFirstFrame() const {
        const auto it = std::find(log.begin(), log.end(), "clearColour");
        return Log(it, log.end());
    }
};

const PlatformEvent kOther{PlatformEvent::Kind::Other, 0};

TEST(Driver, StartsTheEngineWithTheDialogChoicesInOrder) {
    Session s;
    s.dialog.chosen.width = 800;
    s.dialog.chosen.height = 600;
    s.dialog.chosen.colourBits = 32;
    s.dialog.chosen.seeOption = false;
    s.dialog.chosen.hearOption = true;
    s.dialog.chosen.waitOption = false;
    s.dialog.chosen.readOption = true;
    s.engine.clock = {kEndMs};

    EXPECT_EQ(s.run(), 0);

    const Log startUp(s.log.begin(), s.log.begin() + 10);
    EXPECT_EQ(startUp, (Log{"dialog", "setLogging(1)", "initEx(800,600,32,0,1,0,data.pak)",
                            "addFont(32,32,fontti.pcx)", "addTexture(loadpic.jpg)",
                            "addTexture(particle.jpg)", "registerTimeline", "initEffects",
                            "uploadTextures", "initTimer"}));
    // The dialog sees the defaults.
    EXPECT_EQ(s.dialog.seenDefaults.width, 640);
    EXPECT_EQ(s.dialog.seenDefaults.height, 480);
    EXPECT_EQ(s.dialog.seenDefaults.colourBits, 32);
    EXPECT_FALSE(s.dialog.seenDefaults.seeOption || s.dialog.seenDefaults.hearOption ||
                 s.dialog.seenDefaults.waitOption || s.dialog.seenDefaults.readOption ||
                 s.dialog.seenDefaults.accepted);
}

TEST(Driver, DrawsEachFrameInTheEngineOrderAndShutsDownAfterTheEndTime) {
    Session s;
    s.engine.clock = {500.0f, 1500.0f, kEndMs};

    EXPECT_EQ(s.run(), 0);

    const Log frame = {"poll", "clearColour", "updateTimer", "checkControls(1000)", "escape",
                       "clearBuffers", "run", "hdc", "swap", "time"};
    const Log expected = [&] {
        Log l;
        for (const char* title : {"Time: 0.500000s", "Time: 1.500000s", "Time: 49.000000s"}) {
            l.insert(l.end(), frame.begin(), frame.end());
            l.push_back(std::string("title(") + title + ")");
        }
        l.push_back("playSong(1,2000)");  // the last frame is the first at or after 2000 ms
        l.push_back("setGamma(0)");
        l.push_back("shutDown");
        return l;
    }();
    const Log tail(s.log.begin() + s.indexOf("initTimer") + 1, s.log.end());
    EXPECT_EQ(tail, expected);
}

TEST(Driver, StartsTheMusicOnceAtTheFirstFrameFromTwoSeconds) {
    Session s;
    s.engine.clock = {1000.0f, 1999.9f, 2000.0f, 2500.0f, 30000.0f, kEndMs - 1.0f, kEndMs + 0.5f};

    EXPECT_EQ(s.run(), 0);

    EXPECT_EQ(s.count("playSong(1,2000)"), 1);
    // Right after the caption of the 2000 ms frame, not before.
    EXPECT_EQ(s.indexOf("playSong(1,2000)"), s.indexOf("title(Time: 2.000000s)") + 1);
    EXPECT_NE(s.indexOf("title(Time: 2.500000s)"), -1);
    EXPECT_EQ(s.count("run"), 7);
}

TEST(Driver, StartsTheMusicInTheFrameThatEndsTheDemo) {
    {
        SCOPED_TRACE("end time");
        Session s;
        s.engine.clock = {1000.0f, 52000.0f};
        EXPECT_EQ(s.run(), 0);
        EXPECT_EQ(s.count("playSong(1,2000)"), 1);
        EXPECT_EQ(s.count("run"), 2);
    }
    {
        SCOPED_TRACE("escape");
        Session s;
        s.engine.clock = {1000.0f, 2100.0f, 3000.0f};
        s.platform.escapeAtFrame = {1};
        EXPECT_EQ(s.run(), 0);
        EXPECT_EQ(s.count("playSong(1,2000)"), 1);
        EXPECT_EQ(s.count("run"), 2);
    }
    {
        SCOPED_TRACE("escape before two seconds: no music");
        Session s;
        s.engine.clock = {1000.0f, 1900.0f};
        s.platform.escapeAtFrame = {1};
        EXPECT_EQ(s.run(), 0);
        EXPECT_EQ(s.count("playSong(1,2000)"), 0);
    }
}

TEST(Driver, EscapeEndsTheDemoAfterTheFrameIsShown) {
    Session s;
    s.engine.clock = {100.0f, 200.0f, 300.0f};
    s.platform.escapeAtFrame = {1};

    EXPECT_EQ(s.run(), 0);

    const Log frames = s.fromFirstFrame();
    const auto held = std::find(frames.begin(), frames.end(), "escape(held)");
    ASSERT_NE(held, frames.end());
    // The rest of that frame, then straight to shut-down.
    EXPECT_EQ(Log(held + 1, frames.end()),
              (Log{"clearBuffers", "run", "hdc", "swap", "time", "title(Time: 0.200000s)",
                   "setGamma(0)", "shutDown"}));
}

TEST(Driver, PendingMessagesSuppressDrawingAndQuitEndsWithoutAnotherFrame) {
    Session s;
    s.engine.clock = {100.0f, 200.0f, 300.0f};
    s.platform.pendingBeforeFrame = {{}, {kOther, kOther}, {{PlatformEvent::Kind::Quit, 0}}};

    EXPECT_EQ(s.run(), 0);

    const Log frames = s.fromFirstFrame();
    const Log secondFrameStart = {"title(Time: 0.100000s)", "poll", "poll", "poll", "clearColour"};
    EXPECT_NE(std::search(frames.begin(), frames.end(), secondFrameStart.begin(), secondFrameStart.end()),
              frames.end());
    EXPECT_EQ(s.count("run"), 2);
    const Log ending(s.log.end() - 4, s.log.end());
    EXPECT_EQ(ending, (Log{"title(Time: 0.200000s)", "poll", "setGamma(0)", "shutDown"}));
}

TEST(Driver, ExitCodeIsTheParameterOfTheLastMessageTaken) {
    {
        SCOPED_TRACE("quit code");
        Session s;
        s.engine.clock = {100.0f};
        s.platform.pendingBeforeFrame = {{}, {kOther, {PlatformEvent::Kind::Quit, 3}}};
        EXPECT_EQ(s.run(), 3);
    }
    {
        SCOPED_TRACE("last dispatched message, then the end time");
        Session s;
        s.engine.clock = {100.0f, kEndMs};
        s.platform.pendingBeforeFrame = {{}, {{PlatformEvent::Kind::Other, 5}}};
        EXPECT_EQ(s.run(), 5);
    }
    {
        SCOPED_TRACE("no message at all");
        Session s;
        s.engine.clock = {kEndMs};
        EXPECT_EQ(s.run(), 0);
    }
}

TEST(Driver, DeclinedDialogStartsNoEngineButStillStopsIt) {
    Session s;
    s.dialog.accept = false;

    EXPECT_EQ(s.run(), 0);

    EXPECT_EQ(s.log, (Log{"dialog", "initTimer", "setGamma(0)", "shutDown"}));
}

TEST(Driver, DialogWithoutDisplayIsAFailure) {
    Session s;
    s.dialog.canShow = false;

    EXPECT_NE(s.run(), 0);

    EXPECT_EQ(s.log, (Log{"dialog", "message", "initTimer", "setGamma(0)", "shutDown",
                          "showFailure(Setup dialog: cannot open display \":99\"\n)"}));
    ASSERT_EQ(s.engine.messages.size(), 1u);
    EXPECT_EQ(s.engine.messages[0], "Setup dialog: cannot open display \":99\"\n");
}

struct FailureCase {
    const char* name;
    std::string failingCall;      // the call that throws
    std::function<void()> raise;  // throws the failure
    std::string expectedMessage;
};

class DriverFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(DriverFailure, IsReportedAndTheEngineIsShutDown) {
    const FailureCase& c = GetParam();
    Session s;
    s.engine.clock = {100.0f, 200.0f, 300.0f, 400.0f, kEndMs};
    bool armed = true;
    s.engine.beforeCall = [&](const std::string& call) {
        if (armed && call == c.failingCall) {
            armed = false;
            c.raise();
        }
    };

    EXPECT_NE(s.run(), 0);

    ASSERT_EQ(s.engine.messages.size(), 1u);
    EXPECT_EQ(s.engine.messages[0], c.expectedMessage);
    // The viewer is told last, once the engine's window is gone.
    const Log ending(s.log.end() - 5, s.log.end());
    EXPECT_EQ(ending, (Log{c.failingCall, "message", "setGamma(0)", "shutDown",
                           "showFailure(" + c.expectedMessage + ")"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriverFailure,
    testing::Values(
        FailureCase{"TextMidFrame", "run", [] { throw "cannot read \"particle.jpg\": not in the archive"; },
                    "Exception: cannot read \"particle.jpg\": not in the archive\n"},
        FailureCase{"TextAtStartUp", "uploadTextures", [] { throw "fontti.pcx: not a PCX file"; },
                    "Exception: fontti.pcx: not a PCX file\n"},
        FailureCase{"StandardException", "updateTimer", [] { throw std::runtime_error("out of range"); },
                    "Exception: out of range\n"},
        FailureCase{"OutOfMemory", "registerTimeline", [] { throw std::bad_alloc(); },
                    std::string("Exception: ") + std::bad_alloc().what() + "\n"},
        FailureCase{"UnknownKind", "clearBuffers", [] { throw 42; }, "Exception: unknown failure\n"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(Driver, FailureMidFrameDrawsNoFurtherFrame) {
    Session s;
    s.engine.clock = {100.0f, 200.0f, 300.0f};
    int runs = 0;
    s.engine.beforeCall = [&](const std::string& call) {
        if (call == "run" && ++runs == 2) throw "broken frame";
    };
    EXPECT_EQ(s.run(), 1);
    EXPECT_EQ(s.count("run"), 2);
    EXPECT_EQ(s.count("swap"), 1);
}

TEST(Driver, EngineThatCannotOpenItsWindowIsAFailure) {
    Session s;
    s.engine.initSucceeds = false;
    EXPECT_NE(s.run(), 0);
    EXPECT_EQ(s.count("addFont(32,32,fontti.pcx)"), 0);
    EXPECT_EQ(s.count("run"), 0);
    ASSERT_EQ(s.engine.messages.size(), 1u);
    EXPECT_EQ(s.engine.messages[0].rfind("Exception: ", 0), 0u);
    EXPECT_EQ(s.log.back(), "showFailure(" + s.engine.messages[0] + ")");
}

TEST(Driver, ShutDownStillRunsWhenRestoringTheGammaFails) {
    Session s;
    s.engine.clock = {kEndMs};
    s.engine.beforeCall = [](const std::string& call) {
        if (call == "setGamma(0)") throw "gamma ramp refused";
    };
    EXPECT_NE(s.run(), 0);
    EXPECT_EQ(s.log.back(), "showFailure(Exception: gamma ramp refused\n)");
    EXPECT_EQ(s.count("shutDown"), 1);
    ASSERT_EQ(s.engine.messages.size(), 1u);
    EXPECT_EQ(s.engine.messages[0], "Exception: gamma ramp refused\n");
}

// The command line's requests: straight to the engine, or the dialog preset.
TEST(Driver, ARequestWithoutTheDialogStartsTheEngineWithItsSettings) {
    {
        SCOPED_TRACE("no dialog");
        Session s;
        s.request.action = glassmeridian::LaunchRequest::Action::Run;
        s.request.choices.boxChecked = {false, true, false, true};  // --window --no-vsync --log
        s.engine.clock = {kEndMs};
        EXPECT_EQ(s.run(), 0);
        EXPECT_EQ(s.count("dialog"), 0);
        EXPECT_EQ(s.log.front(), "setLogging(1)");
        EXPECT_EQ(s.log.at(1), "initEx(1024,768,32,0,1,0,data.pak)");
    }
    {
        SCOPED_TRACE("the dialog, preset");
        Session s;
        s.request.choices = {};
        s.request.choices.radioChecked[3] = true;
        s.request.settings.loop = true;
        s.dialog.accept = false;
        EXPECT_EQ(s.run(), 0);
        EXPECT_EQ(s.dialog.seenChoices.radioChecked, s.request.choices.radioChecked);
        EXPECT_TRUE(s.dialog.seenDefaults.loop);
        EXPECT_EQ(s.count("setLogging(0)") + s.count("setLogging(1)"), 0);
    }
}

TEST(Driver, AStartTimeIsSetAfterTheClockStartsAndTheMusicJoinsAtItsOffset) {
    Session s;
    s.request.action = glassmeridian::LaunchRequest::Action::Run;
    s.request.settings.startMs = 30000.0f;
    s.engine.clock = {0.0f, 16.0f, 19000.0f};  // time since the clock started

    EXPECT_EQ(s.run(), 0);

    EXPECT_EQ(s.indexOf("setTime(30000)"), s.indexOf("initTimer") + 1);
    EXPECT_EQ(s.indexOf("poll"), s.indexOf("setTime(30000)") + 1);
    // The first frame shows 30 s and places the song at 2 s; the third reaches the end.
    EXPECT_EQ(s.indexOf("playSong(1,2000)"), s.indexOf("title(Time: 30.000000s)") + 1);
    EXPECT_EQ(s.count("run"), 3);
}

TEST(Driver, LoopingStartsAgainFromZeroAtTheEndUntilEscape) {
    Session s;
    s.request.action = glassmeridian::LaunchRequest::Action::Run;
    s.request.settings.loop = true;
    s.engine.clock = {48000.0f, kEndMs, 49500.0f, 51000.0f, 97999.0f, 98000.0f, 98100.0f};
    s.platform.escapeAtFrame = {6};

    EXPECT_EQ(s.run(), 0);

    std::vector<std::string> titles;
    for (const std::string& call : s.log) {
        if (call.rfind("title(", 0) == 0) titles.push_back(call);
    }
    // The frame that reaches the end shows the start instead; the clock runs on from there.
    EXPECT_EQ(titles, (std::vector<std::string>{"title(Time: 48.000000s)", "title(Time: 0.000000s)",
                                                "title(Time: 0.500000s)", "title(Time: 2.000000s)",
                                                "title(Time: 48.999000s)", "title(Time: 0.000000s)",
                                                "title(Time: 0.100000s)"}));
    EXPECT_EQ(s.count("setTime(0)"), 2);
    // The song is cued once: a seek before its start holds it until the clock comes back to it.
    EXPECT_EQ(s.count("playSong(1,2000)"), 1);
}

}  // namespace

// The show in steps, as a web page's frame callback runs it: one frame a
// step, false from the step that reached the end on, and nothing drawn after.
TEST(DemoShow, StepsOneFrameAtATimeUntilTheEnd) {
    Session s;
    s.engine.clock = {100.0f, 2000.0f, kEndMs};
    glassmeridian::DemoShow show(s.engine, s.platform);
    glassmeridian::LaunchSettings settings;
    settings.accepted = true;
    ASSERT_TRUE(show.start(settings));
    EXPECT_EQ(s.count("initTimer"), 1);
    EXPECT_TRUE(show.step());
    EXPECT_EQ(s.count("run"), 1);
    EXPECT_TRUE(show.step());
    EXPECT_EQ(s.count("playSong(1,2000)"), 1);
    EXPECT_FALSE(show.step());  // the end: the frame is drawn, then the show ends
    EXPECT_EQ(s.count("run"), 3);
    EXPECT_FALSE(show.step());
    EXPECT_EQ(s.count("run"), 3);
    EXPECT_EQ(show.finish(), 0);
    EXPECT_EQ(s.count("shutDown"), 1);
    EXPECT_TRUE(show.failures().empty());
}

TEST(DemoShow, AFailedStartOrFrameEndsTheShowWithItsMessage) {
    Session s;
    s.engine.initSucceeds = false;
    glassmeridian::DemoShow failedStart(s.engine, s.platform);
    glassmeridian::LaunchSettings settings;
    settings.accepted = true;
    EXPECT_FALSE(failedStart.start(settings));
    EXPECT_FALSE(failedStart.step());
    EXPECT_EQ(failedStart.finish(), 1);
    EXPECT_EQ(failedStart.failures().rfind("Exception: ", 0), 0u);

    Session t;
    t.engine.clock = {100.0f, 200.0f};
    t.engine.beforeCall = [](const std::string& call) {
        if (call == "run") throw "broken frame";
    };
    glassmeridian::DemoShow failedFrame(t.engine, t.platform);
    ASSERT_TRUE(failedFrame.start(settings));
    EXPECT_FALSE(failedFrame.step());
    EXPECT_EQ(failedFrame.finish(), 1);
    EXPECT_EQ(failedFrame.failures(), "Exception: broken frame\n");
    EXPECT_EQ(t.count("shutDown"), 1);

    // Declined: nothing to draw, the same shut-down.
    Session u;
    glassmeridian::DemoShow declined(u.engine, u.platform);
    EXPECT_TRUE(declined.start(glassmeridian::LaunchSettings{}));
    EXPECT_FALSE(declined.step());
    EXPECT_EQ(u.count("initEx(640,480,32,0,0,0,data.pak)"), 0);
    EXPECT_EQ(declined.finish(), 0);
    EXPECT_EQ(u.count("shutDown"), 1);
}

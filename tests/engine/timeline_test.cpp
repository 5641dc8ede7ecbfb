// The timeline: which effects run when, in which order, with what time and
// projection, and that the engine deletes them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "fluxcore.h"
#include "glrecord.h"

using namespace QUASAR_FLUXCORE;

namespace {

struct Journal {
    std::vector<std::string> events;
    std::vector<std::string> deleted;
};

class Probe : public Base {
public:
    Probe(const char* name, Journal& journal, bool initResult = true)
        : name_(name), journal_(journal), initResult_(initResult) {}
    ~Probe() override { journal_.deleted.push_back(name_); }
    bool init(unsigned long start, unsigned long end) override {
        Base::init(start, end);
        journal_.events.push_back(name_ + ".init " + std::to_string(start) + "-" + std::to_string(end));
        return initResult_;
    }
    void update() override { journal_.events.push_back(name_ + ".update " + std::to_string(int(time))); }
    void draw() override {
        journal_.events.push_back(name_ + ".draw " + std::to_string(int(time)));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        matrixModeAtDraw = mode;
        projectionAtDraw = glrecord::projection()[5];
        glMatrixMode(GL_PROJECTION);  // leaves a mess for the next effect
        glLoadIdentity();
    }
    GLint matrixModeAtDraw = 0;
    float projectionAtDraw = 0.0f;

private:
    std::string name_;
    Journal& journal_;
    bool initResult_;
};

class Timeline : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::resetEngine();
        glrecord::reset();
        dmsSetFixedClock(true);
    }
    void TearDown() override { testsupport::resetEngine(); }

    // The events of one frame at `ms`.
    std::vector<std::string> frameAt(float ms) {
        journal.events.clear();
        dmsSetTime(ms);
        dmsRun();
        return journal.events;
    }
    Journal journal;
};

using Events = std::vector<std::string>;

TEST_F(Timeline, AnEffectRunsFromItsStartUpToButExcludingItsEnd) {
    dmsAddEffect(1000, 2000, "a", new Probe("a", journal));
    dmsInitEffects();
    EXPECT_EQ(frameAt(999.9f), Events{});
    EXPECT_EQ(frameAt(1000.0f), (Events{"a.update 1000", "a.draw 1000"}));
    EXPECT_EQ(frameAt(1999.0f), (Events{"a.update 1999", "a.draw 1999"}));
    EXPECT_EQ(frameAt(1999.9f).size(), 2u);
    EXPECT_EQ(frameAt(2000.0f), Events{});
}

TEST_F(Timeline, InitPassesTheRegisteredTimesInRegistrationOrder) {
    auto* late = new Probe("late", journal);
    dmsAddEffect(2000, 49000, "late", late);
    dmsAddEffect(0, 2000, "early", new Probe("early", journal));
    dmsInitEffects();
    EXPECT_EQ(journal.events, (Events{"late.init 2000-49000", "early.init 0-2000"}));
    EXPECT_EQ(late->startTime, 2000u);
    EXPECT_EQ(late->endTime, 49000u);
}

TEST_F(Timeline, AdjacentEffectsHandOverAtTheBoundary) {
    dmsAddEffect(0, 2000, "alku", new Probe("alku", journal));
    dmsAddEffect(2000, 49000, "rakenne", new Probe("rakenne", journal));
    EXPECT_EQ(frameAt(1999.5f), (Events{"alku.update 1999", "alku.draw 1999"}));
    EXPECT_EQ(frameAt(2000.0f), (Events{"rakenne.update 2000", "rakenne.draw 2000"}));
    EXPECT_EQ(frameAt(49000.0f), Events{});
}

TEST_F(Timeline, OverlappingEffectsRunInRegistrationOrderEachUpdateThenDraw) {
    dmsAddEffect(500, 3000, "second", new Probe("second", journal));
    dmsAddEffect(0, 1000, "first", new Probe("first", journal));
    EXPECT_EQ(frameAt(750.0f),
              (Events{"second.update 750", "second.draw 750", "first.update 750", "first.draw 750"}));
}

TEST_F(Timeline, AZeroLengthOrReversedIntervalNeverRuns) {
    dmsAddEffect(1000, 1000, "empty", new Probe("empty", journal));
    dmsAddEffect(3000, 2000, "reversed", new Probe("reversed", journal));
    for (float t : {0.0f, 999.0f, 1000.0f, 1001.0f, 2000.0f, 2500.0f, 3000.0f}) EXPECT_EQ(frameAt(t), Events{}) << t;
}

TEST_F(Timeline, EveryEffectDrawsWithTheProjectionSetAndModelViewCurrent) {
    auto* a = new Probe("a", journal);
    auto* b = new Probe("b", journal);
    dmsAddEffect(0, 100, "a", a);
    dmsAddEffect(0, 100, "b", b);
    frameAt(10.0f);
    // Each probe leaves the projection matrix current and reset; the next
    // still starts from the 3D projection with the model-view current.
    for (Probe* probe : {a, b}) {
        EXPECT_EQ(probe->matrixModeAtDraw, GL_MODELVIEW);
        EXPECT_GT(probe->projectionAtDraw, 2.0f);  // 1 / tan(22.5 degrees)
    }
    EXPECT_EQ(glrecord::countOf("gluPerspective"), 2u);
}

TEST_F(Timeline, NothingActiveMakesNoGlCall) {
    dmsAddEffect(100, 200, "a", new Probe("a", journal));
    glrecord::reset();
    frameAt(50.0f);
    EXPECT_EQ(glrecord::callCount(), 0u);
}

TEST_F(Timeline, TheEngineDeletesItsEffectsAtShutDownOnce) {
    dmsAddEffect(0, 10, "x", new Probe("x", journal));
    dmsAddEffect(0, 10, "y", new Probe("y", journal));
    dmsShutDown();
    EXPECT_EQ(journal.deleted, (Events{"x", "y"}));
    dmsShutDown();
    EXPECT_EQ(journal.deleted.size(), 2u);
    EXPECT_EQ(frameAt(5.0f), Events{});
}

TEST_F(Timeline, BadRegistrationsAreClearFailures) {
    try {
        dmsAddEffect(0, 10, "ghost", nullptr);
        FAIL() << "null effect accepted";
    } catch (const char* failure) {
        EXPECT_STREQ(failure, "ghost: effect is null");
    }
    auto* probe = new Probe("p", journal);
    dmsAddEffect(0, 10, "p", probe);
    try {
        dmsAddEffect(20, 30, "again", probe);
        FAIL() << "an effect registered twice";
    } catch (const char* failure) {
        EXPECT_NE(std::strstr(failure, "again: effect already registered as \"p\""), nullptr) << failure;
    }
    dmsShutDown();
    EXPECT_EQ(journal.deleted, Events{"p"});  // deleted once, not twice
}

TEST_F(Timeline, AnEffectWhoseInitFailsNamesItself) {
    dmsAddEffect(0, 10, "stubborn", new Probe("stubborn", journal, false));
    try {
        dmsInitEffects();
        FAIL() << "failed init not reported";
    } catch (const char* failure) {
        EXPECT_STREQ(failure, "stubborn: effect init failed");
    }
}

}  // namespace

// The demo clock, its song following, pause and seek, and the key press counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/controls.h"
#include "engine_harness.h"
#include "fluxcore.h"

using fluxcore::DemoClock;

namespace {

struct FakeSong : fluxcore::SongControl {
    std::vector<std::string> calls;
    void pause(bool paused) override { calls.push_back(paused ? "pause" : "resume"); }
    void seek(double ms) override { calls.push_back("seek " + std::to_string(int(ms))); }
};

constexpr double kNoSong = -1.0;

TEST(DemoClock, FollowsTheWallClockFromStart) {
    DemoClock clock;
    FakeSong song;
    clock.start(5000.0);
    EXPECT_EQ(clock.time(), 0.0);
    clock.update(5016.5, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 16.5);
    clock.update(7000.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 2000.0);
    EXPECT_TRUE(song.calls.empty());
}

TEST(DemoClock, FollowsTheSongAndNeverRunsBackwards) {
    DemoClock clock;
    FakeSong song;
    clock.start(0.0);
    clock.update(2000.0, kNoSong, song);
    clock.songStarted(2000.0, song);  // the song begins at demo time 2000
    clock.update(2100.0, 90.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 2090.0);  // the song, not the wall clock, leads
    clock.update(2200.0, 230.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 2230.0);
    clock.update(2250.0, 200.0, song);      // a position that went back
    EXPECT_DOUBLE_EQ(clock.time(), 2230.0);
    // The song ends: the wall clock carries on from where the song left it.
    clock.update(2300.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 2280.0);
}

TEST(DemoClock, PauseFreezesTimeAndTheSongAndResumesWithoutAJump) {
    DemoClock clock;
    FakeSong song;
    clock.start(0.0);
    clock.update(1000.0, kNoSong, song);
    clock.setPaused(true, 1000.0, song);
    clock.update(5000.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 1000.0);
    clock.setPaused(false, 5000.0, song);
    clock.update(5010.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 1010.0);
    EXPECT_TRUE(song.calls.empty());  // no song: nothing to pause

    clock.songStarted(clock.time(), song);
    clock.setPaused(true, 5010.0, song);
    clock.setPaused(true, 5020.0, song);  // twice: once
    clock.setPaused(false, 5030.0, song);
    EXPECT_EQ(song.calls, (std::vector<std::string>{"pause", "resume"}));
}

TEST(DemoClock, SeekMovesTimeAndSongAndClampsAtZero) {
    DemoClock clock;
    FakeSong song;
    clock.start(0.0);
    clock.update(3000.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.seek(1000.0, 3000.0, song), 4000.0);
    clock.update(3500.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 4500.0);
    EXPECT_DOUBLE_EQ(clock.seek(-10000.0, 3500.0, song), 0.0);
    EXPECT_TRUE(song.calls.empty());

    clock.setTime(2000.0, 3500.0, song);
    clock.songStarted(2000.0, song);
    clock.seek(1000.0, 3500.0, song);
    EXPECT_EQ(song.calls.back(), "seek 1000");  // song position = demo time - song start
}

TEST(DemoClock, SeekingBeforeTheSongHoldsItUntilTheTimeComesBack) {
    DemoClock clock;
    FakeSong song;
    clock.start(0.0);
    clock.setTime(2000.0, 0.0, song);
    clock.songStarted(2000.0, song);
    clock.seek(-1500.0, 0.0, song);  // to 500, before the song's 2000
    EXPECT_TRUE(clock.songHeld());
    EXPECT_EQ(song.calls, (std::vector<std::string>{"pause", "seek 0"}));
    // Held, the song's position does not drive the clock.
    clock.update(1000.0, 0.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 1500.0);
    clock.update(1600.0, 0.0, song);  // 2100: past the song's start
    EXPECT_DOUBLE_EQ(clock.time(), 2100.0);
    EXPECT_FALSE(clock.songHeld());
    EXPECT_EQ(song.calls, (std::vector<std::string>{"pause", "seek 0", "seek 100", "resume"}));
}

TEST(DemoClock, ASongIsPlacedAtItsStartWhenEverItIsCued) {
    struct Case {
        const char* what;
        double timeAtCue;
        bool paused;
        std::vector<std::string> calls;
        bool held;
    };
    const Case cases[] = {
        {"on time", 2000.0, false, {}, false},
        {"late, after a seek or a slow frame", 2500.0, false, {"seek 500"}, false},
        {"late and paused", 2500.0, true, {"seek 500", "pause"}, false},
        {"early", 1500.0, false, {"pause", "seek 0"}, true},
    };
    for (const Case& c : cases) {
        DemoClock clock;
        FakeSong song;
        clock.start(0.0);
        clock.setTime(c.timeAtCue, 0.0, song);
        clock.setPaused(c.paused, 0.0, song);
        clock.songStarted(2000.0, song);
        EXPECT_EQ(song.calls, c.calls) << c.what;
        EXPECT_EQ(clock.songHeld(), c.held) << c.what;
        // Playing on, the clock reads the song's position placed at 2000 ms.
        clock.setPaused(false, 0.0, song);
        clock.update(0.0, c.held ? 0.0 : c.timeAtCue - 2000.0 + 40.0, song);
        EXPECT_DOUBLE_EQ(clock.time(), c.held ? c.timeAtCue : c.timeAtCue + 40.0) << c.what;
    }
}

TEST(DemoClock, ASongStartedAtItsPlaceIsNotMovedAgain) {
    struct Case {
        const char* what;
        double timeAtCue;
        double songAt;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"started where the time puts it", 2500.0, 500.0, {}},
        {"within a millisecond of it", 2500.0, 500.4, {}},
        {"started elsewhere", 2500.0, 100.0, {"seek 500"}},
    };
    for (const Case& c : cases) {
        DemoClock clock;
        FakeSong song;
        clock.start(0.0);
        clock.setTime(c.timeAtCue, 0.0, song);
        clock.songStarted(2000.0, song, c.songAt);
        EXPECT_EQ(song.calls, c.calls) << c.what;
    }
}

TEST(DemoClock, PausedTheClockStopsWithTheSoundOnItsWay) {
    DemoClock clock;
    FakeSong song;
    clock.start(0.0);
    clock.setTime(3000.0, 0.0, song);
    clock.songStarted(2000.0, song, 1000.0);
    clock.update(100.0, 1100.0, song);
    clock.setPaused(true, 100.0, song);
    EXPECT_EQ(song.calls, (std::vector<std::string>{"pause"}));
    // The sound already on its way is heard for a while: the picture goes with it...
    clock.update(150.0, 1150.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 3150.0);
    clock.update(200.0, 1180.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 3180.0);
    // ...and stops where the sound stopped, whatever the wall clock does.
    clock.update(5000.0, 1180.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 3180.0);
    clock.update(5100.0, 1170.0, song);  // never back
    EXPECT_DOUBLE_EQ(clock.time(), 3180.0);
    // Resumed, it follows the song again from there.
    clock.setPaused(false, 5200.0, song);
    clock.update(5300.0, 1200.0, song);
    EXPECT_DOUBLE_EQ(clock.time(), 3200.0);
    // Without a song the pause stops the time at once.
    clock.songStopped();
    clock.setPaused(true, 5300.0, song);
    clock.update(6000.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 3200.0);
}

TEST(DemoClock, AFixedClockMovesOnlyBySetTime) {
    DemoClock clock;
    FakeSong song;
    clock.start(0.0);
    clock.setFixed(true, 0.0);
    clock.update(10000.0, kNoSong, song);
    EXPECT_EQ(clock.time(), 0.0);
    clock.setTime(40.0, 10000.0, song);
    clock.update(20000.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 40.0);
    clock.setFixed(false, 20000.0);
    clock.update(20005.0, kNoSong, song);
    EXPECT_DOUBLE_EQ(clock.time(), 45.0);
}

TEST(DemoClock, PublicClockStartsAtZeroAndIsMonotonic) {
    testsupport::resetEngine();
    QUASAR_FLUXCORE::dmsInitTimer();  // also without dmsInitEx
    float previous = QUASAR_FLUXCORE::dmsGetTime();
    EXPECT_GE(previous, 0.0f);
    EXPECT_LT(previous, 1000.0f);
    for (int i = 0; i < 1000; ++i) {
        QUASAR_FLUXCORE::dmsUpdateTimer();
        const float now = QUASAR_FLUXCORE::dmsGetTime();
        ASSERT_GE(now, previous);
        previous = now;
    }
    QUASAR_FLUXCORE::dmsSetFixedClock(true);
    QUASAR_FLUXCORE::dmsSetTime(2500.0f);
    QUASAR_FLUXCORE::dmsUpdateTimer();
    EXPECT_EQ(QUASAR_FLUXCORE::dmsGetTime(), 2500.0f);
    // Without a window the keys are not read and nothing moves.
    QUASAR_FLUXCORE::dmsCheckControls(1000.0f);
    EXPECT_EQ(QUASAR_FLUXCORE::dmsGetTime(), 2500.0f);
    testsupport::resetEngine();
}

TEST(KeyPressCounter, EveryPressBetweenTwoTakesCounts) {
    using fluxcore::ControlKey;
    struct Press {
        ControlKey key;
        bool repeat;
    };
    struct Case {
        const char* what;
        std::vector<Press> presses;
        int seekSteps;
        int pauseToggles;
    };
    const Case cases[] = {
        {"nothing", {}, 0, 0},
        {"three taps of Right", {{ControlKey::Right, false}, {ControlKey::Right, false}, {ControlKey::Right, false}}, 3, 0},
        {"Right held: press and two repeats", {{ControlKey::Right, false}, {ControlKey::Right, true}, {ControlKey::Right, true}}, 3, 0},
        {"Left held", {{ControlKey::Left, false}, {ControlKey::Left, true}}, -2, 0},
        {"Left and Right cancel", {{ControlKey::Left, false}, {ControlKey::Right, false}}, 0, 0},
        {"Space held toggles once", {{ControlKey::Space, false}, {ControlKey::Space, true}, {ControlKey::Space, true}}, 0, 1},
        {"two Space taps", {{ControlKey::Space, false}, {ControlKey::Space, false}}, 0, 2},
    };
    fluxcore::KeyPressCounter counter;
    for (const Case& c : cases) {
        for (const Press& p : c.presses) counter.press(p.key, p.repeat);
        const fluxcore::KeyPresses taken = counter.take();
        EXPECT_EQ(taken.seekSteps, c.seekSteps) << c.what;
        EXPECT_EQ(taken.pauseToggles, c.pauseToggles) << c.what;
        const fluxcore::KeyPresses again = counter.take();  // taken presses are forgotten
        EXPECT_EQ(again.seekSteps, 0) << c.what;
        EXPECT_EQ(again.pauseToggles, 0) << c.what;
    }
}

}  // namespace

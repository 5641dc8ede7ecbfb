// Songs played through SDL's audio devices: the dummy driver that consumes
// samples in real time, a driver that does not exist, and songs that are not
// songs. Every wait is bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

#include "audio/audio.h"
#include "audio/song_player.h"
#include "core/engine.h"
#include "engine_harness.h"
#include "fluxcore/dms.h"
#include "temp_folder.h"
#include "test_files.h"
#include "test_song.h"

namespace fluxcore::audio {
namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 3000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class Playback : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    void TearDown() override { stopSong(); }
};

TEST_F(Playback, PositionFollowsTheSamplesTheDeviceTakes) {
    std::string why;
    auto player = SongPlayer::start(test::toneSong(4.0), why);
    ASSERT_TRUE(player) << why;
    EXPECT_EQ(player->driver(), "dummy");
    EXPECT_NEAR(player->lengthMs(), 4000.0, 0.1);
    ASSERT_TRUE(waitFor([&] { return player->stats().callbacks >= 3; }));
    for (int i = 0; i < 20; ++i) {
        const SongPlayerStats before = player->stats();
        const double ms = player->positionMs();
        const SongPlayerStats after = player->stats();
        if (before.callbacks != after.callbacks) continue;  // a buffer went by meanwhile; look again
        // Taken so far, less the buffer still in the device, plus how far that buffer has played.
        const double takenMs = 1000.0 * before.callbacks * before.deviceFrames / before.rate;
        const double bufferMs = 1000.0 * before.deviceFrames / before.rate;
        EXPECT_GE(ms, takenMs - bufferMs - 0.01);
        EXPECT_LE(ms, takenMs + 0.01);
        std::this_thread::sleep_for(7ms);
    }
    EXPECT_EQ(player->stats().underrunFrames, 0);
    player->fadeOut();
}

TEST_F(Playback, SeamStartsSeeksPausesAndStops) {
    std::string why;
    EXPECT_LT(songPositionMs(), 0.0);
    ASSERT_TRUE(startSong(test::toneSong(3.0), why)) << why;
    ASSERT_TRUE(waitFor([] { return songPositionMs() > 100.0; }));

    seekSong(2000.0);
    EXPECT_DOUBLE_EQ(songPositionMs(), 2000.0);
    ASSERT_TRUE(waitFor([] { return songPositionMs() > 2100.0; }));
    EXPECT_LT(songPositionMs(), 2600.0);

    pauseSong(true);
    std::this_thread::sleep_for(100ms);  // the ramp and the buffer in flight
    const double paused = songPositionMs();
    std::this_thread::sleep_for(150ms);
    EXPECT_DOUBLE_EQ(songPositionMs(), paused);
    pauseSong(false);
    ASSERT_TRUE(waitFor([&] { return songPositionMs() > paused + 50.0; }));

    // Past the end the song is silence that keeps time.
    seekSong(1e9);
    EXPECT_DOUBLE_EQ(songPositionMs(), 3000.0);
    ASSERT_TRUE(waitFor([] { return songPositionMs() > 3100.0; }));

    seekSong(0.0);  // and back
    ASSERT_TRUE(waitFor([] { return songPositionMs() >= 0.0 && songPositionMs() < 500.0; }));

    stopSong();
    EXPECT_LT(songPositionMs(), 0.0);
    stopSong();  // twice is harmless
    pauseSong(true);
    seekSong(10.0);
    EXPECT_LT(songPositionMs(), 0.0);
}

TEST_F(Playback, ASongStartedMidwayPlaysOnFromThere) {
    std::string why;
    ASSERT_TRUE(startSong(test::toneSong(4.0), why, 2500.0)) << why;
    EXPECT_NEAR(songPositionMs(), 2500.0, 0.05);  // where it starts, before a buffer is taken
    ASSERT_TRUE(waitFor([] { return songPositionMs() > 2600.0; }));
    EXPECT_LT(songPositionMs(), 3500.0);
    std::string lost;
    EXPECT_FALSE(songDeviceLost(lost));  // the dummy device stays
    EXPECT_LT(songOutput().outputLatencyMs, 0.5);  // no sound server, no latency beyond the device's
    EXPECT_EQ(songOutput().driver, "dummy");
}

TEST_F(Playback, AStartedSongReplacesThePlayingOne) {
    std::string why;
    ASSERT_TRUE(startSong(test::toneSong(2.0), why)) << why;
    seekSong(1500.0);
    ASSERT_TRUE(startSong(test::toneSong(1.0), why)) << why;
    EXPECT_LT(songPositionMs(), 500.0);
}

TEST_F(Playback, NoAudioDeviceIsRefusedWithTheDriverNamed) {
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    std::string why;
    EXPECT_FALSE(startSong(test::toneSong(1.0), why));
    EXPECT_NE(why.find("no audio device"), std::string::npos) << why;
    EXPECT_NE(why.find("nonexistent"), std::string::npos) << why;
    EXPECT_LT(songPositionMs(), 0.0);
    // And it comes back once a device is there.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_TRUE(startSong(test::toneSong(1.0), why)) << why;
}

TEST_F(Playback, SongsThatAreNotSongsAreRefused) {
    std::string why;
    EXPECT_FALSE(startSong({}, why));
    EXPECT_FALSE(startSong(std::vector<unsigned char>(10000, 0x4f), why));
    EXPECT_NE(why.find("Ogg Vorbis"), std::string::npos) << why;
    EXPECT_LT(songPositionMs(), 0.0);

    // Damaged audio pages after intact headers: the damage is skipped.
    std::vector<unsigned char> damaged = test::toneSong(6.0);
    for (std::size_t i = damaged.size() * 6 / 10; i < damaged.size() * 7 / 10; ++i) damaged[i] ^= 0xa5;
    EXPECT_TRUE(startSong(damaged, why)) << why;
    EXPECT_TRUE(waitFor([] { return songPositionMs() > 100.0; }));
}

// The demo's music through the engine: whatever seeks came before the song was
// cued and after, its position is the demo time less its start (2000 ms).
TEST_F(Playback, TheSongKeepsItsPlaceOnTheDemoClockAcrossSeeks) {
    constexpr float kStart = 2000.0f;
    testsupport::TempFolder dir;
    const std::string pak = dir.write("data.pak", enginetest::makeZip({{"song1.ogg", test::toneSong(8.0)}}));
    testsupport::openArchiveHeadless(pak.c_str());
    engine().mode.sound = true;
    using namespace QUASAR_FLUXCORE;
    dmsInitTimer();
    // The song's position against the demo time, once the device has taken
    // a few buffers after the latest move; the song lags by at most the
    // device's latency and the clock never runs back to meet it.
    auto lagAfterPlaying = [&] {
        double lag = 1e9;
        const auto deadline = std::chrono::steady_clock::now() + 3000ms;
        while (std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
            dmsUpdateTimer();
            lag = (dmsGetTime() - kStart) - songPositionMs();
            if (std::abs(lag) < 60.0) break;
        }
        return lag;
    };
    struct Step {
        const char* what;
        float seekTo;
    };
    dmsSetTime(1500.0f);
    dmsSetTime(2500.0f);  // across the start before the song is cued
    dmsPlaySongFrom(1, kStart);
    ASSERT_GE(songPositionMs(), 0.0) << "the song did not start";
    EXPECT_NEAR(lagAfterPlaying(), 0.0, 60.0) << "cued at 2500 ms after a seek";
    const Step steps[] = {{"back across the start", 1000.0f}, {"forward across the start", 3700.0f},
                          {"forward within the song", 5200.0f}, {"back within the song", 2300.0f}};
    for (const Step& step : steps) {
        dmsSetTime(step.seekTo);
        if (step.seekTo < kStart) {
            // Held at its beginning until the time gets there.
            dmsUpdateTimer();
            EXPECT_LT(dmsGetTime(), kStart) << step.what;
            continue;
        }
        EXPECT_NEAR(lagAfterPlaying(), 0.0, 60.0) << step.what;
    }
    // A looping show: past the song's end, then back before its start. When
    // the time comes back to the start, the song plays again from there.
    dmsSetTime(kStart + 8500.0f);
    std::this_thread::sleep_for(100ms);
    dmsUpdateTimer();
    dmsSetTime(1800.0f);
    std::this_thread::sleep_for(400ms);
    EXPECT_NEAR(lagAfterPlaying(), 0.0, 60.0) << "looped after the song's end";
    EXPECT_GT(songPositionMs(), 100.0) << "looped after the song's end";
    testsupport::resetEngine();
}

}  // namespace
}  // namespace fluxcore::audio

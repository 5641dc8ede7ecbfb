// Songs played through SDL's audio devices: the dummy driver that consumes
// samples in real time, a driver that does not exist, and songs that are not
// songs. Every wait is bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "audio/audio.h"
#include "audio/song_player.h"
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

}  // namespace
}  // namespace fluxcore::audio

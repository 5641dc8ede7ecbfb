// The in-memory Vorbis stream's contract, built once against each decoder
// (libvorbisfile in audio_tests, stb_vorbis in vorbis_stb_tests).
#include <gtest/gtest.h>

#include <vector>

#include "audio/vorbis_stream.h"
#include "test_song.h"

namespace fluxcore::audio {
namespace {

TEST(VorbisStream, DecodesAndSeeksToTheExactFrame) {
    std::string why;
    auto whole = VorbisStream::open(test::toneSong(2.0), why);
    ASSERT_TRUE(whole) << why;
    EXPECT_EQ(whole->rate(), 44100);
    EXPECT_EQ(whole->channels(), 2);
    EXPECT_EQ(whole->totalFrames(), 88200);
    std::vector<float> all;
    std::vector<float> chunk(2 * 1000);
    for (long n; (n = whole->read(chunk.data(), 1000)) > 0;) all.insert(all.end(), chunk.begin(), chunk.begin() + 2 * n);
    ASSERT_EQ(all.size(), 2u * 88200);

    auto seeking = VorbisStream::open(test::toneSong(2.0), why);
    ASSERT_TRUE(seeking->seek(50000));
    const long n = seeking->read(chunk.data(), 200);
    ASSERT_GT(n, 0);
    for (long i = 0; i < n; ++i) {
        EXPECT_NEAR(chunk[2 * i], all[2 * (50000 + i)], 1e-3) << i;
        EXPECT_NEAR(chunk[2 * i + 1], all[2 * (50000 + i) + 1], 1e-3) << i;
    }
    EXPECT_TRUE(seeking->seek(10'000'000));  // clamped to the end
    EXPECT_EQ(seeking->read(chunk.data(), 200), 0);
}

TEST(VorbisStream, RefusesWhatIsNotASongWithAReason) {
    std::string why;
    EXPECT_FALSE(VorbisStream::open({}, why));
    EXPECT_NE(why.find("empty"), std::string::npos);
    EXPECT_FALSE(VorbisStream::open(std::vector<unsigned char>(5000, 0x55), why));
    EXPECT_NE(why.find("Ogg Vorbis"), std::string::npos) << why;
    std::vector<unsigned char> headless = test::toneSong(1.0);
    headless.erase(headless.begin(), headless.begin() + 200);  // the headers gone
    EXPECT_FALSE(VorbisStream::open(headless, why));
}

TEST(VorbisStream, GivesAMonoSongOnBothSides) {
    std::string why;
    auto stream = VorbisStream::open(test::monoSong(1.0), why);
    ASSERT_TRUE(stream) << why;
    EXPECT_EQ(stream->channels(), 1);
    EXPECT_EQ(stream->totalFrames(), 44100);
    std::vector<float> chunk(2 * 700);
    long frames = 0;
    double energy = 0.0;
    bool same = true;
    for (long n; (n = stream->read(chunk.data(), 700)) > 0; frames += n) {
        for (long i = 0; i < n; ++i) {
            same &= chunk[2 * i] == chunk[2 * i + 1];
            energy += double(chunk[2 * i]) * chunk[2 * i];
        }
    }
    EXPECT_EQ(frames, 44100);
    EXPECT_TRUE(same);
    EXPECT_NEAR(energy / 44100.0, 0.125, 0.01);  // a sine at half scale: mean square 1/8
}

// A song with 4000 bytes overwritten a third of the way in: what comes before
// the damage is decoded, then reading either ends with -1 (stb_vorbis) or
// skips the hole to the end (libvorbisfile); never more than the song holds.
TEST(VorbisStream, DamagedPagesEndTheReadOrAreSkipped) {
    std::vector<unsigned char> song = test::toneSong(4.0);
    for (std::size_t i = song.size() / 3; i < song.size() / 3 + 4000; ++i) song[i] = 0x55;
    std::string why;
    auto stream = VorbisStream::open(song, why);
    ASSERT_TRUE(stream) << why;
    std::vector<float> chunk(2 * 1000);
    long frames = 0;
    long n = 0;
    while ((n = stream->read(chunk.data(), 1000)) > 0) frames += n;
    EXPECT_TRUE(n == 0 || n == -1) << n;
    EXPECT_GT(frames, 10000);
    EXPECT_LT(frames, 4 * 44100);
}

}  // namespace
}  // namespace fluxcore::audio

// The soundtrack on a capture's timeline: where the song starts for each
// --from, to the sample, and how long the audio of a frame count lasts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/song.h"

namespace {

using capture::Pcm;

// A stereo "song" of `frames` frames at 44.1 kHz whose left sample is its
// own frame number + 1 (never 0, so silence shows) and right its negation.
Pcm numbered(std::int64_t frames) {
    Pcm song;
    song.rate = 44100;
    song.channels = 2;
    for (std::int64_t i = 0; i < frames; ++i) {
        song.samples.push_back(static_cast<std::int16_t>(i + 1));
        song.samples.push_back(static_cast<std::int16_t>(-(i + 1)));
    }
    return song;
}

// The song frame heard at output frame i, or -1 for silence.
std::int64_t heardAt(const Pcm& out, std::int64_t i) {
    const std::int16_t left = out.samples[static_cast<std::size_t>(i * 2)];
    EXPECT_EQ(out.samples[static_cast<std::size_t>(i * 2 + 1)], -left) << "channels stay paired";
    return left - 1;
}

TEST(SongOnTimeline, StartsAtItsOffsetToTheSampleAndFillsTheRestWithSilence) {
    const Pcm song = numbered(20000);
    // From 0: the music comes in 2000 ms later, 88200 frames.
    Pcm out = capture::songOnTimeline(song, 2000, 110000);
    EXPECT_EQ(out.frames(), 110000);
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(heardAt(out, 88199), -1);
    EXPECT_EQ(heardAt(out, 88200), 0);
    EXPECT_EQ(heardAt(out, 88200 + 19999), 19999);
    EXPECT_EQ(heardAt(out, 88200 + 20000), -1) << "silence after the song's end";

    // From 2150: 150 ms into the song, 6615 frames.
    out = capture::songOnTimeline(song, -150, 1000);
    EXPECT_EQ(heardAt(out, 0), 6615);
    EXPECT_EQ(heardAt(out, 999), 7614);

    // 1 ms is 44.1 frames: to the nearest, halves away from zero.
    EXPECT_EQ(heardAt(capture::songOnTimeline(song, -1, 10), 0), 44);
    EXPECT_EQ(heardAt(capture::songOnTimeline(song, -5, 10), 0), 221) << "220.5";
    EXPECT_EQ(heardAt(capture::songOnTimeline(song, 5, 300), 220), -1);
    EXPECT_EQ(heardAt(capture::songOnTimeline(song, 5, 300), 221), 0);

    // Entirely before or after the song: all silence, still of the length asked.
    out = capture::songOnTimeline(song, -1000000, 50);
    EXPECT_EQ(out.frames(), 50);
    for (std::int64_t i = 0; i < 50; ++i) EXPECT_EQ(heardAt(out, i), -1);
    out = capture::songOnTimeline(song, 60000, 50);
    EXPECT_EQ(heardAt(out, 49), -1);
    EXPECT_EQ(capture::songOnTimeline(song, 0, 0).frames(), 0);
}

TEST(SongOnTimeline, AudioLastsAsLongAsTheFramesToTheSample) {
    using capture::FrameRate;
    EXPECT_EQ(capture::audioFramesFor(2940, FrameRate(60), 44100), 49 * 44100);
    EXPECT_EQ(capture::audioFramesFor(2940, FrameRate(60), 48000), 49 * 48000);
    // 2938 frames at 60000/1001 last 49.015633 s: 2352750.4 frames at 48 kHz.
    EXPECT_EQ(capture::audioFramesFor(2938, FrameRate(60000, 1001), 48000), 2352750);
    EXPECT_EQ(capture::audioFramesFor(2938, FrameRate(60000, 1001), 44100), 2161589) << "2161589.41";
    EXPECT_EQ(capture::audioFramesFor(1, FrameRate(30000, 1001), 44100), 1471) << "1471.47";
    EXPECT_EQ(capture::audioFramesFor(0, FrameRate(60), 44100), 0);
}

TEST(DecodeSong, RefusesWhatIsNotOggVorbis) {
    Pcm pcm;
    std::string why;
    EXPECT_FALSE(capture::decodeSong({}, pcm, why));
    EXPECT_EQ(why, "not Ogg Vorbis data");
    const std::vector<std::uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_FALSE(capture::decodeSong(riff, pcm, why));
    EXPECT_EQ(why, "not Ogg Vorbis data");
}

}  // namespace

// Output names and the ffmpeg command line, above all the soundtrack's offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/ffmpeg_command.h"
#include "capture/options.h"
#include "capture/output_target.h"

namespace {

using capture::FramePattern;

// The value after flag in args ("" if absent), and whether flag occurs.
std::string valueOf(const std::vector<std::string>& args, const std::string& flag) {
    const auto it = std::find(args.begin(), args.end(), flag);
    return it == args.end() || it + 1 == args.end() ? std::string() : *(it + 1);
}
bool has(const std::vector<std::string>& args, const std::string& flag) {
    return std::find(args.begin(), args.end(), flag) != args.end();
}

TEST(FramePattern, ParsesPaddingAndLiteralPercent) {
    const auto p = capture::parseFramePattern("out/shot_%05d.png");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pathFor(0), "out/shot_00000.png");
    EXPECT_EQ(p->pathFor(2939), "out/shot_02939.png");
    EXPECT_EQ(p->pathFor(123456), "out/shot_123456.png") << "wider numbers are not cut";

    const auto plain = capture::parseFramePattern("f%d.png");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->pathFor(7), "f7.png");

    const auto percent = capture::parseFramePattern("100%%_%03d.png");
    ASSERT_TRUE(percent);
    EXPECT_EQ(percent->pathFor(4), "100%_004.png");

    EXPECT_FALSE(capture::parseFramePattern("shot.png"));
    EXPECT_FALSE(capture::parseFramePattern("50%%.png"));
    EXPECT_THROW(capture::parseFramePattern("f%d_%d.png"), capture::UsageError);
    EXPECT_THROW(capture::parseFramePattern("f%x.png"), capture::UsageError);
    EXPECT_THROW(capture::parseFramePattern("f%00d.png"), capture::UsageError);
    EXPECT_THROW(capture::parseFramePattern("f%0.png"), capture::UsageError);
    EXPECT_THROW(capture::parseFramePattern("f%"), capture::UsageError);
}

TEST(VideoFormat, ByExtension) {
    const auto mp4 = capture::videoFormatFor("a/b.c/Demo.MP4");
    ASSERT_TRUE(mp4);
    EXPECT_EQ(mp4->muxer, "mp4");
    EXPECT_TRUE(mp4->x264);
    EXPECT_EQ(valueOf(mp4->videoArgs, "-c:v"), "libx264");
    EXPECT_EQ(valueOf(mp4->videoArgs, "-pix_fmt"), "yuv420p");
    EXPECT_EQ(capture::videoFormatFor("x.mkv")->muxer, "matroska");
    EXPECT_EQ(capture::videoFormatFor("x.webm")->muxer, "webm");
    EXPECT_FALSE(capture::videoFormatFor("x.webm")->x264);
    EXPECT_FALSE(capture::videoFormatFor("x.png"));
    EXPECT_FALSE(capture::videoFormatFor("mp4"));
    EXPECT_FALSE(capture::videoFormatFor("dir.mp4/file"));
}

capture::VideoRequest request(std::int64_t songOffsetMs, const std::string& song = "/tmp/song.ogg") {
    capture::VideoRequest r;
    r.width = 320;
    r.height = 240;
    r.fps = 60;
    r.frameCount = 120;
    r.format = *capture::videoFormatFor("x.mp4");
    r.songPath = song;
    r.songOffsetMs = songOffsetMs;
    r.outputPath = "x.mp4.partial";
    return r;
}

TEST(FfmpegCommand, RawFramesInVideoOutWithExactLength) {
    const auto args = capture::buildFfmpegArgs(request(2000));
    EXPECT_EQ(valueOf(args, "-pix_fmt"), "rgb24");
    EXPECT_EQ(valueOf(args, "-video_size"), "320x240");
    EXPECT_EQ(valueOf(args, "-framerate"), "60");
    EXPECT_EQ(valueOf(args, "-t"), "2.000000");
    EXPECT_EQ(valueOf(args, "-preset"), "veryfast");
    EXPECT_EQ(valueOf(args, "-crf"), "18");
    EXPECT_EQ(valueOf(args, "-c:a"), "aac");
    // The raw stream is the first input and the output comes last, after its muxer.
    const auto firstInput = std::find(args.begin(), args.end(), "-i");
    ASSERT_NE(firstInput, args.end());
    EXPECT_EQ(*(firstInput + 1), "pipe:0");
    ASSERT_GE(args.size(), 3u);
    EXPECT_EQ(args[args.size() - 3], "-f");
    EXPECT_EQ(args[args.size() - 2], "mp4");
    EXPECT_EQ(args.back(), "x.mp4.partial");
    EXPECT_TRUE(has(args, "-nostdin"));
}

TEST(FfmpegCommand, SoundtrackOffsetFollowsTheSpanStart) {
    // From 0: the music comes in 2 s into the video.
    auto args = capture::buildFfmpegArgs(request(2000));
    EXPECT_EQ(valueOf(args, "-af"), "adelay=delays=2000:all=1,apad");
    EXPECT_FALSE(has(args, "-ss"));
    EXPECT_EQ(valueOf(args, "-map"), "0:v");

    // From 1500: 500 ms of silence first.
    args = capture::buildFfmpegArgs(request(500));
    EXPECT_EQ(valueOf(args, "-af"), "adelay=delays=500:all=1,apad");

    // From exactly 2000: the song starts with the first frame.
    args = capture::buildFfmpegArgs(request(0));
    EXPECT_EQ(valueOf(args, "-af"), "apad");
    EXPECT_FALSE(has(args, "-ss"));

    // From 20000: the song is entered 18 s in; the seek is an input option of the song.
    args = capture::buildFfmpegArgs(request(-18000));
    EXPECT_EQ(valueOf(args, "-ss"), "18.000");
    EXPECT_EQ(valueOf(args, "-af"), "apad");
    const auto ss = std::find(args.begin(), args.end(), "-ss");
    EXPECT_EQ(*(ss + 2), "-i");
    EXPECT_EQ(*(ss + 3), "/tmp/song.ogg");
}

TEST(FfmpegCommand, NoSongMeansNoAudioInputOrCodec) {
    const auto args = capture::buildFfmpegArgs(request(2000, ""));
    EXPECT_EQ(std::count(args.begin(), args.end(), "-i"), 1);
    EXPECT_FALSE(has(args, "-af"));
    EXPECT_FALSE(has(args, "-c:a"));
    EXPECT_EQ(std::count(args.begin(), args.end(), "-map"), 1);
}

TEST(FindExecutable, SearchesPathAndTakesPathsAsGiven) {
    EXPECT_EQ(capture::findExecutable("sh", "/nonexistent:/bin"), "/bin/sh");
    EXPECT_EQ(capture::findExecutable("sh", "/nonexistent"), "");
    EXPECT_EQ(capture::findExecutable("sh", ""), "");
    EXPECT_EQ(capture::findExecutable("/bin/sh", ""), "/bin/sh");
    EXPECT_EQ(capture::findExecutable("/bin", "/bin") , "") << "a folder is not a program";
    EXPECT_EQ(capture::findExecutable("/etc/passwd", ""), "") << "not executable";
    EXPECT_EQ(capture::findExecutable("", "/bin"), "");
}

}  // namespace

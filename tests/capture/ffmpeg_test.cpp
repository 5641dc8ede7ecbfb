// Videos through ffmpeg: containers by name, the command line (above all the
// soundtrack's offset), the program lookup, and the child process with
// stand-in programs for ffmpeg so failures can be provoked.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "capture/ffmpeg.h"
#include "temp_folder.h"

namespace {

// The value after flag in args ("" if absent), and whether flag occurs.
std::string valueOf(const std::vector<std::string>& args, const std::string& flag) {
    const auto it = std::find(args.begin(), args.end(), flag);
    return it == args.end() || it + 1 == args.end() ? std::string() : *(it + 1);
}
bool has(const std::vector<std::string>& args, const std::string& flag) {
    return std::find(args.begin(), args.end(), flag) != args.end();
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
    EXPECT_EQ(valueOf(args, "-pix_fmt"), "bgr24") << "frames as read back, no conversion of ours";
    EXPECT_EQ(valueOf(args, "-vf"), "vflip") << "rows arrive bottom first";
    EXPECT_EQ(valueOf(args, "-video_size"), "320x240");
    EXPECT_EQ(valueOf(args, "-framerate"), "60");
    EXPECT_EQ(valueOf(args, "-t"), "2.000000");
    EXPECT_EQ(valueOf(args, "-preset"), "ultrafast");
    EXPECT_EQ(valueOf(args, "-crf"), "18");
    EXPECT_EQ(valueOf(args, "-c:a"), "aac");
    // The raw stream is the first input and the output comes last, after its muxer.
    const auto firstInput = std::find(args.begin(), args.end(), "-i");
    ASSERT_NE(firstInput, args.end());
    EXPECT_EQ(*(firstInput + 1), "pipe:0");
    ASSERT_GE(args.size(), 3u);
    EXPECT_EQ(args[args.size() - 3], "-f");
    EXPECT_EQ(args[args.size() - 2], "mp4");
    // Every file name as a plain file, never a protocol or an option.
    ASSERT_EQ(args.back().rfind("file:/", 0), 0u) << args.back();
    EXPECT_EQ(args.back().substr(args.back().size() - 14), "/x.mp4.partial");
    EXPECT_EQ(*(std::find(firstInput + 1, args.end(), "-i") + 1), "file:/tmp/song.ogg");
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
    EXPECT_EQ(*(ss + 3), "file:/tmp/song.ogg");
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

// A folder with a stand-in program; removed afterwards.
class FakeFfmpeg : public ::testing::Test {
protected:
    std::string script(const std::string& name, const std::string& body) {
        const std::string path = folder_.file(name);
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0755);
        return path;
    }
    std::string file(const std::string& name) { return folder_.file(name); }
    static bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

    testsupport::TempFolder folder_{"gm-capture-fake"};
    const std::string dir_{folder_.path()};
};

TEST_F(FakeFfmpeg, FeedsStdinAndSucceeds) {
    const std::string out = file("copy.bin");
    capture::FfmpegPipe pipe(script("copy", "cat > \"$1\""), {out});
    const std::vector<char> data(3 * 1024 * 1024, 'x');  // more than a pipe holds
    pipe.write(data.data(), data.size());
    pipe.finish();
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), data.size());
}

TEST_F(FakeFfmpeg, AFailingChildIsReportedWithItsStatusAndStderr) {
    const std::string prog = script("fail", "echo 'line one' >&2\necho \"Unknown encoder 'libx264'\" >&2\nexit 3");
    {
        capture::FfmpegPipe pipe(prog, {});
        const std::vector<char> data(4 * 1024 * 1024, 0);
        try {
            pipe.write(data.data(), data.size());
            pipe.finish();
            ADD_FAILURE() << "expected a failure";
        } catch (const capture::FfmpegError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find("ffmpeg failed (exit status 3)"), std::string::npos) << what;
            EXPECT_NE(what.find("Unknown encoder 'libx264'"), std::string::npos) << what;
        }
        EXPECT_EQ(pipe.stderrTail(1), "Unknown encoder 'libx264'");
        EXPECT_EQ(pipe.stderrTail(5), "line one\nUnknown encoder 'libx264'");
    }
    // Exit 0 without reading everything is still a failure.
    capture::FfmpegPipe early(script("early", "exit 0"), {});
    const std::vector<char> data(4 * 1024 * 1024, 0);
    try {
        early.write(data.data(), data.size());
        early.finish();
        ADD_FAILURE() << "expected a failure";
    } catch (const capture::FfmpegError& e) {
        EXPECT_NE(std::string(e.what()).find("stopped reading"), std::string::npos) << e.what();
    }

    EXPECT_THROW(capture::FfmpegPipe(dir_ + "/no-such-program", {}), capture::FfmpegError);
}

TEST_F(FakeFfmpeg, KillUnblocksAWriterStuckOnAChildThatDoesNotRead) {
    capture::FfmpegPipe pipe(script("stuck", "exec sleep 30"), {});
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pipe.kill();
    });
    const std::vector<char> data(8 * 1024 * 1024, 0);
    try {
        pipe.write(data.data(), data.size());
        ADD_FAILURE() << "expected a failure";
    } catch (const capture::FfmpegError& e) {
        EXPECT_NE(std::string(e.what()).find("killed by signal 9"), std::string::npos) << e.what();
    }
    killer.join();
}

TEST_F(FakeFfmpeg, VideoSinkLeavesNoFileWhenFfmpegFails) {
    const std::string out = file("demo.mp4");
    capture::VideoRequest request;
    request.width = 64;
    request.height = 48;
    request.frameCount = 10;
    request.format = *capture::videoFormatFor(out);
    // Ten blank frames through the writer thread into a video sink on program.
    const auto capture10 = [&](const std::string& program) {
        capture::VideoSink sink(program, request, out);
        capture::FrameWriter writer(sink, 64, 48);
        for (int i = 0; i < 10; ++i) {
            capture::Frame* frame = writer.acquire();
            frame->index = i;
            writer.submit(frame);
        }
        writer.finish();
    };
    // Writes a partial file, complains, and fails midway.
    std::string message;
    try {
        capture10(script("ffmpeg", "for last; do :; done\nhead -c 1000 > \"${last#file:}\"\necho 'Conversion failed!' >&2\nexit 1"));
    } catch (const capture::FfmpegError& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("exit status 1"), std::string::npos) << message;
    EXPECT_NE(message.find("Conversion failed!"), std::string::npos) << message;
    EXPECT_FALSE(exists(out));
    EXPECT_FALSE(exists(out + ".partial"));

    // The same run with a stand-in that succeeds is renamed into place.
    capture10(script("ffmpeg-ok", "for last; do :; done\ncat > \"${last#file:}\""));
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 10 * 64 * 48 * 3) << "bgr24 frames as read back, nothing dropped or added";
    EXPECT_FALSE(exists(out + ".partial"));
}

}  // namespace

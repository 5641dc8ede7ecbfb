// Videos through ffmpeg: containers by name, the command line (each encode's
// settings and colour, the raw frames and samples in), the program lookup, and
// the child process with stand-in programs for ffmpeg so failures can be provoked.
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
    EXPECT_EQ(mp4->codec, capture::VideoCodec::H264);
    EXPECT_EQ(valueOf(mp4->muxerArgs, "-movflags"), "+faststart") << "the index at the front";
    EXPECT_EQ(capture::videoFormatFor("x.mkv")->muxer, "matroska");
    EXPECT_EQ(capture::videoFormatFor("x.mkv")->codec, capture::VideoCodec::H264);
    EXPECT_EQ(capture::videoFormatFor("x.webm")->muxer, "webm");
    EXPECT_EQ(capture::videoFormatFor("x.webm")->codec, capture::VideoCodec::Vp9);
    EXPECT_FALSE(capture::videoFormatFor("x.png"));
    EXPECT_FALSE(capture::videoFormatFor("mp4"));
    EXPECT_FALSE(capture::videoFormatFor("dir.mp4/file"));
    // The lossless master is Matroska's alone.
    const auto master = capture::videoFormatFor("Master.MKV", true);
    ASSERT_TRUE(master);
    EXPECT_EQ(master->codec, capture::VideoCodec::Ffv1);
    EXPECT_EQ(valueOf(master->audioArgs, "-c:a"), "flac");
    EXPECT_FALSE(has(master->audioArgs, "-ar")) << "the song's own rate, not resampled";
    EXPECT_FALSE(capture::videoFormatFor("x.mp4", true));
}

capture::VideoRequest request(const std::string& name = "x.mp4", const std::string& song = "/tmp/song.pcm") {
    capture::VideoRequest r;
    r.width = 320;
    r.height = 240;
    r.fps = capture::FrameRate(60);
    r.frameCount = 120;
    r.format = *capture::videoFormatFor(name, name == "master.mkv");
    r.songPath = song;
    r.outputPath = name + ".partial";
    return r;
}

TEST(FfmpegCommand, RawFramesAndSamplesInVideoOut) {
    auto r = request();
    r.fps = capture::FrameRate(60000, 1001);
    r.songRate = 44100;
    const auto args = capture::buildFfmpegArgs(r);
    EXPECT_EQ(valueOf(args, "-pix_fmt"), "bgr24") << "frames as read back, no conversion of ours";
    EXPECT_EQ(valueOf(args, "-video_size"), "320x240");
    EXPECT_EQ(valueOf(args, "-framerate"), "60000/1001") << "the exact rate, not 59.94";
    EXPECT_FALSE(has(args, "-r"));
    EXPECT_FALSE(has(args, "-t")) << "the frames and the samples are exactly as long already";
    // The raw stream is the first input, the song's samples the second; the
    // output comes last, after its muxer.
    const auto firstInput = std::find(args.begin(), args.end(), "-i");
    ASSERT_NE(firstInput, args.end());
    EXPECT_EQ(*(firstInput + 1), "pipe:0");
    const auto songInput = std::find(firstInput + 1, args.end(), "-i");
    ASSERT_NE(songInput, args.end());
    EXPECT_EQ(*(songInput + 1), "file:/tmp/song.pcm");
    EXPECT_EQ(std::vector<std::string>(songInput - 6, songInput),
              (std::vector<std::string>{"-f", "s16le", "-ar", "44100", "-ac", "2"}));
    ASSERT_GE(args.size(), 3u);
    EXPECT_EQ(args[args.size() - 3], "-f");
    EXPECT_EQ(args[args.size() - 2], "mp4");
    // Every file name as a plain file, never a protocol or an option.
    ASSERT_EQ(args.back().rfind("file:/", 0), 0u) << args.back();
    EXPECT_EQ(args.back().substr(args.back().size() - 14), "/x.mp4.partial");
    EXPECT_TRUE(has(args, "-nostdin"));
    // AAC-LC at 48 kHz stereo, resampled from the song's rate.
    EXPECT_EQ(valueOf(args, "-c:a"), "aac");
    EXPECT_EQ(valueOf(args, "-profile:a"), "aac_low");
    EXPECT_EQ(valueOf(args, "-ar"), "44100") << "the input's rate comes first";
    const auto outRate = std::find(songInput, args.end(), "-ar");
    ASSERT_NE(outRate, args.end());
    EXPECT_EQ(*(outRate + 1), "48000");
    EXPECT_EQ(valueOf(std::vector<std::string>(outRate, args.end()), "-ac"), "2");
}

TEST(FfmpegCommand, UploadH264DraftH264Vp9AndTheMasterEachGetTheirSettings) {
    // Upload: High profile, a closed GOP of half the frame rate with no
    // keyframes between, 2 B-frames, BT.709 made and declared.
    auto upload = capture::buildFfmpegArgs(request());
    EXPECT_EQ(valueOf(upload, "-c:v"), "libx264");
    EXPECT_EQ(valueOf(upload, "-preset"), "veryfast");
    EXPECT_EQ(valueOf(upload, "-crf"), "18");
    EXPECT_EQ(valueOf(upload, "-profile:v"), "high");
    EXPECT_EQ(valueOf(upload, "-g"), "30");
    EXPECT_EQ(valueOf(upload, "-keyint_min"), "30");
    EXPECT_EQ(valueOf(upload, "-sc_threshold"), "0");
    EXPECT_EQ(valueOf(upload, "-bf"), "2");
    EXPECT_EQ(valueOf(upload, "-flags"), "+cgop");
    const std::string bt709 = "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";
    EXPECT_EQ(valueOf(upload, "-vf"), bt709) << "rows arrive bottom first; the matrix is BT.709's, not BT.601's";
    for (const char* tag : {"-colorspace", "-color_primaries", "-color_trc"}) EXPECT_EQ(valueOf(upload, tag), "bt709") << tag;
    EXPECT_EQ(valueOf(upload, "-color_range"), "tv");

    EXPECT_EQ(capture::uploadGop(capture::FrameRate(60000, 1001)), 30);
    EXPECT_EQ(capture::uploadGop(capture::FrameRate(25)), 13);
    EXPECT_EQ(capture::uploadGop(capture::FrameRate(144)), 72);
    EXPECT_EQ(capture::uploadGop(capture::FrameRate(1)), 1);

    // Draft: the preset alone, colour still right.
    auto r = request();
    r.draft = true;
    r.preset = "ultrafast";
    const auto draft = capture::buildFfmpegArgs(r);
    EXPECT_EQ(valueOf(draft, "-preset"), "ultrafast");
    for (const char* upOnly : {"-profile:v", "-g", "-bf", "-flags"}) EXPECT_FALSE(has(draft, upOnly)) << upOnly;
    EXPECT_EQ(valueOf(draft, "-vf"), bt709);
    EXPECT_EQ(valueOf(draft, "-colorspace"), "bt709");

    const auto vp9 = capture::buildFfmpegArgs(request("x.webm"));
    EXPECT_EQ(valueOf(vp9, "-c:v"), "libvpx-vp9");
    EXPECT_EQ(valueOf(vp9, "-vf"), bt709);
    for (const char* tag : {"-colorspace", "-color_primaries", "-color_trc"}) EXPECT_EQ(valueOf(vp9, tag), "bt709") << tag;
    EXPECT_EQ(valueOf(vp9, "-c:a"), "libopus");
    EXPECT_FALSE(has(vp9, "-preset"));

    // The master: FFV1 level 3 RGB, CRCs on its slices, FLAC at the song's rate.
    const auto master = capture::buildFfmpegArgs(request("master.mkv"));
    EXPECT_EQ(valueOf(master, "-c:v"), "ffv1");
    EXPECT_EQ(valueOf(master, "-level"), "3");
    EXPECT_EQ(valueOf(master, "-slicecrc"), "1");
    EXPECT_EQ(valueOf(master, "-vf"), "vflip") << "no colour conversion";
    EXPECT_EQ(std::count(master.begin(), master.end(), "-pix_fmt"), 2) << "bgr24 in, bgr0 out";
    EXPECT_EQ(*(std::find(master.rbegin(), master.rend(), "-pix_fmt") - 1), "bgr0");
    EXPECT_EQ(valueOf(master, "-colorspace"), "rgb");
    EXPECT_EQ(valueOf(master, "-c:a"), "flac");
    EXPECT_EQ(std::count(master.begin(), master.end(), "-ar"), 1) << "the song's rate only as the input's";
    EXPECT_FALSE(has(master, "-crf"));
}

TEST(FfmpegCommand, NoSongMeansNoAudioInputOrCodec) {
    const auto args = capture::buildFfmpegArgs(request("x.mp4", ""));
    EXPECT_EQ(std::count(args.begin(), args.end(), "-i"), 1);
    EXPECT_FALSE(has(args, "-c:a"));
    EXPECT_FALSE(has(args, "-ar"));
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

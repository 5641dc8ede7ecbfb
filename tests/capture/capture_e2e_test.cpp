// The capture program end to end, headless with Mesa: determinism, what the
// frames show, the videos with their soundtrack (upload settings, colour,
// fractional rates, the lossless master), antialiasing, the flash report, and
// the failure paths.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capture/ffmpeg.h"
#include "capture/pictures.h"
#include "capture/song.h"
#include "data/zip_archive.h"

#include "png_decode.h"
#include "temp_folder.h"

namespace {

using capture::Image;
using capturetest::decodePicture;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Runs program with args in dir, with env overrides, killing it after
// timeoutSeconds (a test failure). interruptAfterMs >= 0 sends SIGINT then.
Result run(const std::string& dir, const std::string& program, const std::vector<std::string>& args,
           const std::map<std::string, std::string>& env = {}, int timeoutSeconds = 120, int interruptAfterMs = -1) {
    // Beside the folder, not in it, so they never show in its listing.
    const std::string outPath = dir + ".stdout", errPath = dir + ".stderr";
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    Result r;
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false;
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!interrupted && interruptAfterMs >= 0 && elapsed > std::chrono::milliseconds(interruptAfterMs)) {
            ::kill(pid, SIGINT);
            interrupted = true;
        }
        if (elapsed > std::chrono::seconds(timeoutSeconds)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << program << " did not end within " << timeoutSeconds << " s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    r.out = readText(outPath);
    r.err = readText(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return r;
}


Image loadPng(const std::string& path) {
    const std::string bytes = readText(path);
    return decodePicture(std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

// A file from data.pak, read with the engine's own archive reader.
std::vector<unsigned char> archiveFile(const char* name) {
    std::vector<unsigned char> bytes;
    try {
        fluxcore::ZipArchive(GM_DATA_PAK, GM_DATA_PAK).read(name, bytes);
    } catch (const char*) {
        bytes.clear();
    }
    return bytes;
}

struct Mean {
    double r = 0, g = 0, b = 0;
    double brightness() const { return (r + g + b) / 3; }
};

Mean meanColour(const Image& image, int y0, int y1) {
    Mean m;
    double n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < image.width; ++x) {
            const auto* p = image.pixel(x, y);
            m.r += p[0];
            m.g += p[1];
            m.b += p[2];
            ++n;
        }
    m.r /= n;
    m.g /= n;
    m.b /= n;
    return m;
}

double meanAbsoluteDifference(const Image& a, const Image& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / static_cast<double>(a.rgb.size());
}

std::string tool(const char* name) {
    const char* path = std::getenv("PATH");
    return capture::findExecutable(name, path ? path : "");
}

#define REQUIRE_FFMPEG()                                                          \
    if (tool("ffmpeg").empty() || tool("ffprobe").empty())                        \
    GTEST_SKIP() << "ffmpeg and ffprobe are needed for this test and not installed"

// ffprobe's answer for one entry of one stream kind, e.g. ("v:0", "stream=nb_read_frames").
std::string probe(const std::string& dir, const std::string& file, const std::vector<std::string>& query) {
    std::vector<std::string> args = {"-v", "error"};
    args.insert(args.end(), query.begin(), query.end());
    args.insert(args.end(), {"-of", "default=noprint_wrappers=1:nokey=1", file});
    Result r = run(dir, tool("ffprobe"), args, {}, 60);
    while (!r.out.empty() && (r.out.back() == '\n' || r.out.back() == '\r')) r.out.pop_back();
    return r.out;
}

// Peak level in dB of the audio between two times, through ffmpeg's volumedetect.
double peakDb(const std::string& dir, const std::string& file, double from, double to) {
    const Result r = run(dir, tool("ffmpeg"),
                         {"-hide_banner", "-nostats", "-i", file, "-af",
                          "atrim=" + std::to_string(from) + ":" + std::to_string(to) + ",volumedetect", "-f", "null", "-"},
                         {}, 60);
    const auto at = r.err.find("max_volume: ");
    if (at == std::string::npos) return 0.0;
    return std::strtod(r.err.c_str() + at + 12, nullptr);
}

// The video's frames decoded by ffmpeg to RGB through a filter (the colour
// conversion to use), up to `count` of them.
std::vector<Image> decodeFrames(const std::string& dir, const std::string& file, const std::string& filter, int width,
                                int height, int count) {
    const Result r = run(dir, tool("ffmpeg"),
                         {"-hide_banner", "-loglevel", "error", "-y", "-i", file, "-map", "0:v", "-frames:v",
                          std::to_string(count), "-vf", filter + ",format=rgb24", "-f", "rawvideo",
                          "file:" + dir + "/decoded.rgb"},
                         {}, 60);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string raw = readText(dir + "/decoded.rgb");
    ::unlink((dir + "/decoded.rgb").c_str());
    std::vector<Image> frames;
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 3;
    for (std::size_t at = 0; at + bytes <= raw.size(); at += bytes) {
        frames.emplace_back(width, height);
        std::copy(raw.begin() + at, raw.begin() + at + bytes, frames.back().rgb.begin());
    }
    return frames;
}

// The video's sound decoded by ffmpeg to interleaved 16-bit samples.
std::vector<std::int16_t> decodeSound(const std::string& dir, const std::string& file) {
    const Result r = run(dir, tool("ffmpeg"),
                         {"-hide_banner", "-loglevel", "error", "-y", "-i", file, "-map", "0:a", "-c:a", "pcm_s16le",
                          "-f", "s16le", "file:" + dir + "/decoded.pcm"},
                         {}, 60);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string raw = readText(dir + "/decoded.pcm");
    ::unlink((dir + "/decoded.pcm").c_str());
    std::vector<std::int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    return samples;
}

class CaptureProgram : public ::testing::Test {
protected:
    Result capture(std::vector<std::string> args, const std::map<std::string, std::string>& env = {},
                   int interruptAfterMs = -1) {
        args.insert(args.end(), {"--data", GM_DATA_PAK});
        return run(dir_, GM_CAPTURE_PROGRAM, args, env, 120, interruptAfterMs);
    }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    // Everything in the folder, to check that no partial file was left.
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        const Result r = run(dir_, "/bin/ls", {"-A"}, {}, 10);
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) names.push_back(line);
        return names;
    }

    testsupport::TempFolder folder_{"gm-capture-e2e"};
    const std::string dir_{folder_.path()};
};

TEST_F(CaptureProgram, SameCommandGivesTheSamePixels) {
    // One frame, twice, from separate runs.
    for (const char* name : {"a.png", "b.png"}) {
        const Result r = capture({"-o", name, "--frame-at", "20000", "--width", "320", "--height", "240"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    const Image a = loadPng(path("a.png")), b = loadPng(path("b.png"));
    ASSERT_EQ(a.width, 320);
    ASSERT_EQ(a.height, 240);
    EXPECT_EQ(a.rgb, b.rgb);

    // A short sequence across the music cue, twice: every frame matches, so
    // nothing depends on the wall clock or on how fast frames were written.
    for (const char* pattern : {"x_%02d.png", "y_%02d.png"}) {
        const Result r = capture({"-o", pattern, "--from", "1950", "--to", "2100", "--width", "160", "--height", "120"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    for (int i = 0; i < 9; ++i) {
        char x[16], y[16];
        std::snprintf(x, sizeof x, "x_%02d.png", i);
        std::snprintf(y, sizeof y, "y_%02d.png", i);
        const Image fx = loadPng(path(x)), fy = loadPng(path(y));
        ASSERT_EQ(fx.width, 160) << x;
        EXPECT_EQ(fx.rgb, fy.rgb) << "frame " << i;
    }
    EXPECT_FALSE(exists(path("x_09.png"))) << "9 frames at 60 fps fill 1950 to 2100 ms";
}

TEST_F(CaptureProgram, LoadingPictureFirstThenTheScene) {
    for (const char* at : {"1000", "20000"}) {
        const Result r = capture({"-o", std::string("f") + at + ".png", "--frame-at", at, "--width", "320", "--height", "240"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    const Image intro = loadPng(path("f1000.png"));
    const Image scene = loadPng(path("f20000.png"));
    const Image picture = decodePicture(archiveFile("loadpic.jpg"));
    ASSERT_GT(picture.width, 0) << "loadpic.jpg not readable from " << GM_DATA_PAK;
    const Image expected = capture::scaleArea(picture, 320, 240);

    // At 1 s the frame is the loading picture, filling the screen.
    EXPECT_LT(meanAbsoluteDifference(intro, expected), 12.0);
    EXPECT_GT(meanAbsoluteDifference(scene, expected), 2 * meanAbsoluteDifference(intro, expected));
    // At 20 s the sky above the scene is black and the grid below is dark blue.
    const Mean sky = meanColour(scene, 0, 30);
    const Mean ground = meanColour(scene, 210, 240);
    EXPECT_LT(sky.brightness(), 4.0);
    EXPECT_GT(ground.b, ground.g);
    EXPECT_GT(ground.g, ground.r);
    EXPECT_GT(ground.b, 20.0);
    EXPECT_LT(ground.brightness(), 100.0);
    // The loading picture has no black sky.
    EXPECT_GT(meanColour(intro, 0, 30).brightness(), sky.brightness() + 2.0);
}

TEST_F(CaptureProgram, TwoSecondVideoHasItsFramesDurationAndSoundtrack) {
    REQUIRE_FFMPEG();
    const Result r = capture({"-o", "clip.mp4", "--from", "1000", "--to", "3000", "--width", "320", "--height", "240"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(listing(), std::vector<std::string>{"clip.mp4"}) << "no temporary files stay behind";
    EXPECT_EQ(probe(dir_, "clip.mp4", {"-select_streams", "v:0", "-count_frames", "-show_entries", "stream=nb_read_frames"}), "120");
    EXPECT_EQ(probe(dir_, "clip.mp4", {"-select_streams", "v:0", "-show_entries", "stream=codec_name,width,height,pix_fmt"}),
              "h264\n320\n240\nyuv420p");
    EXPECT_NEAR(std::stod(probe(dir_, "clip.mp4", {"-show_entries", "format=duration"})), 2.0, 0.05);
    EXPECT_EQ(probe(dir_, "clip.mp4", {"-select_streams", "a", "-show_entries", "stream=codec_type"}), "audio");
    // The music comes in at 2 s of demo time, 1 s into this clip: silence before.
    EXPECT_LT(peakDb(dir_, "clip.mp4", 0.0, 0.95), -80.0);
    EXPECT_GT(peakDb(dir_, "clip.mp4", 1.5, 2.0), -55.0);
}

TEST_F(CaptureProgram, UploadVideoIsHighProfileBt709WithAacAtTheExactFractionalRate) {
    REQUIRE_FFMPEG();
    const Result r = capture({"-o", "up.mp4", "--from", "1000", "--to", "3000", "--width", "320", "--height", "240",
                              "--fps", "60000/1001"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(probe(dir_, "up.mp4", {"-select_streams", "v:0", "-show_entries",
                                     "stream=profile,pix_fmt,color_space,color_primaries,color_transfer,color_range,"
                                     "r_frame_rate,has_b_frames"}),
              "High\n2\nyuv420p\ntv\nbt709\nbt709\nbt709\n60000/1001");
    // Closed GOPs of 30 frames: an I frame exactly every 30th, none between.
    std::istringstream types(probe(dir_, "up.mp4", {"-select_streams", "v:0", "-show_entries", "frame=pict_type"}));
    int frame = 0, bFrames = 0, run = 0;
    for (std::string type; std::getline(types, type); ++frame) {
        EXPECT_EQ(type == "I", frame % 30 == 0) << "frame " << frame << ": " << type;
        bFrames += type == "B";
        run = type == "B" ? run + 1 : 0;
        EXPECT_LE(run, 2) << "frame " << frame << ": at most 2 B-frames in a row";
    }
    EXPECT_EQ(frame, 120) << "2000 ms hold 119.88 steps of 1001/60 ms";
    EXPECT_GT(bFrames, 30);
    EXPECT_EQ(probe(dir_, "up.mp4", {"-select_streams", "a:0", "-show_entries", "stream=codec_name,profile,sample_rate,channels"}),
              "aac\nLC\n48000\n2");
    // The sound lasts as long as the 120 frames, to within one frame.
    const double video = std::stod(probe(dir_, "up.mp4", {"-select_streams", "v:0", "-show_entries", "stream=duration"}));
    const double audio = std::stod(probe(dir_, "up.mp4", {"-select_streams", "a:0", "-show_entries", "stream=duration"}));
    EXPECT_NEAR(video, 120 * 1001 / 60000.0, 1e-6);
    EXPECT_LE(std::abs(audio - video), 1001 / 60000.0) << "audio " << audio << " s, video " << video << " s";
    // The music comes in at 2 s of demo time, 1 s into this clip.
    EXPECT_LT(peakDb(dir_, "up.mp4", 0.0, 0.95), -80.0);
    EXPECT_GT(peakDb(dir_, "up.mp4", 1.5, 2.0), -55.0);

    // VP9 is tagged alike.
    ASSERT_EQ(capture({"-o", "up.webm", "--from", "1000", "--to", "1100", "--width", "320", "--height", "240",
                       "--no-audio"}).exitCode, 0);
    EXPECT_EQ(probe(dir_, "up.webm", {"-select_streams", "v:0", "-show_entries",
                                      "stream=codec_name,color_space,color_primaries,color_transfer,color_range"}),
              "vp9\ntv\nbt709\nbt709\nbt709");
}

TEST_F(CaptureProgram, Bt709DecodingMatchesThePngFrameBetterThanBt601) {
    REQUIRE_FFMPEG();
    // The loading picture (the most saturated frame of the demo) and the
    // scene with the track line; the draft encode too, which shares the
    // colour conversion.
    for (const std::vector<std::string>& take : {std::vector<std::string>{"1000"}, {"20000"}, {"1000", "--draft"}}) {
        const std::string at = take[0];
        std::vector<std::string> args = {"-o", "c.mp4", "--from", at, "--to", std::to_string(std::stoi(at) + 50),
                                         "--width", "320", "--height", "240", "--no-audio"};
        args.insert(args.end(), take.begin() + 1, take.end());
        Result r = capture(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        r = capture({"-o", "c.png", "--frame-at", at, "--width", "320", "--height", "240"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Image png = loadPng(path("c.png"));
        const auto as709 = decodeFrames(dir_, "c.mp4", "scale=in_color_matrix=bt709:in_range=tv", 320, 240, 1);
        const auto as601 = decodeFrames(dir_, "c.mp4", "scale=in_color_matrix=bt601:in_range=tv", 320, 240, 1);
        ASSERT_EQ(as709.size(), 1u);
        ASSERT_EQ(as601.size(), 1u);
        // Per pixel, and over 8x8 blocks' means, where the chroma subsampling's
        // and the encoder's errors mostly cancel and the matrix's stays.
        const double error709 = meanAbsoluteDifference(as709[0], png);
        const double error601 = meanAbsoluteDifference(as601[0], png);
        const double block709 = meanAbsoluteDifference(capture::scaleArea(as709[0], 40, 30), capture::scaleArea(png, 40, 30));
        const double block601 = meanAbsoluteDifference(capture::scaleArea(as601[0], 40, 30), capture::scaleArea(png, 40, 30));
        std::printf("frame at %s ms%s: mean absolute error against the PNG (0-255), decoded as BT.709 %.3f, as BT.601 "
                    "%.3f; of 8x8 block means %.3f and %.3f\n",
                    at.c_str(), take.size() > 1 ? " (--draft)" : "", error709, error601, block709, block601);
        EXPECT_LT(error709, error601) << at << " ms";
        EXPECT_LT(block709, block601) << at << " ms";
    }
}

TEST_F(CaptureProgram, LosslessMasterHoldsThePngFramesAndTheSongsSamples) {
    REQUIRE_FFMPEG();
    // Across the music's entry at 2000 ms: 50 ms of silence, then the song.
    Result r = capture({"-o", "m.mkv", "--lossless", "--from", "1950", "--to", "2100", "--width", "160", "--height", "120"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = capture({"-o", "s_%02d.png", "--from", "1950", "--to", "2100", "--width", "160", "--height", "120"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(probe(dir_, "m.mkv", {"-show_entries", "stream=codec_name"}), "ffv1\nflac");
    const auto frames = decodeFrames(dir_, "m.mkv", "null", 160, 120, 100);
    ASSERT_EQ(frames.size(), 9u);
    for (int i : {0, 3, 8}) {
        char name[16];
        std::snprintf(name, sizeof name, "s_%02d.png", i);
        EXPECT_TRUE(frames[i].rgb == loadPng(path(name)).rgb) << "frame " << i << " differs from " << name;
    }

    const std::vector<unsigned char> ogg = archiveFile("song1.ogg");
    capture::Pcm song;
    std::string why;
    ASSERT_TRUE(capture::decodeSong(std::vector<std::uint8_t>(ogg.begin(), ogg.end()), song, why)) << why;
    ASSERT_EQ(song.rate, 44100);
    ASSERT_EQ(song.channels, 2);
    // 9 frames at 60 fps are 6615 sample frames: 2205 of silence (50 ms), then
    // the song from its first sample.
    std::vector<std::int16_t> expected(2205 * 2, 0);
    expected.insert(expected.end(), song.samples.begin(), song.samples.begin() + (6615 - 2205) * 2);
    const std::vector<std::int16_t> heard = decodeSound(dir_, "m.mkv");
    ASSERT_EQ(heard.size(), expected.size());
    EXPECT_TRUE(heard == expected) << "the sound differs from the song's decoded samples";

    // From 20000 ms: the song 18 s in, sample 793800, bit for bit.
    r = capture({"-o", "late.mkv", "--lossless", "--from", "20000", "--to", "20050", "--width", "160", "--height", "120"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::int16_t> late = decodeSound(dir_, "late.mkv");
    ASSERT_EQ(late.size(), 2205u * 2);
    EXPECT_TRUE(std::equal(late.begin(), late.end(), song.samples.begin() + 793800 * 2));
}

// Edge smoothness: the mean squared step in luma (BT.709 weights, 0-255)
// between a pixel and its right and lower neighbours, over the pixels where
// the two frames differ or border on such a pixel: the edges that
// antialiasing touched. A staircase of whole-pixel steps scores higher than
// the same edge spread over partly covered pixels.
struct EdgeEnergy {
    double aliased = 0, smoothed = 0, touched = 0;  // touched: the share of pixels that differ
};

EdgeEnergy edgeEnergy(const Image& aliased, const Image& smoothed) {
    const int w = aliased.width, h = aliased.height;
    const auto luma = [](const Image& image, int x, int y) {
        const auto* p = image.pixel(x, y);
        return 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
    };
    const auto differs = [&](int x, int y) {
        return std::memcmp(aliased.pixel(x, y), smoothed.pixel(x, y), 3) != 0;
    };
    EdgeEnergy e;
    double pixels = 0, differing = 0;
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 1 < w; ++x) {
            differing += differs(x, y);
            if (!differs(x, y) && !differs(x + 1, y) && !differs(x, y + 1)) continue;
            for (const Image* image : {&aliased, &smoothed}) {
                const double here = luma(*image, x, y);
                const double step = std::pow(luma(*image, x + 1, y) - here, 2) + std::pow(luma(*image, x, y + 1) - here, 2);
                (image == &aliased ? e.aliased : e.smoothed) += step;
            }
            ++pixels;
        }
    e.aliased /= pixels;
    e.smoothed /= pixels;
    e.touched = differing / (double(w - 1) * (h - 1));
    return e;
}

TEST_F(CaptureProgram, AntialiasedFrameHasSmootherEdgesAndTheSamePicture) {
    // The cube outlines and thin lines of the scene at 1280x720, where they alias most.
    for (const char* at : {"20000", "34000"}) {
        Result r = capture({"-o", "plain.png", "--frame-at", at});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        r = capture({"-o", "aa.png", "--frame-at", at, "--antialias", "4"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Image plain = loadPng(path("plain.png")), aa = loadPng(path("aa.png"));
        ASSERT_EQ(aa.width, 1280);
        ASSERT_EQ(aa.height, 720);
        const EdgeEnergy e = edgeEnergy(plain, aa);
        std::printf("frame at %s ms, 4 samples: %.1f %% of the pixels change; edge energy %.0f aliased, %.0f "
                    "antialiased (%.2f of it)\n", at, 100 * e.touched, e.aliased, e.smoothed, e.smoothed / e.aliased);
        EXPECT_LT(e.smoothed, 0.95 * e.aliased) << at << " ms";
        // Only edges change: same size, same line widths, same picture elsewhere.
        EXPECT_GT(e.touched, 0.005) << at << " ms";
        EXPECT_LT(e.touched, 0.15) << at << " ms";
        EXPECT_LT(meanAbsoluteDifference(plain, aa), 1.0) << at << " ms";
    }
    // Beyond what the GL offers: refused by name, nothing written.
    const Result r = capture({"-o", "eight.png", "--frame-at", "20000", "--width", "160", "--height", "120",
                              "--antialias", "8"});
    if (r.exitCode != 0) {
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("--antialias 8: this OpenGL ("), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("offers at most"), std::string::npos) << r.err;
        EXPECT_FALSE(exists(path("eight.png")));
    }
}

TEST_F(CaptureProgram, FlashReportPerSecondAloneAndBesideAVideo) {
    // Alone: the frames are rendered and analysed, only the report written.
    Result r = capture({"--flash-report", "flashes.csv", "--from", "19500", "--to", "21500", "--width", "160",
                        "--height", "120", "--fps", "30"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_EQ(r.out.rfind("flash report: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("per second in flashes.csv"), std::string::npos) << r.out;
    EXPECT_EQ(listing(), std::vector<std::string>{"flashes.csv"});
    std::istringstream csv(readText(path("flashes.csv")));
    std::vector<std::string> rows;
    for (std::string line; std::getline(csv, line);) rows.push_back(line);
    ASSERT_EQ(rows.size(), 4u) << "a header and seconds 19, 20, 21";
    EXPECT_EQ(rows[0].rfind("second,general_flashes,", 0), 0u);
    EXPECT_EQ(rows[1].rfind("19,", 0), 0u);
    EXPECT_EQ(rows[3].rfind("21,", 0), 0u);
    // Whatever the rows say, the line says the same.
    const bool anyBeyond = readText(path("flashes.csv")).find(",yes\n") != std::string::npos;
    EXPECT_EQ(r.out.find("no second goes beyond") == std::string::npos, anyBeyond) << r.out;

    // Beside a PNG sequence: the same frames give the same report.
    r = capture({"-o", "f_%03d.png", "--flash-report", "beside.csv", "--from", "19500", "--to", "21500", "--width",
                 "160", "--height", "120", "--fps", "30"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readText(path("beside.csv")), readText(path("flashes.csv")));
    EXPECT_TRUE(exists(path("f_059.png")));

    EXPECT_EQ(capture({"--bench", "--flash-report", "b.csv"}).exitCode, 2);
    EXPECT_EQ(capture({"-o", "one.png", "--frame-at", "100", "--flash-report", "b.csv"}).exitCode, 2);
}

TEST_F(CaptureProgram, BadValuesGetOneLineAndExitStatus2) {
    for (const char* fps : {"0", "60000/0", "1/2", "sixty", "30000/1001/2", "241"}) {
        const Result r = capture({"-o", "clip.mp4", "--fps", fps});
        EXPECT_EQ(r.exitCode, 2) << fps;
        EXPECT_NE(r.err.find("--fps"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(listing().empty());
}

TEST_F(CaptureProgram, MissingOrFailingFfmpegIsReportedAndLeavesNoFile) {
    Result r = capture({"-o", "clip.mp4", "--to", "500", "--width", "160", "--height", "120"}, {{"PATH", "/nonexistent"}});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg not found: install it or write PNG frames"), std::string::npos) << r.err;
    EXPECT_TRUE(listing().empty());

    // A folder that does not exist is named before any rendering starts.
    r = capture({"-o", "no-such-folder/clip.mp4", "--to", "500", "--width", "160", "--height", "120"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write in the folder of 'no-such-folder/clip.mp4'"), std::string::npos) << r.err;

    // A real ffmpeg that refuses the request: its status and words come through.
    REQUIRE_FFMPEG();
    r = capture({"-o", "clip.mp4", "--to", "500", "--width", "160", "--height", "120", "--preset", "no-such-preset"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg failed (exit status"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("preset"), std::string::npos) << r.err;
    EXPECT_TRUE(listing().empty());
}

TEST_F(CaptureProgram, VideoFramesMatchTheSingleFramesInOrderToTheLast) {
    // A stand-in ffmpeg keeps the raw stream: the frames exactly as the
    // program sent them through the pixel buffers in flight and the writer.
    const std::string fake = path("fake-ffmpeg");
    {
        std::ofstream script(fake);
        script << "#!/bin/sh\nfor last; do :; done\ncat > \"${last#file:}\"\n";
    }
    ::chmod(fake.c_str(), 0755);
    Result r = capture({"-o", "v.mkv", "--from", "1950", "--to", "2100", "--width", "160", "--height", "120",
                        "--ffmpeg", fake, "--no-audio"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = capture({"-o", "s_%02d.png", "--from", "1950", "--to", "2100", "--width", "160", "--height", "120"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string raw = readText(path("v.mkv"));
    const std::size_t frameBytes = 160 * 120 * 3;
    ASSERT_EQ(raw.size(), 9 * frameBytes) << "every frame, the last ones too, and nothing else";

    const auto videoFrame = [&](int i) {
        Image image(160, 120);
        capture::bgrBottomUpToRgb(reinterpret_cast<const std::uint8_t*>(raw.data()) + i * frameBytes, 160, 120,
                                   image.rgb.data());
        return image;
    };
    for (int i = 0; i < 9; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "s_%02d.png", i);
        EXPECT_EQ(videoFrame(i).rgb, loadPng(path(name)).rgb) << "frame " << i;
    }
    // Frames 0, 3 and 6 fall on whole milliseconds: each alone, with no other
    // frame in flight, must be the same picture as in the stream.
    for (int i : {0, 3, 6}) {
        const std::string at = std::to_string(1950 + i * 1000 / 60);
        r = capture({"-o", "one.png", "--frame-at", at, "--width", "160", "--height", "120"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(videoFrame(i).rgb, loadPng(path("one.png")).rgb) << "frame " << i << " at " << at << " ms";
    }
    EXPECT_NE(videoFrame(0).rgb, videoFrame(8).rgb) << "the span shows motion";
}

// The frames as sent (bgr24, bottom row first) come out of the real ffmpeg,
// after its flip and conversion, as the same RGB bytes that our own
// conversion gives, through the writer thread and the pipe.
TEST(VideoPipe, FfmpegFlipsAndReordersLikeOurConversion) {
    REQUIRE_FFMPEG();
    testsupport::TempFolder folder("gm-capture-pipe");
    const int width = 64, height = 48, count = 5;
    std::vector<std::vector<std::uint8_t>> frames(count);
    std::uint32_t seed = 12345;
    for (auto& f : frames) {
        f.resize(static_cast<std::size_t>(width) * height * 3);
        for (auto& byte : f) byte = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    }
    capture::VideoRequest request;
    request.width = width;
    request.height = height;
    request.fps = capture::FrameRate(25);
    request.frameCount = count;
    request.format.muxer = "rawvideo";
    request.format.codec = capture::VideoCodec::Raw;
    request.format.videoArgs = {"-c:v", "rawvideo", "-pix_fmt", "rgb24"};
    const std::string out = folder.path() + "/frames.rgb";
    {
        capture::VideoSink sink(tool("ffmpeg"), request, out);
        capture::FrameWriter writer(sink, width, height, 2, capture::FrameWriter::Pixels::Borrowed);
        for (int i = 0; i < count; ++i) {
            capture::Frame* frame = writer.acquire();
            frame->index = i;
            frame->bgr = frames[i].data();
            writer.submit(frame);
        }
        writer.finish();
    }
    const std::string got = readText(out);
    std::string expected;
    for (const auto& f : frames) {
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        capture::bgrBottomUpToRgb(f.data(), width, height, rgb.data());
        expected.append(rgb.begin(), rgb.end());
    }
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the picture ffmpeg encodes differs from the frame read back";
}

TEST_F(CaptureProgram, InterruptRemovesThePartialVideo) {
    REQUIRE_FFMPEG();
    const Result r = capture({"-o", "demo.mp4", "--width", "320", "--height", "240"}, {}, 1500);
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
    EXPECT_TRUE(listing().empty());
}

TEST_F(CaptureProgram, ContactSheetAndBench) {
    Result r = capture({"--contact-sheet", "sheet.png", "--grid", "3x2", "--thumb-width", "96", "--width", "320",
                        "--height", "240"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Image sheet = loadPng(path("sheet.png"));
    EXPECT_EQ(sheet.width, 3 * 96 + 4 * 8);
    EXPECT_EQ(sheet.height, 2 * (72 + 22) + 3 * 8);

    r = capture({"--bench", "--from", "19000", "--to", "19500", "--width", "320", "--height", "240"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("frames:       30 at 320x240"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("95th percentile"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("peak RSS"), std::string::npos) << r.out;
    EXPECT_EQ(listing(), std::vector<std::string>{"sheet.png"}) << "--bench writes nothing";
}

}  // namespace

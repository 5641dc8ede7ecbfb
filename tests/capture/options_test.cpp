// Command-line parsing: the modes each output name selects, the defaults, and
// the refusals with their messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "capture/options.h"

namespace {

using capture::Mode;
using capture::Options;
using capture::UsageError;

Options parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv = {"glass-meridian-capture"};
    argv.insert(argv.end(), args.begin(), args.end());
    return capture::parseOptions(static_cast<int>(argv.size()), argv.data());
}

// The UsageError message for args, or "" if they parse.
std::string refusal(std::initializer_list<const char*> args) {
    try {
        parse(args);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "";
}

TEST(CaptureOptions, OutputNameSelectsTheMode) {
    const Options video = parse({"-o", "demo.mp4"});
    EXPECT_EQ(video.mode, Mode::Video);
    EXPECT_EQ(video.width, 1280);
    EXPECT_EQ(video.height, 720);
    EXPECT_EQ(video.fps, 60);
    EXPECT_EQ(video.fromMs, 0);
    EXPECT_EQ(video.toMs, 49000);
    EXPECT_TRUE(video.audio);
    EXPECT_FALSE(video.window);

    EXPECT_EQ(parse({"-o", "DEMO.MKV"}).mode, Mode::Video);
    EXPECT_EQ(parse({"--output=clip.webm"}).mode, Mode::Video);
    EXPECT_EQ(parse({"-o", "frames/f_%05d.png"}).mode, Mode::PngSequence);
    EXPECT_EQ(parse({"-o", "f%d.PNG", "--from", "100", "--to", "200"}).mode, Mode::PngSequence);

    const Options single = parse({"-o", "shot.png", "--frame-at", "20000"});
    EXPECT_EQ(single.mode, Mode::SinglePng);
    EXPECT_EQ(single.frameAtMs, 20000);

    const Options bench = parse({"--bench", "--width", "1920", "--height=1080"});
    EXPECT_EQ(bench.mode, Mode::Bench);
    EXPECT_EQ(bench.width, 1920);
    EXPECT_EQ(bench.height, 1080);

    const Options sheet = parse({"--contact-sheet", "sheet.png", "--grid", "5x2", "--thumb-width", "200"});
    EXPECT_EQ(sheet.mode, Mode::ContactSheet);
    EXPECT_EQ(sheet.output, "sheet.png");
    EXPECT_EQ(sheet.gridColumns, 5);
    EXPECT_EQ(sheet.gridRows, 2);
    EXPECT_EQ(sheet.thumbWidth, 200);

    EXPECT_EQ(parse({"-o", "demo.gif", "--help"}).mode, Mode::Help) << "help is given even for a request it would refuse";
    EXPECT_EQ(parse({"--version"}).mode, Mode::Version);
    EXPECT_EQ(parse({"--version", "--help"}).mode, Mode::Help);
    EXPECT_THROW(parse({"--version=2"}), UsageError);
    EXPECT_EQ(capture::versionText().rfind("glass-meridian-capture (Glass Meridian) 1.", 0), 0u) << capture::versionText();
}

TEST(CaptureOptions, ValuesAndFlags) {
    const Options o = parse({"-o", "a.mp4", "--fps", "30", "--from", "1500", "--to=3500", "--no-audio", "--window",
                             "--crf", "23", "--preset", "slow", "--ffmpeg", "/opt/ff/ffmpeg", "--data", "x.pak",
                             "--log", "--stats"});
    EXPECT_EQ(o.fps, capture::FrameRate(30));
    EXPECT_EQ(parse({"--bench", "--fps", "60000/1001"}).fps, capture::FrameRate(60000, 1001));
    EXPECT_EQ(parse({"--bench", "--fps=30000/1001"}).fps, capture::FrameRate(30000, 1001));
    EXPECT_EQ(parse({"--bench", "--fps", "240/2"}).fps, capture::FrameRate(120));
    EXPECT_EQ(parse({"--bench", "--fps", "240"}).fps, capture::FrameRate(240));
    EXPECT_EQ(parse({"--bench", "--fps", "1/1"}).fps, capture::FrameRate(1));
    EXPECT_TRUE(o.stats);
    EXPECT_FALSE(parse({"-o", "a.mp4"}).stats);
    EXPECT_EQ(parse({"-o", "a.mp4"}).preset, "veryfast");
    EXPECT_FALSE(parse({"-o", "a.mp4"}).draft);
    const Options draft = parse({"-o", "a.mp4", "--draft", "--crf", "20"});
    EXPECT_TRUE(draft.draft);
    EXPECT_EQ(draft.preset, "ultrafast");
    EXPECT_EQ(draft.crf, 20);
    EXPECT_TRUE(parse({"-o", "Master.MKV", "--lossless"}).lossless);
    EXPECT_FALSE(parse({"-o", "a.mkv"}).lossless);
    EXPECT_EQ(parse({"-o", "a.mp4"}).antialias, 0);
    EXPECT_EQ(parse({"-o", "a.mp4", "--antialias", "4"}).antialias, 4);
    EXPECT_EQ(parse({"--bench", "--antialias=8"}).antialias, 8);
    const Options flashes = parse({"--flash-report", "f.csv", "--fps", "144"});
    EXPECT_EQ(flashes.mode, Mode::FlashReport);
    EXPECT_EQ(flashes.flashReport, "f.csv");
    EXPECT_EQ(parse({"-o", "a.mp4", "--flash-report", "f.csv"}).mode, Mode::Video);
    EXPECT_EQ(parse({"-o", "f_%03d.png", "--flash-report", "f.csv"}).mode, Mode::PngSequence);
    EXPECT_EQ(o.fromMs, 1500);
    EXPECT_EQ(o.toMs, 3500);
    EXPECT_FALSE(o.audio);
    EXPECT_TRUE(o.window);
    EXPECT_EQ(o.crf, 23);
    EXPECT_EQ(o.preset, "slow");
    EXPECT_EQ(o.ffmpeg, "/opt/ff/ffmpeg");
    EXPECT_EQ(o.archive, "x.pak");
    // A given archive is the user's, from the working folder; the default is looked for.
    EXPECT_EQ(capture::archivePath(o), (std::filesystem::current_path() / "x.pak").string());
    EXPECT_EQ(capture::archivePath(parse({"--bench"})), "data.pak");
    EXPECT_TRUE(o.engineLog);
}

TEST(CaptureOptions, RefusesMalformedValues) {
    EXPECT_NE(refusal({"-o", "a.mp4", "--width", "12x"}).find("not a whole number"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--width", ""}).find("--width needs a number"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "0"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "241"}).find("out of range"), std::string::npos);
    // Fractions: each part a whole number, the rate from 1 to 240 a second.
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "60000/1001x"}).find("not a whole number"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "60000/"}).find("--fps needs a number"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "/1001"}).find("--fps needs a number"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "60/0"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "60/-1"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "1/2"}).find("1 to 240 frames a second"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "240001/1000"}).find("1 to 240 frames a second"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "60/1/1"}).find("not a whole number"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--fps", "2000000/10000"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--from", "-5"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--height", "99999999999999999999"}).find("--height"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--width"}).find("--width needs a value"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--grid", "4by3"}).find("--grid"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--grid", "0x3"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--window=yes"}).find("takes no value"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--frobnicate"}).find("unknown option '--frobnicate'"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "stray"}).find("unexpected argument 'stray'"), std::string::npos);
}

TEST(CaptureOptions, RefusesContradictoryRequests) {
    EXPECT_NE(refusal({}).find("nothing to do"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--bench"}).find("choose one of"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--contact-sheet", "s.png"}).find("choose one of"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--from", "3000", "--to", "3000"}).find("must be later"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--from", "5000", "--to", "1000"}).find("must be later"), std::string::npos);
    EXPECT_NE(refusal({"-o", "shot.png"}).find("--frame-at"), std::string::npos);
    EXPECT_NE(refusal({"-o", "shot.png", "--frame-at", "5", "--from", "0"}).find("leave out --from"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--frame-at", "5"}).find("NAME.png"), std::string::npos);
    EXPECT_NE(refusal({"-o", "f%04d.png", "--frame-at", "5"}).find("without a frame number"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--frame-at", "5"}).find("--bench"), std::string::npos);
    EXPECT_NE(refusal({"-o", "s.png", "--frame-at", "49000"}).find("past the end of the demo (49000 ms)"),
              std::string::npos);
    EXPECT_NE(refusal({"--contact-sheet", "sheet.jpg"}).find("NAME.png"), std::string::npos);
    EXPECT_NE(refusal({"-o", "demo.gif"}).find("unknown output type"), std::string::npos);
    EXPECT_NE(refusal({"-o", "demo"}).find("unknown output type"), std::string::npos);
    EXPECT_NE(refusal({"-o", "f%s.png"}).find("unsupported '%' sequence"), std::string::npos);
    // The encoder choices go with the outputs they are for.
    EXPECT_NE(refusal({"-o", "a.mp4", "--lossless"}).find("name the output NAME.mkv"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mkv", "--lossless", "--draft"}).find("takes no --draft"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mkv", "--lossless", "--crf", "0"}).find("takes no"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--draft", "--preset", "fast"}).find("leave out --preset"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.webm", "--draft"}).find("x264's"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.webm", "--preset", "slow"}).find("x264's"), std::string::npos);
    EXPECT_NE(refusal({"-o", "f_%03d.png", "--draft"}).find("--draft is for a video"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--lossless"}).find("--lossless is for a video"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--antialias", "3"}).find("give 2, 4 or 8"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--antialias", "16"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--antialias", "1"}).find("out of range"), std::string::npos);
    EXPECT_NE(refusal({"--bench", "--flash-report", "f.csv"}).find("give it alone, or with a video"), std::string::npos);
    EXPECT_NE(refusal({"--contact-sheet", "s.png", "--flash-report", "f.csv"}).find("--flash-report"), std::string::npos);
    EXPECT_NE(refusal({"--flash-report", "f.csv", "--frame-at", "100"}).find("leave out --frame-at"), std::string::npos);
    EXPECT_NE(refusal({"-o", "a.mp4", "--flash-report", "a.mp4"}).find("name the same file"), std::string::npos);
    EXPECT_NE(refusal({"--flash-report", ""}).find("needs a file name"), std::string::npos);
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

}  // namespace

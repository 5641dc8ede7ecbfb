// Capture runs: video, PNG frames, contact sheet, benchmark.
#include "capture/capture_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "capture/bench_stats.h"
#include "capture/engine_session.h"
#include "capture/ffmpeg_command.h"
#include "capture/frame_schedule.h"
#include "capture/interrupt.h"
#include "capture/output_sinks.h"
#include "capture/partial_file.h"
#include "capture/progress.h"
#include "capture/song_check.h"
#include "capture/temp_file.h"
#include "host/production.h"

namespace capture {

namespace {

using glassmeridian::production::kSongFile;
constexpr auto kSongStartMs = static_cast<std::int64_t>(glassmeridian::production::kSongStartMs);

// Renders each time in order and hands the frames to the sink through the
// writer thread; frame i gets index i.
void renderTo(EngineSession& engine, const Options& options, const std::vector<double>& times, FrameSink& sink) {
    ProgressBar progress(static_cast<std::int64_t>(times.size()), ProgressBar::stderrIsTerminal());
    FrameWriter writer(sink, options.width, options.height);
    for (std::size_t i = 0; i < times.size(); ++i) {
        Frame* frame = writer.acquire(&interruptFlag());
        if (!frame) throw Interrupted();
        engine.render(times[i]);
        engine.readBack(*frame);
        engine.present();
        frame->index = static_cast<std::int64_t>(i);
        frame->timeMs = times[i];
        writer.submit(frame);
        progress.update(static_cast<std::int64_t>(i + 1));
    }
    writer.finish();
    progress.finish();
}

std::vector<double> scheduleTimes(const FrameSchedule& schedule) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(schedule.count()));
    for (std::int64_t n = 0; n < schedule.count(); ++n) times.push_back(schedule.timeMs(n));
    return times;
}

std::string resolveFfmpeg(const Options& options) {
    const char* path = std::getenv("PATH");
    const std::string found = findExecutable(options.ffmpeg, path ? path : "");
    if (found.empty()) {
        if (options.ffmpeg == "ffmpeg") throw std::runtime_error("ffmpeg not found: install it or write PNG frames");
        throw std::runtime_error("ffmpeg not found at '" + options.ffmpeg + "': install it or write PNG frames");
    }
    return found;
}

void runVideo(const Options& options) {
    // Everything that can be refused is refused before the engine starts.
    const std::string ffmpeg = resolveFfmpeg(options);
    if (options.width % 2 || options.height % 2)
        throw UsageError("a video needs an even width and height (4:2:0 colour); " + std::to_string(options.width) +
                         "x" + std::to_string(options.height) + " is not");
    const FrameSchedule schedule(options.fromMs, options.toMs, options.fps);
    PartialFile(options.output).probe();  // an unwritable place fails before the engine starts

    EngineSession engine(options);
    VideoRequest request;
    request.width = options.width;
    request.height = options.height;
    request.fps = options.fps;
    request.frameCount = schedule.count();
    request.format = *videoFormatFor(options.output);
    request.crf = options.crf;
    request.preset = options.preset;
    request.songOffsetMs = kSongStartMs - options.fromMs;

    std::unique_ptr<TempFile> song;
    if (options.audio) {
        std::vector<std::uint8_t> bytes;
        std::string why;
        if (!engine.readArchiveFile(kSongFile, bytes) || bytes.empty()) {
            std::fprintf(stderr, "glass-meridian-capture: the archive has no %s; the video will be silent\n", kSongFile);
        } else if (!songDecodesCleanly(bytes, why)) {
            // ffmpeg gives up on a damaged stream and would fail the capture;
            // the demo itself plays on silently.
            std::fprintf(stderr, "glass-meridian-capture: %s: %s; the video will be silent\n", kSongFile, why.c_str());
        } else {
            song = std::make_unique<TempFile>("gm-capture-song", ".ogg", bytes);
            request.songPath = song->path();
        }
    }
    VideoSink sink(ffmpeg, request, options.output);
    renderTo(engine, options, scheduleTimes(schedule), sink);
}

void runBench(const Options& options) {
    const FrameSchedule schedule(options.fromMs, options.toMs, options.fps);
    EngineSession engine(options);
    ProgressBar progress(schedule.count(), ProgressBar::stderrIsTerminal());
    std::vector<double> frameMs;
    frameMs.reserve(static_cast<std::size_t>(schedule.count()));
    using Clock = std::chrono::steady_clock;
    const double cpuBefore = processCpuSeconds();
    for (std::int64_t n = 0; n < schedule.count(); ++n) {
        if (interruptFlag().load()) throw Interrupted();
        const auto start = Clock::now();
        engine.render(schedule.timeMs(n));
        engine.waitForGl();
        frameMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        engine.present();
        progress.update(n + 1);
    }
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    progress.finish();
    const FrameTimeStats stats = summarizeFrameTimes(frameMs);
    std::fputs(formatBenchReport(stats, options.width, options.height, peakRssKiB(), cpuSeconds).c_str(), stdout);
}

}  // namespace

void runCapture(const Options& options) {
    switch (options.mode) {
    case Mode::Video:
        runVideo(options);
        break;
    case Mode::PngSequence: {
        EngineSession engine(options);
        PngSequenceSink sink(*parseFramePattern(options.output));
        renderTo(engine, options, scheduleTimes(FrameSchedule(options.fromMs, options.toMs, options.fps)), sink);
        break;
    }
    case Mode::SinglePng: {
        EngineSession engine(options);
        SinglePngSink sink(options.output);
        renderTo(engine, options, {static_cast<double>(options.frameAtMs)}, sink);
        break;
    }
    case Mode::ContactSheet: {
        EngineSession engine(options);
        const SheetLayout layout =
            layoutSheet(options.gridColumns, options.gridRows, options.width, options.height, options.thumbWidth);
        ContactSheetSink sink(layout, options.output);
        renderTo(engine, options, evenTimes(options.fromMs, options.toMs, layout.cells()), sink);
        break;
    }
    case Mode::Bench:
        runBench(options);
        break;
    case Mode::Help:
        break;
    }
}

}  // namespace capture

// Capture runs: each mode is a choice of frame times and a sink; the interrupt handlers.
#include "capture/run.h"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>

#include "capture/engine_session.h"
#include "capture/ffmpeg.h"
#include "capture/files.h"
#include "capture/flash_report.h"
#include "capture/frames.h"
#include "capture/pictures.h"
#include "capture/progress.h"
#include "capture/song.h"
#include "host/production.h"

namespace capture {

namespace {

using glassmeridian::production::kSongFile;
constexpr auto kSongStartMs = static_cast<std::int64_t>(glassmeridian::production::kSongStartMs);

// Frames read back but not yet handed to the writer: frame i is handed on
// once frame i + kReadBackLag has been drawn, so the rasteriser finishes one
// frame while this thread feeds it the next. The writer's pool holds these,
// one frame being written and one queued for it.
constexpr std::size_t kReadBackLag = 1;
constexpr std::size_t kFramesInFlight = kReadBackLag + 2;

// Renders each time in order and hands the frames to the sink through the
// writer thread; frame i gets index i. The pixels stay in the GL's pixel
// buffers, mapped, until the sink has consumed them.
void renderTo(EngineSession& engine, const Options& options, const std::vector<double>& times, FrameSink& sink) {
    ProgressBar progress(static_cast<std::int64_t>(times.size()), ProgressBar::stderrIsTerminal());
    engine.prepareReadBack(kFramesInFlight);
    FrameWriter writer(sink, options.width, options.height, kFramesInFlight, FrameWriter::Pixels::Borrowed);
    std::deque<Frame*> reading;  // read-back started, oldest first
    const auto handOn = [&] {
        Frame* frame = reading.front();
        reading.pop_front();
        frame->bgr = engine.finishReadBack(frame->slot);
        writer.submit(frame);
        progress.update(frame->index + 1);
    };
    try {
        for (std::size_t i = 0; i < times.size(); ++i) {
            Frame* frame = writer.acquire(&interruptFlag());
            if (!frame) throw Interrupted();
            engine.render(times[i]);
            engine.startReadBack(frame->slot);
            engine.present();
            frame->index = static_cast<std::int64_t>(i);
            frame->timeMs = times[i];
            reading.push_back(frame);
            if (reading.size() > kReadBackLag) handOn();
        }
        while (!reading.empty()) handOn();  // the last frames
        writer.finish();
    } catch (const Interrupted&) {
        throw;
    } catch (...) {
        // A sink cancelled by the interrupt fails; the interrupt is the cause.
        if (interruptFlag().load()) throw Interrupted();
        throw;
    }
    progress.finish();
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

SheetLayout sheetLayout(const Options& options) {
    return layoutSheet(options.gridColumns, options.gridRows, options.width, options.height, options.thumbWidth);
}

// The demo times the mode renders, in order.
std::vector<double> frameTimes(const Options& options) {
    switch (options.mode) {
    case Mode::SinglePng:
        return {static_cast<double>(options.frameAtMs)};
    case Mode::ContactSheet:
        return evenTimes(options.fromMs, options.toMs, sheetLayout(options).cells());
    default:
        break;
    }
    const FrameSchedule schedule(options.fromMs, options.toMs, options.fps);
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(schedule.count()));
    for (std::int64_t n = 0; n < schedule.count(); ++n) times.push_back(schedule.timeMs(n));
    return times;
}

// The song as heard through the video (its first frame at --from), decoded
// and of the length of request.frameCount frames, as a temporary file of raw
// samples for ffmpeg, named in the request with its layout; nothing (with the
// reason on stderr) when the video is to be silent.
std::unique_ptr<TempFile> songFile(EngineSession& engine, const Options& options, VideoRequest& request) {
    if (!options.audio) return nullptr;
    std::vector<std::uint8_t> bytes;
    std::string why;
    bool found = false;
    try {
        found = engine.readArchiveFile(kSongFile, bytes);
    } catch (const char* refused) {
        // Too large or unreadable: the demo itself would play on silently.
        std::fprintf(stderr, "glass-meridian-capture: %s; the video will be silent\n", refused);
        return nullptr;
    }
    if (!found || bytes.empty()) {
        std::fprintf(stderr, "glass-meridian-capture: the archive has no %s; the video will be silent\n", kSongFile);
        return nullptr;
    }
    Pcm song;
    if (!decodeSong(bytes, song, why)) {
        // The demo itself plays on silently.
        std::fprintf(stderr, "glass-meridian-capture: %s: %s; the video will be silent\n", kSongFile, why.c_str());
        return nullptr;
    }
    bytes = {};
    const Pcm heard = songOnTimeline(song, kSongStartMs - options.fromMs,
                                     audioFramesFor(request.frameCount, request.fps, song.rate));
    auto file = std::make_unique<TempFile>("gm-capture-song", ".pcm", heard.samples.data(),
                                           heard.samples.size() * sizeof(std::int16_t));
    request.songPath = file->path();
    request.songRate = heard.rate;
    request.songChannels = heard.channels;
    return file;
}

// Where the mode's frames go. A video's song file is kept in `song` for as
// long as ffmpeg may read it.
std::unique_ptr<FrameSink> makeSink(EngineSession& engine, const Options& options, const std::string& ffmpeg,
                                    std::int64_t frameCount, std::unique_ptr<TempFile>& song) {
    switch (options.mode) {
    case Mode::Video: {
        VideoRequest request;
        request.width = options.width;
        request.height = options.height;
        request.fps = options.fps;
        request.frameCount = frameCount;
        request.format = *videoFormatFor(options.output, options.lossless);
        request.crf = options.crf;
        request.preset = options.preset;
        request.draft = options.draft;
        song = songFile(engine, options, request);
        return std::make_unique<VideoSink>(ffmpeg, request, options.output, &interruptFlag());
    }
    case Mode::PngSequence:
        return std::make_unique<PngSequenceSink>(*parseFramePattern(options.output));
    case Mode::SinglePng:
        return std::make_unique<SinglePngSink>(options.output);
    case Mode::ContactSheet:
        return std::make_unique<ContactSheetSink>(sheetLayout(options), options.output);
    default:
        return nullptr;
    }
}

// The mode's sink, its frames analysed first with --flash-report.
std::unique_ptr<FrameSink> makeSinks(EngineSession& engine, const Options& options, const std::string& ffmpeg,
                                     std::int64_t frameCount, std::unique_ptr<TempFile>& song,
                                     FlashReportSink*& flashes) {
    std::unique_ptr<FrameSink> sink = makeSink(engine, options, ffmpeg, frameCount, song);
    flashes = nullptr;
    if (options.flashReport.empty()) return sink;
    auto report = std::make_unique<FlashReportSink>(std::move(sink), options.width, options.height,
                                                    FrameSchedule(options.fromMs, options.toMs, options.fps),
                                                    options.flashReport);
    flashes = report.get();
    return report;
}

// --bench: renders the times without reading back and prints the frame times.
void bench(EngineSession& engine, const Options& options, const std::vector<double>& times) {
    ProgressBar progress(static_cast<std::int64_t>(times.size()), ProgressBar::stderrIsTerminal());
    std::vector<double> frameMs;
    frameMs.reserve(times.size());
    using Clock = std::chrono::steady_clock;
    const double cpuBefore = processCpuSeconds();
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (interruptFlag().load()) throw Interrupted();
        const auto start = Clock::now();
        engine.render(times[i]);
        engine.waitForGl();
        frameMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        engine.present();
        progress.update(static_cast<std::int64_t>(i + 1));
    }
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    progress.finish();
    const FrameTimeStats stats = summarizeFrameTimes(frameMs);
    std::fputs(formatBenchReport(stats, options.width, options.height, peakRssKiB(), cpuSeconds).c_str(), stdout);
}

}  // namespace

void runCapture(const Options& options) {
    if (options.mode == Mode::Help || options.mode == Mode::Version) return;
    const auto started = std::chrono::steady_clock::now();
    // Everything that can be refused is refused before the engine starts.
    std::string ffmpeg;
    if (options.mode == Mode::Video) {
        ffmpeg = resolveFfmpeg(options);
        if (options.width % 2 || options.height % 2)
            throw UsageError("a video needs an even width and height (4:2:0 colour); " +
                             std::to_string(options.width) + "x" + std::to_string(options.height) + " is not");
    }
    const std::vector<double> times = frameTimes(options);
    if (options.mode != Mode::Bench && options.mode != Mode::PngSequence && options.mode != Mode::FlashReport)
        refuseOverwriting(options.output, archivePath(options));
    if (!options.flashReport.empty()) refuseOverwriting(options.flashReport, archivePath(options));
    // An unwritable place fails early.
    if (options.mode == Mode::Video) PartialFile{options.output};
    if (!options.flashReport.empty()) PartialFile{options.flashReport};

    EngineSession engine(options);
    if (interruptFlag().load()) throw Interrupted();  // Ctrl+C during start-up
    if (options.mode == Mode::Bench) {
        bench(engine, options, times);
        return;
    }
    std::unique_ptr<TempFile> song;
    FlashReportSink* flashes = nullptr;
    const std::unique_ptr<FrameSink> sink =
        makeSinks(engine, options, ffmpeg, static_cast<std::int64_t>(times.size()), song, flashes);
    renderTo(engine, options, times, *sink);
    if (flashes) std::fputs(flashes->summary().c_str(), stdout);
    if (options.stats) {
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::fputs(formatRunStats(wall, peakRssKiB(), peakChildRssKiB()).c_str(), stdout);
    }
}

namespace {

// The one piece of state a signal handler may touch.
std::atomic<bool> gInterrupted{false};

extern "C" void onInterrupt(int) { gInterrupted.store(true); }

}  // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

const std::atomic<bool>& interruptFlag() { return gInterrupted; }

}  // namespace capture

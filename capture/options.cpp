// Command-line parsing: every option is checked here, so the renderer only
// sees a consistent request.
#include "capture/options.h"

#include <cctype>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "capture/ffmpeg.h"
#include "capture/files.h"

namespace capture {

namespace {

constexpr std::int64_t kMaxMs = 24LL * 3600 * 1000;
constexpr auto kEndMs = static_cast<std::int64_t>(glassmeridian::production::kEndMs);

std::int64_t parseInteger(const std::string& option, const std::string& text, std::int64_t low,
                          std::int64_t high) {
    if (text.empty()) throw UsageError(option + " needs a number");
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-'))
        throw UsageError(option + ": '" + text + "' is not a whole number");
    if (value < low || value > high)
        throw UsageError(option + ": " + text + " is out of range (" + std::to_string(low) + " to " +
                         std::to_string(high) + ")");
    return value;
}

void parseGrid(const std::string& text, Options& options) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) throw UsageError("--grid: write columns x rows, e.g. 4x3");
    options.gridColumns = static_cast<int>(parseInteger("--grid", text.substr(0, x), 1, 16));
    options.gridRows = static_cast<int>(parseInteger("--grid", text.substr(x + 1), 1, 16));
}

// Fixes the mode from the output choices and rejects combinations that ask
// for two different things.
// The encoder choices that go with a video's kind.
void resolveEncoding(Options& o, bool presetGiven, bool crfGiven) {
    if (o.mode != Mode::Video) {
        if (o.draft || o.lossless) throw UsageError(std::string(o.draft ? "--draft" : "--lossless") + " is for a video: give -o NAME.mp4 or NAME.mkv");
        return;
    }
    if (o.lossless) {
        if (lowerExtension(o.output) != "mkv")
            throw UsageError("--lossless writes FFV1 in Matroska: name the output NAME.mkv");
        if (o.draft || presetGiven || crfGiven)
            throw UsageError("--lossless keeps every pixel: it takes no --draft, --preset or --crf");
        return;
    }
    if (videoFormatFor(o.output)->codec != VideoCodec::H264 && (o.draft || presetGiven || crfGiven))
        throw UsageError("--draft, --preset and --crf are x264's: they go with .mp4, .m4v, .mov or .mkv");
    if (o.draft) {
        if (presetGiven) throw UsageError("--draft is x264's ultrafast preset: leave out --preset");
        o.preset = "ultrafast";
    }
}

void resolveMode(Options& o, bool haveOutput, bool bench, const std::string& sheet, bool rangeGiven) {
    const int choices = int(haveOutput) + int(bench) + int(!sheet.empty());
    if (choices == 0 && !o.flashReport.empty()) {
        o.mode = Mode::FlashReport;
        if (o.frameAtMs >= 0) throw UsageError("--flash-report counts flashes over a span: leave out --frame-at");
    } else if (choices == 0) {
        throw UsageError("nothing to do: give -o FILE, --bench, --contact-sheet FILE or --flash-report FILE");
    }
    if (choices > 1) throw UsageError("choose one of -o, --bench and --contact-sheet");

    if (o.mode == Mode::FlashReport) {
        // The frames are only analysed.
    } else if (bench) {
        o.mode = Mode::Bench;
        if (o.frameAtMs >= 0) throw UsageError("--frame-at writes one PNG: it does not go with --bench");
    } else if (!sheet.empty()) {
        o.mode = Mode::ContactSheet;
        o.output = sheet;
        if (!isPngName(sheet)) throw UsageError("--contact-sheet writes a PNG: name it NAME.png");
        if (o.frameAtMs >= 0) throw UsageError("--frame-at writes one PNG: it does not go with --contact-sheet");
    } else if (isPngName(o.output)) {
        if (parseFramePattern(o.output)) {
            o.mode = Mode::PngSequence;
            if (o.frameAtMs >= 0)
                throw UsageError("--frame-at writes one PNG: name the output without a frame number");
        } else {
            o.mode = Mode::SinglePng;
            if (o.frameAtMs < 0)
                throw UsageError("'" + o.output +
                                 "' is a single PNG: add --frame-at MS, or put %05d in the name for a sequence");
            if (rangeGiven) throw UsageError("--frame-at picks one frame: leave out --from and --to");
        }
    } else if (videoFormatFor(o.output)) {
        o.mode = Mode::Video;
        if (o.frameAtMs >= 0) throw UsageError("--frame-at writes one PNG: name the output NAME.png");
    } else {
        throw UsageError("'" + o.output + "': unknown output type; use .png (one frame or a %05d sequence) or a video (" +
                         knownVideoExtensions() + ")");
    }
    if (!o.flashReport.empty() && o.mode != Mode::FlashReport && o.mode != Mode::Video && o.mode != Mode::PngSequence)
        throw UsageError("--flash-report counts flashes in frames on the fixed clock: give it alone, or with a video "
                         "or a PNG sequence");
    if (!o.flashReport.empty() && o.flashReport == o.output)
        throw UsageError("--flash-report and -o name the same file");
    if (o.mode != Mode::SinglePng && o.toMs <= o.fromMs)
        throw UsageError("--to (" + std::to_string(o.toMs) + ") must be later than --from (" +
                         std::to_string(o.fromMs) + ")");
}

}  // namespace

FrameRate parseFrameRate(const std::string& text) {
    const auto slash = text.find('/');
    const std::int64_t limit = 1000000;
    const std::int64_t num = parseInteger("--fps", text.substr(0, slash), 1, limit);
    const std::int64_t den = slash == std::string::npos ? 1 : parseInteger("--fps", text.substr(slash + 1), 1, limit);
    if (num < den || num > 240 * den)
        throw UsageError("--fps: " + text + " is out of range (1 to 240 frames a second)");
    return FrameRate(num, den);
}

Options parseOptions(int argc, const char* const* argv) {
    Options o;
    bool haveOutput = false, bench = false, help = false, version = false, rangeGiven = false;
    bool presetGiven = false, crfGiven = false;
    std::string sheet;

    using Handler = std::function<void(const std::string&)>;
    const std::map<std::string, Handler> withValue = {
        {"-o", [&](const std::string& v) { o.output = v; haveOutput = true; }},
        {"--output", [&](const std::string& v) { o.output = v; haveOutput = true; }},
        {"--width", [&](const std::string& v) { o.width = int(parseInteger("--width", v, 16, 8192)); }},
        {"--height", [&](const std::string& v) { o.height = int(parseInteger("--height", v, 16, 8192)); }},
        {"--fps", [&](const std::string& v) { o.fps = parseFrameRate(v); }},
        {"--from", [&](const std::string& v) { o.fromMs = parseInteger("--from", v, 0, kMaxMs); rangeGiven = true; }},
        {"--to", [&](const std::string& v) { o.toMs = parseInteger("--to", v, 1, kMaxMs); rangeGiven = true; }},
        {"--frame-at", [&](const std::string& v) {
             o.frameAtMs = parseInteger("--frame-at", v, 0, kMaxMs);
             if (o.frameAtMs >= kEndMs)
                 throw UsageError("--frame-at: " + v + " ms is at or past the end of the demo (" +
                                  std::to_string(kEndMs) + " ms), where the picture is black");
         }},
        {"--contact-sheet", [&](const std::string& v) {
             if (v.empty()) throw UsageError("--contact-sheet needs a file name");
             sheet = v;
         }},
        {"--grid", [&](const std::string& v) { parseGrid(v, o); }},
        {"--flash-report", [&](const std::string& v) {
             if (v.empty()) throw UsageError("--flash-report needs a file name");
             o.flashReport = v;
         }},
        {"--antialias", [&](const std::string& v) {
             o.antialias = int(parseInteger("--antialias", v, 2, 8));
             if (o.antialias != 2 && o.antialias != 4 && o.antialias != 8)
                 throw UsageError("--antialias: " + v + " samples a pixel; give 2, 4 or 8");
         }},
        {"--thumb-width", [&](const std::string& v) { o.thumbWidth = int(parseInteger("--thumb-width", v, 16, 4096)); }},
        {"--crf", [&](const std::string& v) {
             o.crf = int(parseInteger("--crf", v, 0, 51));
             crfGiven = true;
         }},
        {"--preset", [&](const std::string& v) {
             if (v.empty()) throw UsageError("--preset needs an x264 preset name");
             o.preset = v;
             presetGiven = true;
         }},
        {"--ffmpeg", [&](const std::string& v) {
             if (v.empty()) throw UsageError("--ffmpeg needs a program");
             o.ffmpeg = v;
         }},
        {"--data", [&](const std::string& v) {
             if (v.empty()) throw UsageError("--data needs an archive file");
             o.archive = v;
             o.archiveGiven = true;
         }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--bench", [&] { bench = true; }},
        {"--window", [&] { o.window = true; }},
        {"--no-audio", [&] { o.audio = false; }},
        {"--draft", [&] { o.draft = true; }},
        {"--lossless", [&] { o.lossless = true; }},
        {"--log", [&] { o.engineLog = true; }},
        {"--stats", [&] { o.stats = true; }},
        {"-h", [&] { help = true; }},
        {"--help", [&] { help = true; }},
        {"--version", [&] { version = true; }},
    };

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
                inlineValue = true;
            }
        }
        if (auto f = flags.find(arg); f != flags.end()) {
            if (inlineValue) throw UsageError(arg + " takes no value");
            f->second();
        } else if (auto h = withValue.find(arg); h != withValue.end()) {
            if (!inlineValue) {
                if (i + 1 >= argc) throw UsageError(arg + " needs a value");
                value = argv[++i];
            }
            h->second(value);
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "'");
        } else {
            throw UsageError("unexpected argument '" + arg + "' (the output goes after -o)");
        }
    }
    if (help || version) {
        o.mode = help ? Mode::Help : Mode::Version;
        return o;
    }
    resolveMode(o, haveOutput, bench, sheet, rangeGiven);
    resolveEncoding(o, presetGiven, crfGiven);
    return o;
}

std::string FramePattern::pathFor(std::int64_t frame) const {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lld", padWidth, static_cast<long long>(frame));
    return prefix + digits + suffix;
}

std::optional<FramePattern> parseFramePattern(const std::string& name) {
    FramePattern pattern;
    bool found = false;
    std::string* part = &pattern.prefix;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') {
            *part += name[i];
            continue;
        }
        std::size_t j = i + 1;
        if (j < name.size() && name[j] == '%') {
            *part += '%';
            i = j;
            continue;
        }
        int pad = 0;
        if (j < name.size() && name[j] == '0') {
            ++j;
            if (j >= name.size() || !std::isdigit(static_cast<unsigned char>(name[j])) || name[j] == '0')
                throw UsageError("output name '" + name + "': write the frame number as %d or %0Nd (N from 1 to 9)");
            pad = name[j] - '0';
            ++j;
        }
        if (j >= name.size() || name[j] != 'd')
            throw UsageError("output name '" + name + "': unsupported '%' sequence (use %d or %05d for the frame number, %% for a '%')");
        if (found) throw UsageError("output name '" + name + "': more than one frame number");
        found = true;
        pattern.padWidth = pad;
        part = &pattern.suffix;
        i = j;
    }
    if (!found) return std::nullopt;
    return pattern;
}

bool isPngName(const std::string& name) { return lowerExtension(name) == "png"; }

std::string archivePath(const Options& options) {
    if (!options.archiveGiven) return options.archive;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(options.archive, error);
    return error ? options.archive : absolute.string();
}

std::string usageText() {
    const Options defaults;
    return R"(Usage: glass-meridian-capture [options] -o OUTPUT
  or:  glass-meridian-capture [options] --bench
  or:  glass-meridian-capture [options] --contact-sheet FILE.png
  or:  glass-meridian-capture [options] --flash-report FILE.csv

Renders Glass Meridian frame by frame on a fixed clock (frame n at exactly
n*1000*M/N ms after --from at --fps N/M), so the same command gives the same
frames every time. Runs headless unless --window is given.

Output (-o):
  NAME.mp4 | .m4v | .mov | .mkv   H.264 video with the soundtrack (needs ffmpeg):
                                   High profile, BT.709, closed GOPs of half the
                                   frame rate, 2 B-frames, AAC-LC 48 kHz stereo
  NAME.webm                        VP9 video (BT.709) with the soundtrack
  NAME.mkv --lossless              FFV1 RGB with the song in FLAC: every pixel
                                   and sample as rendered and decoded
  NAME_%05d.png                    one PNG per frame, numbered from 0
  NAME.png --frame-at MS           the single frame at MS

Options:
  --width N, --height N   picture size (default 1280 x 720)
  --fps N, --fps N/M      frames per second, whole or a fraction such as 60000/1001
                          or 30000/1001 (default 60; 1 to 240)
  --antialias N           draw through a multisampled framebuffer of N samples a
                          pixel (2, 4 or 8, as far as the OpenGL offers) at the
                          output's own size, so line widths stay as drawn
  --from MS, --to MS      the span to render, in ms (default 0 to )" + std::to_string(defaults.toMs) + R"()
  --frame-at MS           one frame (with -o NAME.png), before the end at )" + std::to_string(kEndMs) + R"( ms
  --bench                 render without writing; print frame times and peak memory
  --contact-sheet FILE    a PNG grid of frames at even times across the span
  --flash-report FILE     general and red flashes (WCAG 2.3.1) in the frames as
                          captured, per second of the demo, as CSV, and one line
                          saying whether any second goes beyond the threshold;
                          alone it renders and analyses, nothing else written
  --grid CxR              contact sheet columns x rows (default 4x3)
  --thumb-width PX        contact sheet picture width (default 256)
  --no-audio              leave the soundtrack out of a video
  --crf N, --preset NAME  x264 quality (default 18) and speed (default veryfast;
                          slower presets give smaller files of the same quality)
  --draft                 H.264 at x264's fastest (ultrafast, Constrained Baseline,
                          no B-frames): the least CPU beside the renderer
  --lossless              with -o NAME.mkv: the lossless archive master
  --ffmpeg PROGRAM        the ffmpeg to run (default: ffmpeg from PATH)
  --data FILE             the data archive, relative to the working folder
                          (default )" + defaults.archive + R"( beside the program, or installed
                          in ../share/glass-meridian from the program's folder)
  --window                show the frames in a window instead of rendering headless
  --log                   the engine's log on stderr
  --stats                 when done, print the time taken and the peak memory
                          (this program's and ffmpeg's)
  -h, --help              this text
  --version               the program's version
)";
}

std::string versionText() {
    return std::string("glass-meridian-capture (Glass Meridian) ") + GM_VERSION + "\n";
}

}  // namespace capture

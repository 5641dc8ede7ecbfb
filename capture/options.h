// Command-line options of glass-meridian-capture and their parsing.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "capture/frames.h"
#include "host/production.h"

namespace capture {

// A command line that cannot be run: the message says which option and why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A frame file pattern: prefix, frame number (zero-padded to padWidth digits,
// 0 = no padding), suffix. "shot_%05d.png" -> {"shot_", 5, ".png"}.
struct FramePattern {
    std::string prefix;
    int padWidth = 0;
    std::string suffix;

    std::string pathFor(std::int64_t frame) const;
};

// Parses the one "%d" / "%0Nd" in a name ("%%" is a literal '%'). Returns
// nothing when the name has no frame number; throws UsageError on any other
// '%' sequence or on more than one number.
std::optional<FramePattern> parseFramePattern(const std::string& name);

// True when the name ends in ".png" (case-insensitive).
bool isPngName(const std::string& name);

enum class Mode {
    Help,          // print the usage text
    Version,       // print the program's name and version
    Video,         // -o NAME.mp4 (or another container): ffmpeg child process
    PngSequence,   // -o NAME%05d.png: one PNG per frame
    SinglePng,     // -o NAME.png with --frame-at MS
    Bench,         // --bench: render only, report frame times
    ContactSheet,  // --contact-sheet FILE: a grid of frames at even times
    FlashReport,   // --flash-report FILE alone: the frames analysed, nothing else written
};

struct Options {
    Mode mode = Mode::Help;
    std::string output;          // -o, or the contact sheet's file
    int width = 1280;
    int height = 720;
    FrameRate fps;               // --fps N or N/M
    std::int64_t fromMs = 0;
    std::int64_t toMs = static_cast<std::int64_t>(glassmeridian::production::kEndMs);
    std::int64_t frameAtMs = -1;  // --frame-at; -1 when not given
    int antialias = 0;           // --antialias N: samples a pixel (0: drawn as the window's framebuffer is)
    bool window = false;         // show the frames in a window instead of rendering headless
    bool audio = true;           // mux the soundtrack into a video
    int crf = 18;                // x264 constant rate factor
    std::string preset = "veryfast";  // x264 speed preset (--draft: ultrafast)
    bool draft = false;          // H.264: the fastest encode, without the upload settings
    bool lossless = false;       // .mkv: FFV1 RGB with FLAC, the archive master
    std::string ffmpeg = "ffmpeg";    // program name (looked up in PATH) or path
    std::string archive = glassmeridian::production::kArchive;
    bool archiveGiven = false;   // --data: a path relative to the working folder
    bool engineLog = false;
    bool stats = false;          // print the time taken and the peak memory when done
    std::string flashReport;     // --flash-report FILE.csv: flashes per second (alone, or with a video or PNG sequence)
    int gridColumns = 4;         // contact sheet
    int gridRows = 3;
    int thumbWidth = 256;
};

// "--fps" values: N or N/M, whole numbers up to 1000000, from 1 to 240
// frames a second. Throws UsageError naming the value.
FrameRate parseFrameRate(const std::string& text);

// Parses argv (argv[0] is the program). Throws UsageError on any fault.
Options parseOptions(int argc, const char* const* argv);

// The archive to open: a --data path made absolute (so it is the user's file,
// never one of that name beside the program); otherwise the default name,
// which the engine looks for beside the program, then where an installed
// tree keeps it (fluxcore/dms.h, dmsInitEx).
std::string archivePath(const Options& options);

// The --help text.
std::string usageText();
// The --version text: the one line "glass-meridian-capture (Glass Meridian)
// VERSION", the form help2man reads.
std::string versionText();

}  // namespace capture

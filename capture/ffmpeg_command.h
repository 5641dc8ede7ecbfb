// The ffmpeg command line that turns raw frames on stdin (and the soundtrack
// file) into a video, and the lookup of the ffmpeg program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/output_target.h"

namespace capture {

struct VideoRequest {
    int width = 0;
    int height = 0;
    int fps = 60;
    std::int64_t frameCount = 0;
    VideoFormat format;
    int crf = 18;
    std::string preset = "veryfast";
    // Soundtrack file (empty: a video without audio) and where the music
    // starts, in ms from the first frame: positive delays it by silence,
    // negative starts the song that far into itself.
    std::string songPath;
    std::int64_t songOffsetMs = 0;
    std::string outputPath;  // where ffmpeg writes (the temporary name)
};

// Arguments after the program name. Frames arrive as packed rgb24 rows, top
// row first. The video is exactly frameCount / fps long; the audio is padded
// with silence or cut to that length.
std::vector<std::string> buildFfmpegArgs(const VideoRequest& request);

// The program to run: a name containing '/' is taken as a path, otherwise it
// is looked up in searchPath (a PATH-style list). Empty when nothing
// executable is found.
std::string findExecutable(const std::string& program, const std::string& searchPath);

}  // namespace capture

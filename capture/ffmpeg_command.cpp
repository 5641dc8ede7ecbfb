// ffmpeg argument lists and PATH lookup.
#include "capture/ffmpeg_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace capture {

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> buildFfmpegArgs(const VideoRequest& r) {
    const double duration = static_cast<double>(r.frameCount) / r.fps;
    std::vector<std::string> args = {
        "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24",
        "-video_size", std::to_string(r.width) + "x" + std::to_string(r.height),
        "-framerate", std::to_string(r.fps),
        "-i", "pipe:0",
    };
    const bool audio = !r.songPath.empty();
    if (audio) {
        if (r.songOffsetMs < 0) args.insert(args.end(), {"-ss", fixed(-r.songOffsetMs / 1000.0, 3)});
        args.insert(args.end(), {"-i", r.songPath});
    }
    args.insert(args.end(), {"-map", "0:v"});
    if (audio) args.insert(args.end(), {"-map", "1:a"});
    args.insert(args.end(), r.format.videoArgs.begin(), r.format.videoArgs.end());
    if (r.format.x264) args.insert(args.end(), {"-preset", r.preset, "-crf", std::to_string(r.crf)});
    if (audio) {
        args.insert(args.end(), r.format.audioArgs.begin(), r.format.audioArgs.end());
        // adelay puts silence before the song; apad fills the end so the audio
        // lasts as long as the video, and -t below cuts both to that length.
        std::string filter = "apad";
        if (r.songOffsetMs > 0) {
            filter = "adelay=delays=" + std::to_string(r.songOffsetMs) + ":all=1," + filter;
        }
        args.insert(args.end(), {"-af", filter});
    }
    args.insert(args.end(), {"-t", fixed(duration, 6)});
    args.insert(args.end(), r.format.muxerArgs.begin(), r.format.muxerArgs.end());
    args.insert(args.end(), {"-f", r.format.muxer, r.outputPath});
    return args;
}

std::string findExecutable(const std::string& program, const std::string& searchPath) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : std::string();
    std::size_t begin = 0;
    while (begin <= searchPath.size()) {
        std::size_t end = searchPath.find(':', begin);
        if (end == std::string::npos) end = searchPath.size();
        std::string dir = searchPath.substr(begin, end - begin);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + program;
        if (isExecutableFile(candidate)) return candidate;
        begin = end + 1;
    }
    return {};
}

}  // namespace capture

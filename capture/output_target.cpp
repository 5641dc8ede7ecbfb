// Output names: frame patterns and the containers ffmpeg writes.
#include "capture/output_target.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "capture/options.h"

namespace capture {

namespace {

std::string lowerExtension(const std::string& name) {
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

VideoFormat h264(const std::string& muxer, std::vector<std::string> muxerArgs) {
    VideoFormat f;
    f.muxer = muxer;
    f.videoArgs = {"-c:v", "libx264", "-pix_fmt", "yuv420p"};
    f.x264 = true;
    f.audioArgs = {"-c:a", "aac", "-b:a", "192k"};
    f.muxerArgs = std::move(muxerArgs);
    return f;
}

}  // namespace

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

std::optional<VideoFormat> videoFormatFor(const std::string& name) {
    const std::string ext = lowerExtension(name);
    if (ext == "mp4" || ext == "m4v") return h264("mp4", {"-movflags", "+faststart"});
    if (ext == "mov") return h264("mov", {"-movflags", "+faststart"});
    if (ext == "mkv") return h264("matroska", {});
    if (ext == "webm") {
        VideoFormat f;
        f.muxer = "webm";
        f.videoArgs = {"-c:v", "libvpx-vp9", "-pix_fmt", "yuv420p", "-b:v", "0", "-crf", "32",
                       "-deadline", "realtime", "-cpu-used", "8", "-row-mt", "1"};
        f.audioArgs = {"-c:a", "libopus", "-b:a", "160k"};
        return f;
    }
    return std::nullopt;
}

bool isPngName(const std::string& name) { return lowerExtension(name) == "png"; }

const char* knownVideoExtensions() { return ".mp4, .m4v, .mov, .mkv, .webm"; }

}  // namespace capture

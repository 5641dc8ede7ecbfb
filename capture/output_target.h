// What an output name asks for: a PNG frame pattern, a single PNG, or a video
// container, and how ffmpeg writes that container.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace capture {

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

// How ffmpeg writes one container.
struct VideoFormat {
    std::string muxer;                   // -f
    std::vector<std::string> videoArgs;  // codec and its settings; crf/preset appended for x264
    bool x264 = false;
    std::vector<std::string> audioArgs;  // audio codec and settings
    std::vector<std::string> muxerArgs;  // container options
};

// The format for a file name by its extension (case-insensitive), or nothing.
std::optional<VideoFormat> videoFormatFor(const std::string& name);

// True when the name ends in ".png" (case-insensitive).
bool isPngName(const std::string& name);

// Extensions videoFormatFor knows, for messages.
const char* knownVideoExtensions();

}  // namespace capture

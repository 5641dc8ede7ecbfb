// Whether the archive's song is fit to be muxed into a video: ffmpeg gives up
// on a damaged Ogg stream and would fail the whole capture, where the demo
// itself plays on silently.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// Decodes the whole song (Ogg Vorbis bytes). True when every page decodes;
// otherwise false with the fault in `why` ("not Ogg Vorbis data", "damaged
// audio data", ...).
bool songDecodesCleanly(const std::vector<std::uint8_t>& ogg, std::string& why);

}  // namespace capture

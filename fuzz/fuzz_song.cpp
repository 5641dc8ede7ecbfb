// libFuzzer target: song decoding as the player's decoder thread does it, from
// memory through the engine's Vorbis stream, without an audio device: open,
// decode a stretch, seek into the middle and to the end, decode again.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/vorbis_stream.h"

namespace {
constexpr long kChunkFrames = 1024;
constexpr long kFramesPerPass = 32 * kChunkFrames;  // bounds the work per input
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    auto stream = fluxcore::audio::VorbisStream::open(std::vector<unsigned char>(data, data + size), why);
    if (!stream) {
        if (why.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    std::vector<float> out(2 * kChunkFrames + 16, 0.0f);
    const auto pass = [&] {
        for (long done = 0; done < kFramesPerPass;) {
            const long n = stream->read(out.data(), kChunkFrames);
            if (n <= 0) return;
            if (n > kChunkFrames) __builtin_trap();
            done += n;
        }
    };
    pass();
    if (stream->seek(stream->totalFrames() / 2)) pass();
    if (stream->seek(stream->totalFrames())) pass();
    stream->seek(-1);
    pass();
    return 0;
}

// Ogg Vorbis decoding from bytes held in memory, giving interleaved stereo
// float frames whatever the stream's channel layout. The decoder behind it is
// the tree's choice: libvorbisfile (vorbis_stream_libvorbis.cpp) or stb_vorbis
// (vorbis_stream_stb.cpp), one of them linked; both keep this contract.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fluxcore::audio {

class VorbisStream {
public:
    // Opens the stream; on failure returns null and names the fault in `why`
    // ("song is empty", "song is not playable Ogg Vorbis: ...", an
    // unsupported channel count or rate, "song has no audio frames").
    static std::unique_ptr<VorbisStream> open(std::vector<unsigned char> bytes, std::string& why);
    ~VorbisStream();

    VorbisStream(const VorbisStream&) = delete;
    VorbisStream& operator=(const VorbisStream&) = delete;

    int rate() const { return rate_; }
    int channels() const { return channels_; }
    std::int64_t totalFrames() const { return totalFrames_; }

    // Decodes up to maxFrames stereo frames into `out` (2 * maxFrames floats).
    // Returns the frames written, 0 at the end of the stream, -1 when the data
    // is damaged beyond a recoverable hole.
    long read(float* out, long maxFrames);

    // Moves to frame `frame` (clamped to the stream's length), so that the
    // next read starts with exactly that frame; false on failure.
    bool seek(std::int64_t frame);

    struct Decoder;  // the decoder library's state

private:
    VorbisStream();

    std::unique_ptr<Decoder> decoder_;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t totalFrames_ = 0;
};

}  // namespace fluxcore::audio

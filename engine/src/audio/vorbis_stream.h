// Ogg Vorbis decoding from bytes held in memory (libvorbisfile), giving
// interleaved stereo float frames whatever the stream's channel layout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

namespace fluxcore::audio {

class VorbisStream {
public:
    // Opens the stream; on failure returns null and names the fault in `why`.
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

    // Moves to frame `frame` (clamped to the stream's length); false on failure.
    bool seek(std::int64_t frame);

private:
    VorbisStream() = default;

    static size_t readCallback(void* dst, size_t size, size_t count, void* source);
    static int seekCallback(void* source, ogg_int64_t offset, int whence);
    static long tellCallback(void* source);

    std::vector<unsigned char> bytes_;
    std::size_t cursor_ = 0;
    OggVorbis_File file_{};
    bool opened_ = false;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t totalFrames_ = 0;
};

// The libvorbisfile error code as text.
const char* vorbisErrorText(int code);

}  // namespace fluxcore::audio

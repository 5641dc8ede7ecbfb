// VorbisStream on stb_vorbis (Debian's libstb-dev), for trees without
// libvorbisfile (Windows); stb_vorbis's implementation is compiled at the end
// of this file, memory input only.
#define STB_VORBIS_NO_STDIO 1
#define STB_VORBIS_NO_PUSHDATA_API 1
#define STB_VORBIS_NO_INTEGER_CONVERSION 1
#define STB_VORBIS_HEADER_ONLY 1
#include <stb_vorbis.h>

#include "audio/vorbis_stream.h"

#include <algorithm>
#include <climits>

namespace fluxcore::audio {

namespace {

// stb_vorbis's error code as text, in libvorbisfile's words where they meet.
const char* stbErrorText(int code) {
    switch (code) {
    case VORBIS_outofmem: return "out of memory";
    case VORBIS_feature_not_supported: return "unsupported Vorbis feature (floor 0)";
    case VORBIS_too_many_channels: return "too many channels";
    case VORBIS_unexpected_eof: return "stream cut short";
    case VORBIS_invalid_setup: return "damaged Vorbis header";
    case VORBIS_invalid_stream: return "invalid stream";
    case VORBIS_missing_capture_pattern:
    case VORBIS_invalid_first_page:
    case VORBIS_bad_packet_type: return "not Ogg Vorbis data";
    case VORBIS_invalid_stream_structure_version: return "unsupported Ogg version";
    case VORBIS_ogg_skeleton_not_supported: return "Ogg skeleton streams not supported";
    default: return "decoder error";
    }
}

}  // namespace

// The bytes stb_vorbis decodes from (it keeps pointers into them), the
// decoder, and the per-channel buffers one read decodes into.
struct VorbisStream::Decoder {
    std::vector<unsigned char> bytes;
    stb_vorbis* vorbis = nullptr;
    bool atEnd = false;    // a seek to the end: reads give 0 until the next seek
    bool damaged = false;  // the decoder reported an error: reads give -1
    std::vector<float> left, right;

    ~Decoder() {
        if (vorbis) stb_vorbis_close(vorbis);
    }
};

VorbisStream::VorbisStream() : decoder_(std::make_unique<Decoder>()) {}

VorbisStream::~VorbisStream() = default;

std::unique_ptr<VorbisStream> VorbisStream::open(std::vector<unsigned char> bytes, std::string& why) {
    std::unique_ptr<VorbisStream> s(new VorbisStream());
    Decoder& d = *s->decoder_;
    d.bytes = std::move(bytes);
    if (d.bytes.empty()) {
        why = "song is empty";
        return nullptr;
    }
    if (d.bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        why = "song is too large";
        return nullptr;
    }
    int error = 0;
    d.vorbis = stb_vorbis_open_memory(d.bytes.data(), static_cast<int>(d.bytes.size()), &error, nullptr);
    if (d.vorbis == nullptr) {
        why = std::string("song is not playable Ogg Vorbis: ") + stbErrorText(error);
        return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(d.vorbis);
    if (info.channels < 1 || info.channels > 2) {
        why = "song has an unsupported channel count (mono or stereo only)";
        return nullptr;
    }
    if (info.sample_rate < 8000 || info.sample_rate > 192000) {
        why = "song has an unsupported sample rate " + std::to_string(info.sample_rate) + " Hz";
        return nullptr;
    }
    s->rate_ = static_cast<int>(info.sample_rate);
    s->channels_ = info.channels;
    const unsigned int total = stb_vorbis_stream_length_in_samples(d.vorbis);
    if (total == 0) {
        why = "song has no audio frames";
        return nullptr;
    }
    s->totalFrames_ = total;
    // Finding the length moved the decoder: back to the first frame.
    if (!stb_vorbis_seek_start(d.vorbis)) {
        why = std::string("song is not playable Ogg Vorbis: ") + stbErrorText(stb_vorbis_get_error(d.vorbis));
        return nullptr;
    }
    stb_vorbis_get_error(d.vorbis);  // clears what the scan for the last page left
    return s;
}

long VorbisStream::read(float* out, long maxFrames) {
    Decoder& d = *decoder_;
    if (d.damaged) return -1;
    if (d.atEnd || maxFrames <= 0) return 0;
    const int frames = static_cast<int>(std::min<long>(maxFrames, 1 << 20));
    if (d.left.size() < static_cast<std::size_t>(frames)) {
        d.left.resize(frames);
        d.right.resize(frames);
    }
    float* channels[2] = {d.left.data(), d.right.data()};
    // Partial frames are kept inside stb_vorbis between reads.
    const int n = stb_vorbis_get_samples_float(d.vorbis, channels_, channels, frames);
    if (stb_vorbis_get_error(d.vorbis) != VORBIS__no_error) {
        d.damaged = true;
        if (n <= 0) return -1;
    }
    const float* right = channels_ > 1 ? d.right.data() : d.left.data();
    for (int i = 0; i < n; ++i) {
        out[2 * i] = d.left[i];
        out[2 * i + 1] = right[i];
    }
    return n;
}

bool VorbisStream::seek(std::int64_t frame) {
    Decoder& d = *decoder_;
    frame = std::clamp<std::int64_t>(frame, 0, totalFrames_);
    d.damaged = false;
    d.atEnd = frame >= totalFrames_;
    if (d.atEnd) return true;
    const int ok = frame == 0 ? stb_vorbis_seek_start(d.vorbis)
                              : stb_vorbis_seek(d.vorbis, static_cast<unsigned int>(frame));
    const bool clean = stb_vorbis_get_error(d.vorbis) == VORBIS__no_error;
    return ok != 0 && clean;
}

}  // namespace fluxcore::audio

// stb_vorbis's implementation, with the options above; its header part was
// read at the top.
#undef STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

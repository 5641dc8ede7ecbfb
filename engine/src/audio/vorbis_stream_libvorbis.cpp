// VorbisStream on libvorbisfile: decoding from memory through its callback
// interface.
#include "audio/vorbis_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace fluxcore::audio {

namespace {

// The libvorbisfile error code as text.
const char* vorbisErrorText(int code) {
    switch (code) {
    case OV_EREAD: return "read error";
    case OV_ENOTVORBIS: return "not Ogg Vorbis data";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EBADHEADER: return "damaged Vorbis header";
    case OV_EFAULT: return "internal decoder fault";
    case OV_EINVAL: return "invalid stream";
    case OV_EBADLINK: return "damaged stream link";
    case OV_ENOSEEK: return "stream not seekable";
    case OV_HOLE: return "gap in the data";
    default: return "decoder error";
    }
}

}  // namespace

// The bytes and the read cursor libvorbisfile moves through its callbacks.
struct VorbisStream::Decoder {
    std::vector<unsigned char> bytes;
    std::size_t cursor = 0;
    OggVorbis_File file{};
    bool opened = false;

    ~Decoder() {
        if (opened) ov_clear(&file);
    }

    static size_t readCallback(void* dst, size_t size, size_t count, void* source) {
        auto* self = static_cast<Decoder*>(source);
        if (size == 0) return 0;
        const std::size_t left = self->bytes.size() - self->cursor;
        const std::size_t items = std::min(count, left / size);
        std::memcpy(dst, self->bytes.data() + self->cursor, items * size);
        self->cursor += items * size;
        return items;
    }

    static int seekCallback(void* source, ogg_int64_t offset, int whence) {
        auto* self = static_cast<Decoder*>(source);
        ogg_int64_t base = 0;
        if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(self->cursor);
        else if (whence == SEEK_END) base = static_cast<ogg_int64_t>(self->bytes.size());
        else if (whence != SEEK_SET) return -1;
        const ogg_int64_t target = base + offset;
        if (target < 0 || target > static_cast<ogg_int64_t>(self->bytes.size())) return -1;
        self->cursor = static_cast<std::size_t>(target);
        return 0;
    }

    static long tellCallback(void* source) { return static_cast<long>(static_cast<Decoder*>(source)->cursor); }
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
    const ov_callbacks callbacks{&Decoder::readCallback, &Decoder::seekCallback, nullptr, &Decoder::tellCallback};
    const int rc = ov_open_callbacks(&d, &d.file, nullptr, 0, callbacks);
    if (rc != 0) {
        why = std::string("song is not playable Ogg Vorbis: ") + vorbisErrorText(rc);
        return nullptr;
    }
    d.opened = true;
    const vorbis_info* info = ov_info(&d.file, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 2) {
        why = "song has an unsupported channel count (mono or stereo only)";
        return nullptr;
    }
    if (info->rate < 8000 || info->rate > 192000) {
        why = "song has an unsupported sample rate " + std::to_string(info->rate) + " Hz";
        return nullptr;
    }
    s->rate_ = static_cast<int>(info->rate);
    s->channels_ = info->channels;
    const ogg_int64_t total = ov_pcm_total(&d.file, -1);
    if (total <= 0) {
        why = "song has no audio frames";
        return nullptr;
    }
    s->totalFrames_ = total;
    return s;
}

long VorbisStream::read(float* out, long maxFrames) {
    OggVorbis_File& file = decoder_->file;
    long written = 0;
    int holes = 0;
    while (written == 0) {
        float** pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&file, &pcm, static_cast<int>(maxFrames), &section);
        if (n == 0) return 0;
        if (n == OV_HOLE) {
            if (++holes > 64) return -1;
            continue;
        }
        if (n < 0) return -1;
        const vorbis_info* info = ov_info(&file, section);
        const int channels = info != nullptr ? info->channels : 1;
        const float* left = pcm[0];
        const float* right = channels > 1 ? pcm[1] : pcm[0];
        for (long i = 0; i < n; ++i) {
            out[2 * i] = left[i];
            out[2 * i + 1] = right[i];
        }
        written = n;
    }
    return written;
}

bool VorbisStream::seek(std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, totalFrames_);
    return ov_pcm_seek(&decoder_->file, frame) == 0;
}

}  // namespace fluxcore::audio

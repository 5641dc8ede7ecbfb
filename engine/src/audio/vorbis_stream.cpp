// Ogg Vorbis decoding from memory through libvorbisfile's callback interface.
#include "audio/vorbis_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace fluxcore::audio {

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

size_t VorbisStream::readCallback(void* dst, size_t size, size_t count, void* source) {
    auto* self = static_cast<VorbisStream*>(source);
    if (size == 0) return 0;
    const std::size_t left = self->bytes_.size() - self->cursor_;
    const std::size_t items = std::min(count, left / size);
    std::memcpy(dst, self->bytes_.data() + self->cursor_, items * size);
    self->cursor_ += items * size;
    return items;
}

int VorbisStream::seekCallback(void* source, ogg_int64_t offset, int whence) {
    auto* self = static_cast<VorbisStream*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(self->cursor_);
    else if (whence == SEEK_END) base = static_cast<ogg_int64_t>(self->bytes_.size());
    else if (whence != SEEK_SET) return -1;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(self->bytes_.size())) return -1;
    self->cursor_ = static_cast<std::size_t>(target);
    return 0;
}

long VorbisStream::tellCallback(void* source) {
    return static_cast<long>(static_cast<VorbisStream*>(source)->cursor_);
}

std::unique_ptr<VorbisStream> VorbisStream::open(std::vector<unsigned char> bytes, std::string& why) {
    std::unique_ptr<VorbisStream> s(new VorbisStream());
    s->bytes_ = std::move(bytes);
    if (s->bytes_.empty()) {
        why = "song is empty";
        return nullptr;
    }
    const ov_callbacks callbacks{&VorbisStream::readCallback, &VorbisStream::seekCallback,
                                 nullptr, &VorbisStream::tellCallback};
    const int rc = ov_open_callbacks(s.get(), &s->file_, nullptr, 0, callbacks);
    if (rc != 0) {
        why = std::string("song is not playable Ogg Vorbis: ") + vorbisErrorText(rc);
        return nullptr;
    }
    s->opened_ = true;
    const vorbis_info* info = ov_info(&s->file_, -1);
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
    const ogg_int64_t total = ov_pcm_total(&s->file_, -1);
    if (total <= 0) {
        why = "song has no audio frames";
        return nullptr;
    }
    s->totalFrames_ = total;
    return s;
}

VorbisStream::~VorbisStream() {
    if (opened_) ov_clear(&file_);
}

long VorbisStream::read(float* out, long maxFrames) {
    long written = 0;
    int holes = 0;
    while (written == 0) {
        float** pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&file_, &pcm, static_cast<int>(maxFrames), &section);
        if (n == 0) return 0;
        if (n == OV_HOLE) {
            if (++holes > 64) return -1;
            continue;
        }
        if (n < 0) return -1;
        const vorbis_info* info = ov_info(&file_, section);
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
    return ov_pcm_seek(&file_, frame) == 0;
}

}  // namespace fluxcore::audio

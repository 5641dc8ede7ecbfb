// The song check: libvorbisfile over the bytes in memory.
#include "capture/song_check.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace capture {

namespace {

struct Source {
    const std::vector<std::uint8_t>& bytes;
    std::size_t at = 0;
};

size_t readBytes(void* to, size_t size, size_t count, void* from) {
    auto* source = static_cast<Source*>(from);
    if (size == 0) return 0;
    const std::size_t items = std::min(count, (source->bytes.size() - source->at) / size);
    std::memcpy(to, source->bytes.data() + source->at, items * size);
    source->at += items * size;
    return items;
}

int seekBytes(void* from, ogg_int64_t offset, int whence) {
    auto* source = static_cast<Source*>(from);
    const auto size = static_cast<ogg_int64_t>(source->bytes.size());
    const ogg_int64_t base = whence == SEEK_CUR ? static_cast<ogg_int64_t>(source->at) : whence == SEEK_END ? size : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    if (base + offset < 0 || base + offset > size) return -1;
    source->at = static_cast<std::size_t>(base + offset);
    return 0;
}

long tellBytes(void* from) { return static_cast<long>(static_cast<Source*>(from)->at); }

}  // namespace

bool songDecodesCleanly(const std::vector<std::uint8_t>& ogg, std::string& why) {
    Source source{ogg};
    OggVorbis_File file;
    const ov_callbacks callbacks{readBytes, seekBytes, nullptr, tellBytes};
    if (ogg.empty() || ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) {
        why = "not Ogg Vorbis data";
        return false;
    }
    const std::unique_ptr<OggVorbis_File, int (*)(OggVorbis_File*)> open(&file, ov_clear);
    if (ov_pcm_total(&file, -1) <= 0) {
        why = "damaged stream (its length cannot be read)";
        return false;
    }
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        const long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames == 0) return true;
        if (frames < 0) {
            why = frames == OV_HOLE ? "damaged audio data (a gap in the stream)" : "damaged audio data";
            return false;
        }
    }
}

}  // namespace capture

// Song decoding (libvorbisfile) and its place on a capture's timeline.
#include "capture/song.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace capture {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "ov_read is asked for little-endian samples");

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

// a / b rounded to the nearest whole number, halves away from zero (b > 0).
std::int64_t divideRounded(std::int64_t a, std::int64_t b) {
    return a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b));
}

}  // namespace

bool decodeSong(const std::vector<std::uint8_t>& ogg, Pcm& pcm, std::string& why) {
    Source source{ogg};
    OggVorbis_File file;
    const ov_callbacks callbacks{readBytes, seekBytes, nullptr, tellBytes};
    if (ogg.empty() || ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) {
        why = "not Ogg Vorbis data";
        return false;
    }
    const std::unique_ptr<OggVorbis_File, int (*)(OggVorbis_File*)> open(&file, ov_clear);
    const ogg_int64_t total = ov_pcm_total(&file, -1);
    const vorbis_info* info = ov_info(&file, -1);
    if (total <= 0 || !info) {
        why = "damaged stream (its length cannot be read)";
        return false;
    }
    pcm.rate = static_cast<int>(info->rate);
    pcm.channels = info->channels;
    pcm.samples.clear();
    pcm.samples.reserve(static_cast<std::size_t>(total) * static_cast<std::size_t>(pcm.channels));
    std::vector<char> buffer(16384);
    int section = 0;
    for (;;) {
        // 2-byte signed little-endian words: the machine's order (checked above).
        const long bytes = ov_read(&file, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1, &section);
        if (bytes == 0) break;
        if (bytes < 0) {
            why = bytes == OV_HOLE ? "damaged audio data (a gap in the stream)" : "damaged audio data";
            return false;
        }
        const vorbis_info* now = ov_info(&file, section);
        if (!now || now->channels != pcm.channels || now->rate != info->rate) {
            why = "the stream changes its channels or rate midway";
            return false;
        }
        const std::size_t at = pcm.samples.size();
        pcm.samples.resize(at + static_cast<std::size_t>(bytes) / 2);
        std::memcpy(pcm.samples.data() + at, buffer.data(), static_cast<std::size_t>(bytes));
    }
    return true;
}

std::int64_t audioFramesFor(std::int64_t videoFrames, const FrameRate& rate, int sampleRate) {
    return divideRounded(videoFrames * rate.den * sampleRate, rate.num);
}

Pcm songOnTimeline(const Pcm& song, std::int64_t songOffsetMs, std::int64_t frames) {
    Pcm out;
    out.rate = song.rate;
    out.channels = song.channels;
    out.samples.assign(static_cast<std::size_t>(std::max<std::int64_t>(frames, 0) * song.channels), 0);
    // Output frame i is song frame i - start.
    const std::int64_t start = divideRounded(songOffsetMs * song.rate, 1000);
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t last = std::min<std::int64_t>(frames, start + song.frames());
    if (last > first) {
        std::copy(song.samples.begin() + (first - start) * song.channels,
                  song.samples.begin() + (last - start) * song.channels,
                  out.samples.begin() + first * song.channels);
    }
    return out;
}

}  // namespace capture

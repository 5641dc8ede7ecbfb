// Ogg Vorbis encoding and decoding through libvorbisenc and libvorbisfile.
#include "ogg_codec.h"

#include <algorithm>
#include <cstring>

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace gmsynth {

namespace {
constexpr int kStreamSerial = 0x474d3031;  // fixed so every build writes the same bytes
constexpr int kChunkFrames = 1024;

void appendPage(const ogg_page& page, std::vector<unsigned char>& out) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

struct MemoryReader {
    const std::vector<unsigned char>* bytes;
    std::size_t cursor;
};

size_t readMemory(void* dst, size_t size, size_t count, void* source) {
    auto* r = static_cast<MemoryReader*>(source);
    if (size == 0) return 0;
    const std::size_t items = std::min(count, (r->bytes->size() - r->cursor) / size);
    std::memcpy(dst, r->bytes->data() + r->cursor, items * size);
    r->cursor += items * size;
    return items;
}
}  // namespace

std::vector<unsigned char> encodeOggVorbis(const std::vector<float>& s, int rate, float quality, int channels) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    vorbis_encode_init_vbr(&vi, channels, rate, quality);
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Glass Meridian");
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, kStreamSerial);

    std::vector<unsigned char> out;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) appendPage(page, out);

    const std::size_t width = static_cast<std::size_t>(channels);
    const std::size_t frames = s.size() / width;
    std::size_t done = 0;
    bool eos = false;
    while (!eos) {
        const std::size_t n = std::min<std::size_t>(kChunkFrames, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t c = 0; c < width; ++c) buffer[c][i] = s[width * (done + i) + c];
            }
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page) != 0) {
                    appendPage(page, out);
                    if (ogg_page_eos(&page) != 0) eos = true;
                }
            }
        }
        if (n == 0) break;
    }
    while (ogg_stream_flush(&os, &page) != 0) appendPage(page, out);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

bool decodeOggVorbis(const std::vector<unsigned char>& bytes, DecodedAudio& out, std::string& why) {
    MemoryReader reader{&bytes, 0};
    const ov_callbacks callbacks{&readMemory, nullptr, nullptr, nullptr};  // read straight through
    OggVorbis_File file;
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) {
        why = "not Ogg Vorbis data";
        return false;
    }
    const vorbis_info* info = ov_info(&file, -1);
    out.sampleRate = static_cast<int>(info->rate);
    out.channels = info->channels;
    out.samples.clear();
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&file, &pcm, 4096, &section);
        if (n == 0) break;
        if (n < 0) {
            ov_clear(&file);
            why = "damaged audio data";
            return false;
        }
        for (long i = 0; i < n; ++i) {
            for (int c = 0; c < out.channels; ++c) out.samples.push_back(pcm[c][i]);
        }
    }
    ov_clear(&file);
    return true;
}

}  // namespace gmsynth

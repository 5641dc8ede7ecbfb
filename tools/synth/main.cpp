// gm-synth: renders the Glass Meridian soundtrack from its score.
//   gm-synth --ogg OUT.ogg   the song as Ogg Vorbis (what data.pak carries)
//   gm-synth --wav OUT.wav   the same mix as 16-bit WAV, for listening
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>

#include "soundtrack.h"
#include "wav_writer.h"

namespace {
int usage() {
    std::fprintf(stderr, "usage: gm-synth [--ogg OUT.ogg] [--wav OUT.wav]  (at least one)\n");
    return 2;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f.flush());
}
}  // namespace

int main(int argc, char** argv) {
    std::string oggPath, wavPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ogg") == 0 && i + 1 < argc) oggPath = argv[++i];
        else if (std::strcmp(argv[i], "--wav") == 0 && i + 1 < argc) wavPath = argv[++i];
        else return usage();
    }
    if (oggPath.empty() && wavPath.empty()) return usage();
    try {
        const gmsynth::Soundtrack t = gmsynth::produceSoundtrack(!oggPath.empty());
        std::printf("gm-synth: %.2f s, %.2f LUFS, peak %.2f dBFS (gain %+.2f dB)\n",
                    static_cast<double>(t.mix.size() / 2) / gmsynth::kSampleRate, t.master.loudnessLufs,
                    t.master.peakDbfs, t.master.gainDb);
        if (!oggPath.empty()) {
            if (!writeBytes(oggPath, t.ogg)) {
                std::fprintf(stderr, "gm-synth: %s: cannot write\n", oggPath.c_str());
                return 1;
            }
            std::printf("gm-synth: %s: %zu bytes, decodes to %.2f s, peak %.2f dBFS\n", oggPath.c_str(),
                        t.ogg.size(), t.decodedSeconds, t.decodedPeakDbfs);
        }
        if (!wavPath.empty()) {
            std::string why;
            if (!gmsynth::writeWav(wavPath, t.mix, gmsynth::kSampleRate, why)) {
                std::fprintf(stderr, "gm-synth: %s\n", why.c_str());
                return 1;
            }
            std::printf("gm-synth: %s written\n", wavPath.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gm-synth: %s\n", e.what());
        return 1;
    }
    return 0;
}

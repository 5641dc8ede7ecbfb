// Producing the soundtrack.
#include "soundtrack.h"

#include <stdexcept>
#include <string>

#include "dsp/loudness.h"
#include "ogg_codec.h"
#include "render.h"
#include "score.h"

namespace gmsynth {

Soundtrack produceSoundtrack(bool encode) {
    const std::vector<float> raw = renderSong(composeGlassMeridian(), kSampleRate);
    MasterTarget target;
    // Keep this much room between the ceiling and the limit for the codec.
    constexpr double kMargin = 0.15;
    for (int attempt = 0; attempt < 5; ++attempt) {
        Soundtrack t;
        t.mix = raw;
        t.master = master(t.mix, kSampleRate, target);
        if (!encode) return t;
        t.ogg = encodeOggVorbis(t.mix, kSampleRate, kVorbisQuality);
        DecodedAudio decoded;
        std::string why;
        if (!decodeOggVorbis(t.ogg, decoded, why)) throw std::runtime_error("encoded song: " + why);
        t.decodedPeakDbfs = toDecibels(samplePeak(decoded.samples));
        t.decodedSeconds = static_cast<double>(decoded.samples.size() / 2) / decoded.sampleRate;
        if (t.decodedPeakDbfs <= kPeakLimitDbfs - kMargin) return t;
        target.ceilingDbfs -= t.decodedPeakDbfs - (kPeakLimitDbfs - kMargin) + 0.05;
    }
    throw std::runtime_error("encoded song: cannot keep the decoded peak under " +
                             std::to_string(kPeakLimitDbfs) + " dBFS");
}

}  // namespace gmsynth

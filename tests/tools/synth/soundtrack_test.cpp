// The finished soundtrack: what data.pak's song must be, checked on the
// decoded Ogg Vorbis stream, and the same bytes on every render.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/loudness.h"
#include "ogg_codec.h"
#include "soundtrack.h"

namespace gmsynth {
namespace {

double sectionRmsDb(const std::vector<float>& s, int rate, double from, double to) {
    double sum = 0.0;
    const auto a = static_cast<std::size_t>(from * rate) * 2, b = static_cast<std::size_t>(to * rate) * 2;
    for (std::size_t i = a; i < b; ++i) sum += static_cast<double>(s[i]) * s[i];
    return 10.0 * std::log10(sum / static_cast<double>(b - a) + 1e-30);
}

TEST(Soundtrack, DecodesToTheSongTheDemoNeedsAndRendersTheSameBytesTwice) {
    const Soundtrack t = produceSoundtrack(true);
    DecodedAudio d;
    std::string why;
    ASSERT_TRUE(decodeOggVorbis(t.ogg, d, why)) << why;
    EXPECT_EQ(d.sampleRate, 44100);
    EXPECT_EQ(d.channels, 2);
    const double seconds = static_cast<double>(d.samples.size() / 2) / d.sampleRate;
    EXPECT_GE(seconds, 47.0);
    EXPECT_LE(toDecibels(samplePeak(d.samples)), -1.0);
    EXPECT_NEAR(integratedLoudness(d.samples, d.sampleRate), -16.0, 0.5);
    EXPECT_NEAR(t.master.loudnessLufs, -16.0, 0.1);

    // The form: a quiet opening, the peak around 30 s, silence at the end.
    const double opening = sectionRmsDb(d.samples, d.sampleRate, 0.5, 4.5);
    const double build = sectionRmsDb(d.samples, d.sampleRate, 16.0, 22.0);
    const double peak = sectionRmsDb(d.samples, d.sampleRate, 29.5, 34.5);
    const double release = sectionRmsDb(d.samples, d.sampleRate, 37.5, 42.0);
    EXPECT_LT(opening, peak - 6.0);
    EXPECT_LT(build, peak);
    EXPECT_LT(release, peak);
    EXPECT_LT(sectionRmsDb(d.samples, d.sampleRate, 46.9, 47.9), -70.0);

    const Soundtrack again = produceSoundtrack(true);
    EXPECT_TRUE(again.ogg == t.ogg) << "the encoder is not deterministic";
}

TEST(OggCodec, RejectsBytesThatAreNotVorbis) {
    DecodedAudio d;
    std::string why;
    EXPECT_FALSE(decodeOggVorbis(std::vector<unsigned char>(4096, 0x4f), d, why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(decodeOggVorbis({}, d, why));
}

}  // namespace
}  // namespace gmsynth

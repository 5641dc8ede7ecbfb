// Measures song playback as the demo sees it: plays a song on the default
// audio device (SDL_AUDIODRIVER=dummy without sound hardware), reads the
// position once per 60 Hz frame, and reports how closely it follows the
// samples the device consumed, how evenly it moves, and the CPU the audio
// work takes.
//   audio_clock_probe SONG.ogg [SECONDS]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "audio/song_player.h"

using fluxcore::audio::SongPlayer;
using fluxcore::audio::SongPlayerStats;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: audio_clock_probe SONG.ogg [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 47.0;
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::string why;
    const auto start = std::chrono::steady_clock::now();
    auto player = SongPlayer::start(std::move(bytes), why);
    if (!player) {
        std::fprintf(stderr, "audio_clock_probe: %s: %s\n", argv[1], why.c_str());
        return 1;
    }
    auto wallMs = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    double worstModelError = 0.0, worstStepError = 0.0, firstWall = -1.0, firstPos = 0.0;
    double lastWall = 0.0, lastPos = -1.0, lastFit = 0.0;
    int frames = 0, backwards = 0;
    auto next = std::chrono::steady_clock::now();
    while (wallMs() < seconds * 1000.0) {
        next += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(next);
        const SongPlayerStats before = player->stats();
        const double pos = player->positionMs();
        const double wall = wallMs();
        const SongPlayerStats after = player->stats();
        ++frames;
        if (lastPos >= 0.0 && pos < lastPos) ++backwards;
        if (before.callbacks == after.callbacks && before.callbacks > 0) {
            // Ground truth: taken frames less the buffer in the device, give or take that buffer.
            const double takenMs = 1000.0 * before.callbacks * before.deviceFrames / before.rate;
            const double bufferMs = 1000.0 * before.deviceFrames / before.rate;
            const double outside = std::max({0.0, (takenMs - bufferMs) - pos, pos - takenMs});
            worstModelError = std::max(worstModelError, outside);
        }
        if (pos > 0.0 && firstWall < 0.0) {
            firstWall = wall;
            firstPos = pos;
        }
        if (lastPos > 0.0) worstStepError = std::max(worstStepError, std::fabs((pos - lastPos) - (wall - lastWall)));
        if (firstWall >= 0.0) lastFit = (pos - firstPos) - (wall - firstWall);
        lastWall = wall;
        lastPos = pos;
    }
    const SongPlayerStats s = player->stats();
    const double runSeconds = wallMs() / 1000.0;
    player->fadeOut();
    std::printf("driver %s, %d-frame buffers at %d Hz (%.1f ms latency allowed for)\n",
                player->driver().c_str(), s.deviceFrames, s.rate, 1000.0 * s.deviceFrames / s.rate);
    std::printf("frames %d over %.1f s; position went backwards %d times\n", frames, runSeconds, backwards);
    std::printf("position outside consumed-minus-latency window: worst %.3f ms\n", worstModelError);
    std::printf("frame-to-frame step vs wall clock: worst %.2f ms\n", worstStepError);
    std::printf("device clock vs wall clock over the run: %+.1f ms (%.3f %%)\n", lastFit,
                100.0 * lastFit / std::max(1.0, lastWall - firstWall));
    std::printf("underrun frames %lld\n", static_cast<long long>(s.underrunFrames));
    std::printf("decoder thread CPU %.1f ms (%.2f %% of one core)\n", s.decoderCpuNs / 1e6,
                100.0 * s.decoderCpuNs / 1e9 / runSeconds);
    std::printf("audio callback %lld calls, %.1f us each, %.3f %% of one core\n",
                static_cast<long long>(s.callbacks), s.callbackNs / 1e3 / std::max<std::int64_t>(1, s.callbacks),
                100.0 * s.callbackNs / 1e9 / runSeconds);
    return backwards == 0 && s.underrunFrames == 0 ? 0 : 1;
}

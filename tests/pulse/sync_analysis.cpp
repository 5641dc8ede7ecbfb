// Analysis of a recorded demo run (see sync_analysis.h).
#include "sync_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "audio/vorbis_stream.h"

namespace gmsync {

namespace {

using Complex = std::complex<double>;

// In-place iterative radix-2 FFT; size must be a power of two.
void fft(std::vector<Complex>& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2.0 * M_PI / static_cast<double>(len) * (inverse ? 1.0 : -1.0);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            Complex w(1.0, 0.0);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
    if (inverse) {
        for (Complex& x : a) x /= static_cast<double>(n);
    }
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(mid), v.end());
    double m = v[mid];
    if (v.size() % 2 == 0) m = (m + *std::max_element(v.begin(), v.begin() + static_cast<long>(mid))) / 2.0;
    return m;
}

// Least-squares slope of y over x; 0 without a spread of x. The x are taken
// from their first value: monotonic milliseconds are large enough that their
// squares would swallow the differences.
double slope(const std::vector<double>& x, const std::vector<double>& y) {
    if (x.size() < 2) return 0.0;
    const double n = static_cast<double>(x.size());
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double dx = x[i] - x[0];
        sx += dx;
        sy += y[i];
        sxx += dx * dx;
        sxy += dx * y[i];
    }
    const double denominator = n * sxx - sx * sx;
    return denominator > 0.0 ? (n * sxy - sx * sy) / denominator : 0.0;
}

}  // namespace

std::vector<float> monoFromStereo(const float* interleaved, std::size_t frames) {
    std::vector<float> mono(frames);
    for (std::size_t i = 0; i < frames; ++i) mono[i] = 0.5f * (interleaved[2 * i] + interleaved[2 * i + 1]);
    return mono;
}

std::vector<float> readRecording(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot open the recording");
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::size_t frames = bytes.size() / (2 * sizeof(float));
    std::vector<float> stereo(frames * 2);
    std::copy_n(bytes.data(), frames * 2 * sizeof(float), reinterpret_cast<char*>(stereo.data()));
    return monoFromStereo(stereo.data(), frames);
}

std::vector<float> decodeSong(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot open the song");
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::string why;
    std::unique_ptr<fluxcore::audio::VorbisStream> stream = fluxcore::audio::VorbisStream::open(std::move(bytes), why);
    if (!stream) throw std::runtime_error(path + ": " + why);
    if (stream->rate() != kRate) throw std::runtime_error(path + ": not at 44100 Hz");
    std::vector<float> stereo;
    std::vector<float> block(2 * 4096);
    for (;;) {
        const long got = stream->read(block.data(), 4096);
        if (got < 0) throw std::runtime_error(path + ": damaged audio");
        if (got == 0) break;
        stereo.insert(stereo.end(), block.begin(), block.begin() + 2 * got);
    }
    return monoFromStereo(stereo.data(), stereo.size() / 2);
}

double correlation(const float* a, const float* b, std::size_t n) {
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    if (aa <= 1e-12 || bb <= 1e-12) return 0.0;
    return ab / std::sqrt(aa * bb);
}

double peak(const float* a, std::size_t n) {
    double p = 0.0;
    for (std::size_t i = 0; i < n; ++i) p = std::max(p, std::fabs(double(a[i])));
    return p;
}

Match locate(const std::vector<float>& haystack, long from, long to, const float* needle, std::size_t length) {
    const long size = static_cast<long>(haystack.size());
    const long len = static_cast<long>(length);
    from = std::max(0L, from);
    to = std::min(to, size - len);
    Match best;
    if (len <= 0 || to < from) return best;
    const long span = to - from + 1;
    const std::size_t segment = static_cast<std::size_t>(span + len - 1);
    std::size_t n = 1;
    while (n < segment + length) n <<= 1;
    std::vector<Complex> h(n), k(n);
    for (std::size_t i = 0; i < segment; ++i) h[i] = haystack[static_cast<std::size_t>(from) + i];
    for (std::size_t i = 0; i < length; ++i) k[i] = needle[i];
    fft(h, false);
    fft(k, false);
    for (std::size_t i = 0; i < n; ++i) h[i] *= std::conj(k[i]);
    fft(h, true);
    // Energy of each haystack stretch, from running sums.
    std::vector<double> energy(segment + 1, 0.0);
    for (std::size_t i = 0; i < segment; ++i) {
        const double x = haystack[static_cast<std::size_t>(from) + i];
        energy[i + 1] = energy[i] + x * x;
    }
    double needleEnergy = 0.0;
    for (std::size_t i = 0; i < length; ++i) needleEnergy += double(needle[i]) * needle[i];
    if (needleEnergy <= 1e-12) return best;
    double bestScore = -2.0;
    long bestPosition = from;
    for (long p = 0; p < span; ++p) {
        const double e = energy[static_cast<std::size_t>(p + len)] - energy[static_cast<std::size_t>(p)];
        if (e <= 1e-9 * needleEnergy) continue;
        const double score = h[static_cast<std::size_t>(p)].real() / std::sqrt(e * needleEnergy);
        if (score > bestScore) {
            bestScore = score;
            bestPosition = from + p;
        }
    }
    best.position = bestPosition;
    // Exactly, away from the FFT's rounding.
    best.correlation = correlation(haystack.data() + bestPosition, needle, length);
    return best;
}

std::vector<TimingSample> readTiming(std::istream& in) {
    std::vector<TimingSample> samples;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        long long request = 0, reply = 0;
        double heard = 0.0;
        if (fields >> request >> reply >> heard) {
            samples.push_back(TimingSample{request / 1e6, reply / 1e6, heard});
        }
    }
    return samples;
}

HeardClock fitHeardClock(const std::vector<TimingSample>& samples) {
    HeardClock clock;
    if (samples.empty()) return clock;
    // The quickest answer of each half second.
    std::vector<TimingSample> chosen;
    const double start = samples.front().requestMs;
    for (const TimingSample& s : samples) {
        const long second = static_cast<long>((s.requestMs - start) / 500.0);
        const long last = chosen.empty() ? -1 : static_cast<long>((chosen.back().requestMs - start) / 500.0);
        if (second != last) {
            chosen.push_back(s);
        } else if (s.replyMs - s.requestMs < chosen.back().replyMs - chosen.back().requestMs) {
            chosen.back() = s;
        }
    }
    std::vector<double> times, frames;
    for (const TimingSample& s : chosen) {
        times.push_back(0.5 * (s.requestMs + s.replyMs));
        frames.push_back(s.heardFrame);
    }
    for (int pass = 0; pass < 2 && times.size() >= 4; ++pass) {
        const double rate = slope(times, frames);
        double meanT = 0.0, meanF = 0.0;
        for (std::size_t i = 0; i < times.size(); ++i) {
            meanT += times[i] - times[0];
            meanF += frames[i];
        }
        meanT = meanT / static_cast<double>(times.size()) + times[0];
        meanF /= static_cast<double>(times.size());
        clock.framesPerMs = rate;
        clock.originMs = meanT - meanF / rate;
        std::vector<double> distance;
        for (std::size_t i = 0; i < times.size(); ++i) distance.push_back(std::fabs(clock.atMs(frames[i]) - times[i]));
        const double limit = std::max(1.0, 3.0 * median(distance));
        std::vector<double> keptTimes, keptFrames;
        clock.spreadMs = 0.0;
        clock.roundTripMs = 0.0;
        for (std::size_t i = 0; i < times.size(); ++i) {
            if (distance[i] > limit) continue;
            keptTimes.push_back(times[i]);
            keptFrames.push_back(frames[i]);
            clock.spreadMs = std::max(clock.spreadMs, distance[i]);
            clock.roundTripMs = std::max(clock.roundTripMs, chosen[i].replyMs - chosen[i].requestMs);
        }
        if (pass == 0) {
            std::vector<TimingSample> keptChosen;
            for (std::size_t i = 0; i < times.size(); ++i) {
                if (distance[i] <= limit) keptChosen.push_back(chosen[i]);
            }
            chosen = keptChosen;
            times = keptTimes;
            frames = keptFrames;
        }
        clock.used = times.size();
    }
    // A sink a tenth of a percent off the monotonic clock is no sink's pace:
    // answers that scattered (a server that reports its latency coarsely)
    // give the nominal pace and the median of their origins.
    if (clock.used >= 4 && std::fabs(clock.ratePpm()) >= 1000.0) {
        std::vector<double> origins;
        for (std::size_t i = 0; i < times.size(); ++i) origins.push_back(times[i] - frames[i] / kFramesPerMs);
        clock.framesPerMs = kFramesPerMs;
        clock.originMs = median(origins);
        clock.spreadMs = 0.0;
        for (double o : origins) clock.spreadMs = std::max(clock.spreadMs, std::fabs(o - clock.originMs));
    }
    clock.valid = clock.used >= 4;
    return clock;
}

std::vector<ClockLine> readClockLines(std::istream& in) {
    static const std::regex pattern(
        R"(clock: demo (-?[0-9.]+) ms at monotonic ([0-9.]+) ms(?:.*output latency ([0-9.]+) ms)?)");
    std::vector<ClockLine> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::smatch m;
        if (!std::regex_search(line, m, pattern)) continue;
        lines.push_back(ClockLine{std::stod(m[1].str()), std::stod(m[2].str()),
                                  m[3].matched ? std::stod(m[3].str()) : -1.0});
    }
    return lines;
}

OffsetSummary summarise(const std::vector<Offset>& offsets) {
    OffsetSummary s;
    s.count = offsets.size();
    if (offsets.empty()) return s;
    std::vector<double> values;
    for (const Offset& o : offsets) {
        values.push_back(o.offsetMs);
        if (std::fabs(o.offsetMs) > std::fabs(s.worstMs)) s.worstMs = o.offsetMs;
    }
    s.medianMs = median(values);
    std::vector<double> times;
    for (const Offset& o : offsets) times.push_back(o.monotonicMs);
    s.driftMs = slope(times, values) * (offsets.back().monotonicMs - offsets.front().monotonicMs);
    return s;
}

Match songHeardAt(const std::vector<float>& recording, long frame, long window, const std::vector<float>& song,
                  long songFrom, long songTo) {
    Match m;
    if (frame - window < 0 || frame > static_cast<long>(recording.size())) return m;
    m = locate(song, songFrom, songTo, recording.data() + (frame - window), static_cast<std::size_t>(window));
    m.position += window;
    return m;
}

}  // namespace gmsync

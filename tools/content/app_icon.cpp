// The desktop icon: the dialog icon's art drawn large, then reduced to each
// size of the hicolor theme with a Lanczos-3 filter in linear light.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "content.h"

namespace gmcontent {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLobes = 3.0;

double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x); }

double lanczos(double x) { return std::abs(x) < kLobes ? sinc(x) * sinc(x / kLobes) : 0.0; }

double srgbToLinear(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }

double linearToSrgb(double v) { return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055; }

// The taps of one output sample along an axis: source indices from `first`,
// weights summing to 1.
struct Taps {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Taps> tapsFor(int from, int to) {
    // A reduction widens the kernel by the ratio, so every source pixel counts.
    const double ratio = static_cast<double>(from) / to;
    const double stretch = std::max(1.0, ratio);
    const double reach = kLobes * stretch;
    std::vector<Taps> all(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) * ratio;  // in source pixels
        const int first = std::max(0, static_cast<int>(std::floor(centre - reach)));
        const int last = std::min(from - 1, static_cast<int>(std::ceil(centre + reach)));
        Taps& t = all[static_cast<size_t>(i)];
        t.first = first;
        double sum = 0.0;
        for (int j = first; j <= last; ++j) {
            const double w = lanczos((j + 0.5 - centre) / stretch);
            t.weights.push_back(w);
            sum += w;
        }
        for (double& w : t.weights) w /= sum;
    }
    return all;
}

}  // namespace

RgbaImage reduceImage(const RgbaImage& source, int width, int height) {
    if (width < 1 || height < 1 || source.width < 1 || source.height < 1 ||
        source.pixels.size() != static_cast<size_t>(source.width) * source.height * 4) {
        throw std::invalid_argument("reduceImage: bad picture or size");
    }
    const int sw = source.width, sh = source.height;
    // Premultiplied linear RGBA.
    std::vector<double> linear(static_cast<size_t>(sw) * sh * 4);
    for (size_t i = 0; i < static_cast<size_t>(sw) * sh; ++i) {
        const double a = source.pixels[i * 4 + 3] / 255.0;
        for (int c = 0; c < 3; ++c) linear[i * 4 + c] = srgbToLinear(source.pixels[i * 4 + c] / 255.0) * a;
        linear[i * 4 + 3] = a;
    }

    const std::vector<Taps> across = tapsFor(sw, width);
    std::vector<double> rows(static_cast<size_t>(width) * sh * 4, 0.0);
    for (int y = 0; y < sh; ++y) {
        for (int x = 0; x < width; ++x) {
            const Taps& t = across[static_cast<size_t>(x)];
            double* out = &rows[(static_cast<size_t>(y) * width + x) * 4];
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const double* in = &linear[(static_cast<size_t>(y) * sw + t.first + k) * 4];
                for (int c = 0; c < 4; ++c) out[c] += in[c] * t.weights[k];
            }
        }
    }

    const std::vector<Taps> down = tapsFor(sh, height);
    RgbaImage result;
    result.width = width;
    result.height = height;
    result.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const Taps& t = down[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            double sum[4] = {0.0, 0.0, 0.0, 0.0};
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const double* in = &rows[((t.first + k) * width + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += in[c] * t.weights[k];
            }
            // The filter's negative lobes can overshoot: alpha to 0..1, colour
            // to 0..alpha, then back to straight sRGB.
            const double a = std::clamp(sum[3], 0.0, 1.0);
            uint8_t* out = &result.pixels[(static_cast<size_t>(y) * width + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const double straight = a > 0.0 ? std::clamp(sum[c], 0.0, a) / a : 0.0;
                out[c] = static_cast<uint8_t>(std::lround(linearToSrgb(straight) * 255.0));
            }
            out[3] = static_cast<uint8_t>(std::lround(a * 255.0));
        }
    }
    return result;
}

std::vector<RgbaImage> renderAppIcons() {
    const RgbaImage small = renderIconArt(16, 16 * kAppIconMaster);
    const RgbaImage large = renderIconArt(32, 32 * kAppIconMaster);
    std::vector<RgbaImage> icons;
    for (const int size : kAppIconSizes) icons.push_back(reduceImage(size < 32 ? small : large, size, size));
    return icons;
}

}  // namespace gmcontent

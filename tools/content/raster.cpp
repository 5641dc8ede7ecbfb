// Float canvases, the supersampled stroke mask and the box-approximated blur.
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace gmcontent {

Plane::Plane(int width, int height, float fill)
    : width_(width), height_(height), values_(static_cast<size_t>(width) * height, fill) {}

RgbImage::RgbImage(int width, int height)
    : width_(width), height_(height), values_(static_cast<size_t>(width) * height * 3, 0.0f) {}

void RgbImage::addGlow(const Plane& weight, float r, float g, float b) {
    const std::vector<float>& w = weight.values();
    for (size_t i = 0; i < w.size(); ++i) {
        values_[i * 3 + 0] += w[i] * r;
        values_[i * 3 + 1] += w[i] * g;
        values_[i * 3 + 2] += w[i] * b;
    }
}

void RgbImage::paintOver(const Plane& coverage, float r, float g, float b) {
    const std::vector<float>& c = coverage.values();
    for (size_t i = 0; i < c.size(); ++i) {
        const float a = c[i];
        if (a <= 0.0f) continue;
        values_[i * 3 + 0] += (r - values_[i * 3 + 0]) * a;
        values_[i * 3 + 1] += (g - values_[i * 3 + 1]) * a;
        values_[i * 3 + 2] += (b - values_[i * 3 + 2]) * a;
    }
}

std::vector<uint8_t> RgbImage::toBytes() const {
    std::vector<uint8_t> out(values_.size());
    for (size_t i = 0; i < values_.size(); ++i) {
        const double v = std::clamp(static_cast<double>(values_[i]), 0.0, 1.0);
        out[i] = static_cast<uint8_t>(std::lround(v * 255.0));
    }
    return out;
}

StrokeMask::StrokeMask(int width, int height, int factor)
    : width_(width), height_(height), factor_(factor),
      samples_(static_cast<size_t>(width) * factor * height * factor, 0) {}

void StrokeMask::stroke(const Segment& s, double radius) {
    const int sw = width_ * factor_;
    const int sh = height_ * factor_;
    const double f = factor_;
    // Work in sample space; a sample's centre is at (i + 0.5) / f in pixels.
    const double ax = s.a.x * f, ay = s.a.y * f, bx = s.b.x * f, by = s.b.y * f;
    const double r = radius * f;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(ax, bx) - r)));
    const int x1 = std::min(sw - 1, static_cast<int>(std::ceil(std::max(ax, bx) + r)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(ay, by) - r)));
    const int y1 = std::min(sh - 1, static_cast<int>(std::ceil(std::max(ay, by) + r)));
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    const double r2 = r * r;
    for (int y = y0; y <= y1; ++y) {
        const double py = y + 0.5;
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5;
            double t = len2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = ax + t * dx - px, ey = ay + t * dy - py;
            if (ex * ex + ey * ey <= r2) samples_[static_cast<size_t>(y) * sw + x] = 1;
        }
    }
}

void StrokeMask::stroke(const std::vector<Segment>& segments, double radius) {
    for (const Segment& s : segments) stroke(s, radius);
}

Plane StrokeMask::resolve() const {
    Plane out(width_, height_);
    const int sw = width_ * factor_;
    const float norm = 1.0f / static_cast<float>(factor_ * factor_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            int count = 0;
            for (int j = 0; j < factor_; ++j) {
                const uint8_t* row = &samples_[static_cast<size_t>(y * factor_ + j) * sw + x * factor_];
                for (int i = 0; i < factor_; ++i) count += row[i];
            }
            out.at(x, y) = static_cast<float>(count) * norm;
        }
    }
    return out;
}

namespace {

// One running-sum box filter of half-width r along a line of n values with
// the given stride; edges repeat the border value.
void boxLine(float* line, int n, int stride, int r, std::vector<float>& tmp) {
    tmp.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) tmp[i] = line[static_cast<size_t>(i) * stride];
    auto sample = [&](int i) { return tmp[static_cast<size_t>(std::clamp(i, 0, n - 1))]; };
    double sum = 0.0;
    for (int i = -r; i <= r; ++i) sum += sample(i);
    const double norm = 1.0 / (2 * r + 1);
    for (int i = 0; i < n; ++i) {
        line[static_cast<size_t>(i) * stride] = static_cast<float>(sum * norm);
        sum += sample(i + r + 1) - sample(i - r);
    }
}

}  // namespace

void blur(Plane& plane, double sigma) {
    if (sigma <= 0.0) return;
    // Three equal boxes of width w have variance 3 * (w^2 - 1) / 12.
    const int r = std::max(1, static_cast<int>(std::lround((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0)));
    std::vector<float> tmp;
    float* v = plane.values().data();
    const int w = plane.width(), h = plane.height();
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) boxLine(v + static_cast<size_t>(y) * w, w, 1, r, tmp);
        for (int x = 0; x < w; ++x) boxLine(v + x, h, w, r, tmp);
    }
}

double hashUnit(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return (h >> 8) * (1.0 / 16777216.0);
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

}  // namespace gmcontent

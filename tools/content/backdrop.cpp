// Sky, globe and finishing passes shared by every picture of the project.
#include "backdrop.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gmcontent {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
    double x, y, z;
};

// Sphere point at latitude/longitude (radians) turned into view space.
Vec3 viewPoint(const GlobeView& v, double lat, double lon) {
    const double c = std::cos(lat);
    const double x = c * std::sin(lon + v.yaw);
    const double y = std::sin(lat);
    const double z = c * std::cos(lon + v.yaw);
    const double ct = std::cos(v.tilt), st = std::sin(v.tilt);
    return {x, y * ct - z * st, y * st + z * ct};
}

Point toScreen(const GlobeView& v, const Vec3& p) { return {v.cx + v.radius * p.x, v.cy - v.radius * p.y}; }

// Splits a sampled circle on the sphere into near-side and far-side segments.
void addCurve(const GlobeView& v, const std::vector<Vec3>& pts, std::vector<Segment>& front,
              std::vector<Segment>& back) {
    for (size_t i = 1; i < pts.size(); ++i) {
        const Segment s{toScreen(v, pts[i - 1]), toScreen(v, pts[i])};
        if (pts[i - 1].z + pts[i].z >= 0.0) {
            front.push_back(s);
        } else {
            back.push_back(s);
        }
    }
}

std::vector<Vec3> meridian(const GlobeView& v, double lon) {
    std::vector<Vec3> pts;
    for (int i = 0; i <= 180; ++i) pts.push_back(viewPoint(v, -kPi / 2 + kPi * i / 180.0, lon));
    return pts;
}

}  // namespace

void paintSky(RgbImage& image, const float top[3], const float bottom[3], double starDensity, uint32_t seed) {
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        const double t = h > 1 ? static_cast<double>(y) / (h - 1) : 0.0;
        const double s = t * t * (3.0 - 2.0 * t);
        for (int x = 0; x < w; ++x) {
            float* p = image.pixel(x, y);
            for (int c = 0; c < 3; ++c) p[c] = static_cast<float>(top[c] + (bottom[c] - top[c]) * s);
        }
    }
    Plane stars(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (hashUnit(x, y, seed) < starDensity) {
                stars.at(x, y) = static_cast<float>(0.25 + 0.75 * hashUnit(x, y, seed + 1));
            }
        }
    }
    Plane halo = stars;
    blur(halo, 1.0);
    image.addGlow(stars, 0.45f, 0.52f, 0.65f);
    image.addGlow(halo, 0.8f, 1.0f, 1.4f);
}

void paintGlobe(RgbImage& image, const GlobeView& v) {
    const int w = image.width(), h = image.height();
    const double r = v.radius;

    // Body and halo, per pixel.
    const double lx = -0.45, ly = 0.62, lz = 0.64;  // light direction (unit)
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double dx = (x + 0.5 - v.cx) / r, dy = (v.cy - (y + 0.5)) / r;
            const double d = std::sqrt(dx * dx + dy * dy);
            float* p = image.pixel(x, y);
            const double edge = std::clamp((1.0 - d) * r + 0.5, 0.0, 1.0);
            // Atmosphere: falls off outside the limb, a little inside too.
            const double outside = std::max(0.0, d - 1.0) * r / (0.06 * r * v.glow + 1.0);
            const double halo = std::exp(-outside) * (d > 1.0 ? 1.0 : std::pow(d, 6.0));
            p[0] += static_cast<float>(0.05 * halo);
            p[1] += static_cast<float>(0.16 * halo);
            p[2] += static_cast<float>(0.38 * halo);
            if (edge <= 0.0) continue;
            const double nz = std::sqrt(std::max(0.0, 1.0 - d * d));
            const double fresnel = std::pow(1.0 - nz, 3.0);
            const double facing = std::max(0.0, dx * lx + dy * ly + nz * lz);
            const double sheen = std::pow(facing, 24.0);
            const double body[3] = {0.008 + 0.05 * fresnel + 0.22 * sheen, 0.025 + 0.14 * fresnel + 0.25 * sheen,
                                    0.07 + 0.30 * fresnel + 0.30 * sheen};
            for (int c = 0; c < 3; ++c) {
                // The glass lets the sky through, darkened and tinted.
                const double through = p[c] * 0.45 + body[c];
                p[c] = static_cast<float>(p[c] + (through - p[c]) * edge);
            }
        }
    }

    // Grid.
    std::vector<Segment> front, back, lit;
    for (int i = 0; i < v.meridians; ++i) {
        addCurve(v, meridian(v, 2.0 * kPi * i / v.meridians), front, back);
    }
    for (int j = 1; j <= v.parallels; ++j) {
        const double lat = -kPi / 2 + kPi * j / (v.parallels + 1);
        std::vector<Vec3> pts;
        for (int i = 0; i <= 360; ++i) pts.push_back(viewPoint(v, lat, 2.0 * kPi * i / 360.0));
        addCurve(v, pts, front, back);
    }
    std::vector<Segment> litBack;
    addCurve(v, meridian(v, 2.0 * kPi * 0.2 / v.meridians), lit, litBack);

    StrokeMask backMask(w, h), frontMask(w, h), litMask(w, h);
    backMask.stroke(back, v.line * 0.8);
    frontMask.stroke(front, v.line);
    litMask.stroke(lit, v.line * 1.3);
    const Plane backCov = backMask.resolve();
    const Plane frontCov = frontMask.resolve();
    const Plane litCov = litMask.resolve();

    image.addGlow(backCov, 0.04f, 0.09f, 0.19f);
    Plane frontGlow = frontCov;
    blur(frontGlow, 3.0 * v.glow);
    image.addGlow(frontGlow, 0.07f, 0.20f, 0.42f);
    image.addGlow(frontCov, 0.10f, 0.30f, 0.55f);

    Plane litWide = litCov;
    blur(litWide, 10.0 * v.glow);
    Plane litNear = litCov;
    blur(litNear, 2.5 * v.glow);
    image.addGlow(litWide, 2.4f, 6.4f, 12.0f);
    image.addGlow(litNear, 1.2f, 2.0f, 2.6f);
    image.paintOver(litCov, 0.85f, 0.97f, 1.0f);
}

void addGrain(RgbImage& image, double amplitude, uint32_t seed) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            float* p = image.pixel(x, y);
            const double n = (hashUnit(x, y, seed) - 0.5) * 2.0 * amplitude / 255.0;
            for (int c = 0; c < 3; ++c) p[c] += static_cast<float>(n);
        }
    }
}

void vignette(RgbImage& image, double strength) {
    const double cx = image.width() / 2.0, cy = image.height() / 2.0;
    const double norm = 1.0 / (cx * cx + cy * cy);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double k = 1.0 - strength * (dx * dx + dy * dy) * norm;
            float* p = image.pixel(x, y);
            for (int c = 0; c < 3; ++c) p[c] *= static_cast<float>(std::max(0.0, k));
        }
    }
}

}  // namespace gmcontent

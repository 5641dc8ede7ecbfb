// Float canvases for the content tool: single-channel planes, an RGB image,
// a supersampled stroke mask (union of round-capped segments) and a blur.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gmcontent {

struct Point {
    double x;
    double y;
};

struct Segment {
    Point a;
    Point b;
};

// One float channel, row-major, top row first.
class Plane {
public:
    Plane(int width, int height, float fill = 0.0f);
    int width() const { return width_; }
    int height() const { return height_; }
    float& at(int x, int y) { return values_[static_cast<size_t>(y) * width_ + x]; }
    float at(int x, int y) const { return values_[static_cast<size_t>(y) * width_ + x]; }
    std::vector<float>& values() { return values_; }
    const std::vector<float>& values() const { return values_; }

private:
    int width_;
    int height_;
    std::vector<float> values_;
};

// Three float channels (linear 0..1, may exceed 1 before clamping).
class RgbImage {
public:
    RgbImage(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    float* pixel(int x, int y) { return &values_[(static_cast<size_t>(y) * width_ + x) * 3]; }
    const float* pixel(int x, int y) const { return &values_[(static_cast<size_t>(y) * width_ + x) * 3]; }

    // Adds colour * weight(x, y) to every pixel.
    void addGlow(const Plane& weight, float r, float g, float b);
    // Blends colour over the image with coverage(x, y) as opacity.
    void paintOver(const Plane& coverage, float r, float g, float b);
    // Clamps to 0..255 and rounds; 3 bytes per pixel, top row first.
    std::vector<uint8_t> toBytes() const;

private:
    int width_;
    int height_;
    std::vector<float> values_;
};

// Collects round-capped strokes at `factor` x `factor` samples per pixel and
// resolves them to a coverage plane. Overlapping strokes count once, so joins
// of a polyline do not brighten.
class StrokeMask {
public:
    StrokeMask(int width, int height, int factor = 4);
    void stroke(const Segment& segment, double radius);
    void stroke(const std::vector<Segment>& segments, double radius);
    // Coverage 0..1 per pixel.
    Plane resolve() const;

private:
    int width_;
    int height_;
    int factor_;
    std::vector<uint8_t> samples_;
};

// Approximate Gaussian blur (three box passes per axis), edges clamped.
void blur(Plane& plane, double sigma);

// Deterministic hash of integer coordinates and a seed to [0, 1).
double hashUnit(uint32_t x, uint32_t y, uint32_t seed);

double smoothstep(double edge0, double edge1, double x);

}  // namespace gmcontent

// The shared look of the title card, the dialog banner and the icon: a dark
// blue sky and a glass globe with its grid of meridians and parallels, one
// meridian lit.
#pragma once

#include <cstdint>

#include "raster.h"

namespace gmcontent {

struct GlobeView {
    double cx = 0.0;       // centre in pixels
    double cy = 0.0;
    double radius = 1.0;   // pixels
    double tilt = 0.0;     // radians the north pole leans towards the viewer
    double yaw = 0.0;      // radians of turn about the polar axis
    int meridians = 24;    // great circles through the poles
    int parallels = 11;    // circles of latitude, evenly spaced between the poles
    double line = 1.0;     // grid stroke radius, pixels
    double glow = 1.0;     // scale of glow radii
};

// Vertical gradient from `top` to `bottom` plus faint stars from a fixed seed.
void paintSky(RgbImage& image, const float top[3], const float bottom[3], double starDensity, uint32_t seed);

// Glass body (fresnel rim, soft highlight), atmosphere halo, the grid (far
// side dim, near side bright) and the lit meridian with its glow.
void paintGlobe(RgbImage& image, const GlobeView& view);

// Adds +-amplitude/255 of hashed noise per channel (breaks up gradient bands).
void addGrain(RgbImage& image, double amplitude, uint32_t seed);

// Darkens towards the corners; strength 0 leaves the picture as it is.
void vignette(RgbImage& image, double strength);

}  // namespace gmcontent

// A stereo reverb: parallel damped comb filters into series all-pass filters,
// with slightly different lengths per side for width.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace gmsynth {

class Reverb {
public:
    // roomSize 0..1 sets the comb feedback (decay time); damping 0..1 darkens the tail.
    Reverb(double sampleRate, double roomSize, double damping);

    void process(double inL, double inR, double& outL, double& outR);

private:
    struct Comb {
        std::vector<double> line;
        std::size_t index = 0;
        double store = 0.0;
        double process(double x, double feedback, double damping);
    };
    struct AllPass {
        std::vector<double> line;
        std::size_t index = 0;
        double process(double x);
    };
    static constexpr std::size_t kCombs = 6;
    static constexpr std::size_t kAllPasses = 3;

    std::array<Comb, kCombs> combsL_, combsR_;
    std::array<AllPass, kAllPasses> allPassL_, allPassR_;
    double feedback_;
    double damping_;
};

}  // namespace gmsynth

// Stereo ping-pong delay with a damped feedback path.
#pragma once

#include <cstddef>
#include <vector>

namespace gmsynth {

class PingPongDelay {
public:
    // delaySeconds: one hop; feedback 0..<1; damping: one-pole low-pass
    // coefficient in the feedback path (0 none, towards 1 darker).
    PingPongDelay(double sampleRate, double delaySeconds, double feedback, double damping);

    // Adds the wet signal for input (inL, inR) to (outL, outR).
    void process(double inL, double inR, double& outL, double& outR);

private:
    std::vector<double> left_, right_;
    std::size_t index_ = 0;
    double feedback_;
    double damping_;
    double dampL_ = 0.0, dampR_ = 0.0;
};

}  // namespace gmsynth

// Stereo ping-pong delay.
#include "dsp/delay.h"

#include <algorithm>
#include <cmath>

namespace gmsynth {

PingPongDelay::PingPongDelay(double sampleRate, double delaySeconds, double feedback, double damping)
    : left_(std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(sampleRate * delaySeconds))), 0.0),
      right_(left_.size(), 0.0),
      feedback_(feedback),
      damping_(damping) {}

void PingPongDelay::process(double inL, double inR, double& outL, double& outR) {
    const double tapL = left_[index_];
    const double tapR = right_[index_];
    dampL_ = tapL + damping_ * (dampL_ - tapL);
    dampR_ = tapR + damping_ * (dampR_ - tapR);
    // The input enters on the left, and each echo crosses to the other side.
    left_[index_] = 0.5 * (inL + inR) + feedback_ * dampR_;
    right_[index_] = feedback_ * dampL_;
    index_ = (index_ + 1) % left_.size();
    outL += tapL;
    outR += tapR;
}

}  // namespace gmsynth

// IntroEffect: the loading picture, full screen, at full strength.
#pragma once

#include "fluxcore/base.h"

namespace glassmeridian {

class IntroEffect : public QUASAR_FLUXCORE::Base {
public:
    ~IntroEffect() override;
    bool init(unsigned long start, unsigned long end) override;  // stores the interval; true
    void draw() override;
};

}  // namespace glassmeridian

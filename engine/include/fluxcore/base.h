// Base: the contract between the engine's timeline and an effect.
#pragma once

#include "fluxcore/api.h"

namespace QUASAR_FLUXCORE {

class FLUXCORE_API Base {
public:
    float time = 0.0f;             // demo time in ms, set by dmsRun before update and draw
    unsigned int startTime = 0;    // start of the registered interval, ms
    unsigned int endTime = 0;      // end of the registered interval, ms

    Base();
    virtual ~Base();                                          // releases what the effect owns
    virtual bool init(unsigned long start, unsigned long end);  // stores the interval; true
    virtual void update();                                    // called by dmsRun before draw; does nothing here
    virtual void draw() = 0;                                  // draws the effect's frame
    virtual void release();                                   // engine-side release; does nothing here

    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
};

}  // namespace QUASAR_FLUXCORE

// Base: the engine side of the effect contract.
#include "fluxcore/base.h"

namespace QUASAR_FLUXCORE {

Base::Base() = default;
Base::~Base() = default;

bool Base::init(unsigned long start, unsigned long end) {
    startTime = static_cast<unsigned int>(start);
    endTime = static_cast<unsigned int>(end);
    return true;
}

void Base::update() {}
void Base::release() {}

}  // namespace QUASAR_FLUXCORE

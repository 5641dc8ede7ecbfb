// Timeline: the registered effects, owned by the engine, and which of them run
// at a given demo time.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fluxcore/base.h"

namespace fluxcore {

class Timeline {
public:
    struct Entry {
        unsigned int start;
        unsigned int end;
        std::string name;
        std::unique_ptr<QUASAR_FLUXCORE::Base> effect;
    };

    // Takes ownership. A null effect or one registered twice is a failure
    // naming the entry (the effect is then not owned).
    void add(unsigned int start, unsigned int end, const char* name, QUASAR_FLUXCORE::Base* effect);

    // init(start, end) of every effect in registration order; an effect that
    // answers false is a failure naming the entry.
    void initAll();

    // An entry is active for start <= time < end: a zero-length (or reversed)
    // interval is never active, and at time == end the next entry takes over.
    static bool isActive(const Entry& entry, double time);

    // For every active entry, in registration order: prepare(), then time is
    // set, then update(), then draw(). Returns how many entries ran.
    int run(float time, const std::function<void()>& prepare);

    // Deletes every effect through its virtual destructor, in registration order.
    void clear();

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

}  // namespace fluxcore

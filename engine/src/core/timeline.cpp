// Timeline bookkeeping and the per-frame run.
#include "core/timeline.h"

#include "core/failure.h"

namespace fluxcore {

void Timeline::add(unsigned int start, unsigned int end, const char* name, QUASAR_FLUXCORE::Base* effect) {
    const std::string label = name ? name : "(unnamed)";
    if (!effect) fail("%s: effect is null", label.c_str());
    for (const Entry& entry : entries_) {
        if (entry.effect.get() == effect) {
            fail("%s: effect already registered as \"%s\"", label.c_str(), entry.name.c_str());
        }
    }
    entries_.push_back(Entry{start, end, label, std::unique_ptr<QUASAR_FLUXCORE::Base>(effect)});
}

void Timeline::initAll() {
    for (Entry& entry : entries_) {
        if (!entry.effect->init(entry.start, entry.end)) {
            fail("%s: effect init failed", entry.name.c_str());
        }
    }
}

bool Timeline::isActive(const Entry& entry, double time) {
    return double(entry.start) <= time && time < double(entry.end);
}

int Timeline::run(float time, const std::function<void()>& prepare) {
    int ran = 0;
    // Index loop: an effect may register further effects while it draws.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!isActive(entries_[i], time)) continue;
        QUASAR_FLUXCORE::Base* effect = entries_[i].effect.get();
        if (prepare) prepare();
        effect->time = time;
        effect->update();
        effect->draw();
        ++ran;
    }
    return ran;
}

void Timeline::clear() {
    // Move out first so that a destructor that looks at the engine sees an
    // empty timeline.
    std::vector<Entry> doomed;
    doomed.swap(entries_);
    for (Entry& entry : doomed) entry.effect.reset();
}

}  // namespace fluxcore

// Shared helpers of the structure scene tests: a reference random sequence, the
// engine set-up for recorded frames, and a walker that replays a recorded
// trace call by call while tracking the GL state the calls set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "glrecord.h"

namespace structuretest {

// The shared generator's sequence, written out independently: state * 214013
// + 2531011 modulo 2^32, value = bits 16 to 30, reduced to [0, 0.9999].
class ReferenceRandom {
public:
    explicit ReferenceRandom(std::uint32_t seed) : state_(seed) {}
    double next() {
        state_ = state_ * 214013u + 2531011u;
        const std::uint32_t value = (state_ >> 16) & 0x7FFFu;
        return static_cast<double>(value % 10000u) * static_cast<double>(0.0001f);
    }
    void skip(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) next();
    }

private:
    std::uint32_t state_;
};

// Texture names the tests register for the scene's two pictures.
constexpr unsigned int kLoadPictureId = 31;
constexpr unsigned int kParticleId = 32;

// Engine and recording layer back to a fresh state, both pictures registered,
// trace recording on.
void prepareRecordedFrame();

// Demo time (ms) at which the "rakenne" interval 2000..49000 gives t.
float demoTimeAt(float t);

// GL state as the replayed calls leave it, starting from a fresh context.
struct ReplayedState {
    std::set<unsigned int> enabled{0x0BD0 /* GL_DITHER */, 0x809D /* GL_MULTISAMPLE */};
    int blendSource = 1;  // GL_ONE
    int blendDestination = 0;
    unsigned int texture = 0;
    double lineWidth = 1.0;
    bool on(unsigned int capability) const { return enabled.count(capability) != 0; }
};

// Walks a trace in order. Failures throw std::runtime_error naming the call
// index, which the test framework reports as a test failure.
class TraceWalker {
public:
    explicit TraceWalker(const std::vector<glrecord::Call>& calls) : calls_(calls) {}

    bool done() const { return index_ >= calls_.size(); }
    std::size_t position() const { return index_; }
    const ReplayedState& state() const { return state_; }

    const glrecord::Call* peek() const { return done() ? nullptr : &calls_[index_]; }
    // The calls the last advanceTo passed over on its way.
    const std::vector<glrecord::Call>& passed() const { return passed_; }

    // Consumes the next call, which must have this name.
    const glrecord::Call& expect(const std::string& name);
    // Consumes calls up to and including the next one with this name; the
    // calls passed over must all be state switches (glEnable, glDisable,
    // glBlendFunc) unless `others` lists their names too.
    const glrecord::Call& advanceTo(const std::string& name,
                                    const std::set<std::string>& others = {});

private:
    const glrecord::Call& consume();
    void apply(const glrecord::Call& call);

    const std::vector<glrecord::Call>& calls_;
    std::size_t index_ = 0;
    ReplayedState state_;
    std::vector<glrecord::Call> passed_;
};

}  // namespace structuretest

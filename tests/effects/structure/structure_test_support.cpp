// Reference helpers shared by the structure scene tests.
#include "structure_test_support.h"

#include <sstream>
#include <stdexcept>

#include "engine_harness.h"

namespace structuretest {

void prepareRecordedFrame() {
    testsupport::resetEngine();
    glrecord::reset();
    glrecord::setMode(glrecord::Mode::Record);
    testsupport::addTestTexture("loadpic.jpg", kLoadPictureId, 1280, 960);
    testsupport::addTestTexture("particle.jpg", kParticleId, 128, 128);
}

float demoTimeAt(float t) { return 2000.0f + t * 47000.0f; }

const glrecord::Call& TraceWalker::consume() {
    if (done()) {
        throw std::runtime_error("trace ended early, after " + std::to_string(index_) + " calls");
    }
    const glrecord::Call& call = calls_[index_++];
    apply(call);
    return call;
}

void TraceWalker::apply(const glrecord::Call& call) {
    const auto arg = [&](std::size_t i) { return call.args.at(i); };
    if (call.name == "glEnable") {
        state_.enabled.insert(static_cast<unsigned int>(arg(0)));
    } else if (call.name == "glDisable") {
        state_.enabled.erase(static_cast<unsigned int>(arg(0)));
    } else if (call.name == "glBlendFunc") {
        state_.blendSource = static_cast<int>(arg(0));
        state_.blendDestination = static_cast<int>(arg(1));
    } else if (call.name == "glBindTexture") {
        state_.texture = static_cast<unsigned int>(arg(1));
    } else if (call.name == "glLineWidth") {
        state_.lineWidth = arg(0);
    }
}

const glrecord::Call& TraceWalker::expect(const std::string& name) {
    const std::size_t at = index_;
    const glrecord::Call& call = consume();
    if (call.name != name) {
        std::ostringstream message;
        message << "call " << at << ": expected " << name << ", got " << call;
        throw std::runtime_error(message.str());
    }
    return call;
}

const glrecord::Call& TraceWalker::advanceTo(const std::string& name,
                                             const std::set<std::string>& others) {
    passed_.clear();
    for (;;) {
        const std::size_t at = index_;
        const glrecord::Call& call = consume();
        if (call.name == name) return call;
        passed_.push_back(call);
        const bool stateSwitch =
            call.name == "glEnable" || call.name == "glDisable" || call.name == "glBlendFunc";
        if (!stateSwitch && others.count(call.name) == 0) {
            std::ostringstream message;
            message << "call " << at << ": " << call << " before the expected " << name;
            throw std::runtime_error(message.str());
        }
    }
}

}  // namespace structuretest

// The GL stream of the production, drawn through the recording layer: the
// demo's start-up and frames through the real driver and engine adapter, and
// the capture tool's start-up and frames at times across the show. Both must
// draw the same stream at the same time. With GM_TRACE_DUMP set, both streams
// are written to that file as text (every argument at full precision), so two
// builds can be compared byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "fakes.h"
#include "fluxcore/dms.h"
#include "glrecord.h"
#include "host/driver.h"
#include "host/engine_fluxcore.h"
#include "host/production.h"

namespace {

namespace fc = QUASAR_FLUXCORE;

const std::vector<float> kTimesMs = {0, 1000, 2000, 2500, 10000, 20000, 35000, 48999};

// The recorded calls from index `from` on, one per line.
std::string traceFrom(std::size_t from) {
    const std::vector<glrecord::Call>& calls = glrecord::trace();
    std::ostringstream out;
    out.precision(17);
    for (std::size_t i = from; i < calls.size(); ++i) {
        out << calls[i].name << '(';
        for (std::size_t a = 0; a < calls[i].args.size(); ++a) out << (a ? ", " : "") << calls[i].args[a];
        out << ")\n";
    }
    return out.str();
}

// The fluxcore adapter with the archive opened without a window and the clock
// fixed: each frame's clock reading takes the next of `times`.
class HeadlessEngine : public glassmeridian::FluxcoreEngine {
public:
    std::vector<float> times;

    bool initEx(const glassmeridian::LaunchSettings&, const char*) override {
        testsupport::openArchiveHeadless(GM_TEST_DATA_PAK);
        return true;
    }
    void initTimer() override {
        FluxcoreEngine::initTimer();
        fc::dmsSetFixedClock(true);
    }
    void updateTimer() override {
        fc::dmsSetTime(times[next_ < times.size() ? next_ : times.size() - 1]);
        ++next_;
        FluxcoreEngine::updateTimer();
    }

private:
    std::size_t next_ = 0;
};

// Cuts the stream at each buffer swap: the first piece holds the start-up and
// the first frame.
class CuttingPlatform : public glassmeridian::Platform {
public:
    std::vector<std::string> frames;

    glassmeridian::PlatformEvent pollEvent() override { return {}; }
    bool escapeHeld() override { return false; }
    void swapBuffers(void*) override {
        const std::size_t end = glrecord::trace().size();
        frames.push_back(traceFrom(cut_));
        cut_ = end;
    }

private:
    std::size_t cut_ = 0;
};

// The demo through runDemo: start-up, then one frame per time up to the end.
std::vector<std::string> demoFrames(const std::vector<float>& times) {
    testsupport::resetEngine();
    glrecord::reset();
    hosttest::Log log;
    hosttest::ScriptedDialog dialog(log);
    HeadlessEngine engine;
    engine.times = times;
    engine.times.push_back(49000.0f);  // the end of the show closes the loop
    CuttingPlatform platform;
    EXPECT_EQ(glassmeridian::runDemo(engine, platform, dialog), 0);
    testsupport::resetEngine();
    return platform.frames;
}

// The capture tool's start-up and its frame at each time, as its engine
// session runs them.
std::vector<std::string> captureFrames(const std::vector<float>& times) {
    namespace production = glassmeridian::production;
    testsupport::resetEngine();
    glrecord::reset();
    testsupport::openArchiveHeadless(GM_TEST_DATA_PAK);
    glassmeridian::FluxcoreEngine engine;
    production::startUp(engine);
    fc::dmsSetFixedClock(true);
    std::vector<std::string> frames;
    std::size_t cut = 0;
    for (float t : times) {
        fc::dmsSetTime(t);
        production::advanceClock(engine);
        production::drawPicture(engine);
        frames.push_back(traceFrom(cut));
        cut = glrecord::trace().size();
    }
    testsupport::resetEngine();
    return frames;
}

TEST(ProductionTrace, DemoAndCaptureDrawTheSameStreamAtEachTime) {
    const std::vector<std::string> demo = demoFrames(kTimesMs);
    const std::vector<std::string> capture = captureFrames(kTimesMs);

    // The demo's last piece is the frame at the end of the show.
    ASSERT_EQ(demo.size(), kTimesMs.size() + 1);
    ASSERT_EQ(capture.size(), kTimesMs.size());
    for (std::size_t i = 0; i < kTimesMs.size(); ++i) {
        EXPECT_NE(capture[i].find("glBegin"), std::string::npos) << "nothing drawn at " << kTimesMs[i] << " ms";
        EXPECT_EQ(demo[i], capture[i]) << "the streams part at " << kTimesMs[i] << " ms";
    }

    if (const char* dump = std::getenv("GM_TRACE_DUMP")) {
        std::ofstream out(dump, std::ios::binary);
        for (std::size_t i = 0; i < demo.size(); ++i) out << "== demo piece " << i << "\n" << demo[i];
        for (std::size_t i = 0; i < capture.size(); ++i)
            out << "== capture at " << kTimesMs[i] << " ms\n" << capture[i];
    }
}

}  // namespace

// The production's timeline: which effects, in which order, with which
// intervals, and that the engine's timeline runs them; the engine adapter
// opens on the settings' monitor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "effects/intro_effect.h"
#include "effects/structure_effect.h"
#include "engine_harness.h"
#include "fluxcore/dms.h"
#include "glrecord.h"
#include "host/engine_fluxcore.h"
#include "host/production.h"

namespace {

struct Entry {
    unsigned int start, end;
    std::string name;
    std::unique_ptr<QUASAR_FLUXCORE::Base> effect;
};

std::vector<Entry>* received = nullptr;

void collect(unsigned int start, unsigned int end, const char* name, QUASAR_FLUXCORE::Base* effect) {
    received->push_back({start, end, name, std::unique_ptr<QUASAR_FLUXCORE::Base>(effect)});
}

TEST(Timeline, RegistersTheIntroThenTheStructure) {
    std::vector<Entry> entries;
    received = &entries;
    glassmeridian::production::registerTimeline(&collect);
    received = nullptr;

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].start, 0u);
    EXPECT_EQ(entries[0].end, glassmeridian::production::kSceneStartMs);
    EXPECT_EQ(entries[0].name, "alku");
    EXPECT_NE(dynamic_cast<glassmeridian::IntroEffect*>(entries[0].effect.get()), nullptr);
    EXPECT_EQ(entries[1].start, glassmeridian::production::kSceneStartMs);
    EXPECT_EQ(entries[1].end, glassmeridian::production::kShowEndMs);
    // The show's moments themselves: the loading picture for 2 s, the end at 49 s.
    EXPECT_EQ(glassmeridian::production::kSceneStartMs, 2000u);
    EXPECT_EQ(glassmeridian::production::kShowEndMs, 49000u);
    EXPECT_EQ(entries[1].name, "rakenne");
    EXPECT_NE(dynamic_cast<glassmeridian::StructureEffect*>(entries[1].effect.get()), nullptr);
}

// Through the real engine timeline: each effect receives its interval from
// init and draws only inside it.
TEST(Timeline, EngineTimelineRunsEachEffectInsideItsInterval) {
    testsupport::resetEngine();
    testsupport::openArchiveHeadless(GM_TEST_DATA_PAK);
    glassmeridian::production::registerTimeline();
    QUASAR_FLUXCORE::dmsInitEffects();
    QUASAR_FLUXCORE::dmsUploadTextures();
    QUASAR_FLUXCORE::dmsSetFixedClock(true);

    const auto drawsAt = [](float ms) {
        QUASAR_FLUXCORE::dmsSetTime(ms);
        glrecord::reset();
        QUASAR_FLUXCORE::dmsRun();
        return glrecord::countOf("glBegin");
    };
    const std::size_t intro = drawsAt(1000.0f);
    const std::size_t structure = drawsAt(10000.0f);
    const std::size_t after = drawsAt(glassmeridian::production::kEndMs);
    EXPECT_GT(intro, 0u);
    EXPECT_GT(structure, intro);  // grid strips, cubes and trails against one picture
    EXPECT_EQ(after, 0u);
    testsupport::resetEngine();
}

TEST(FluxcoreEngine, OpensOnTheSettingsMonitor) {
    testsupport::resetEngine();
    setenv("SDL_VIDEODRIVER", "dummy", 1);  // one display
    glassmeridian::LaunchSettings settings;
    settings.display = 2;
    glassmeridian::FluxcoreEngine engine;
    try {
        engine.initEx(settings, "data.pak");
        ADD_FAILURE() << "opened on display 2";
    } catch (const char* failure) {
        EXPECT_STREQ(failure, "display 2 does not exist (this desktop has 1: 0)");
    }
    unsetenv("SDL_VIDEODRIVER");
    testsupport::resetEngine();
}

}  // namespace

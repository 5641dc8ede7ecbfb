// CPU cost of the structure scene: one whole frame with the GL calls going into
// the recording layer's counting sink, and the construction of the scene.
#include <benchmark/benchmark.h>

#include <memory>

#include "effects/effect_timing.h"
#include "effects/structure_effect.h"
#include "engine_harness.h"
#include "glrecord.h"

namespace {

void prepareCountingSink() {
    testsupport::resetEngine();
    glrecord::reset();
    glrecord::setMode(glrecord::Mode::Count);
    testsupport::addTestTexture("loadpic.jpg", 1, 1280, 960);
    testsupport::addTestTexture("particle.jpg", 2, 128, 128);
}

// Argument: t in hundredths.
void BM_StructureFrame(benchmark::State& state) {
    prepareCountingSink();
    auto scene = std::make_unique<glassmeridian::StructureEffect>();
    const float t = static_cast<float>(state.range(0)) / 100.0f;
    const float fade = glassmeridian::fadeEnvelope(t);
    const std::size_t before = glrecord::callCount();
    for (auto _ : state) {
        scene->drawFrame(t, fade);
    }
    state.counters["gl_calls_per_frame"] = benchmark::Counter(
        static_cast<double>(glrecord::callCount() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_StructureFrame)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_StructureConstruction(benchmark::State& state) {
    for (auto _ : state) {
        glassmeridian::StructureEffect scene;
        benchmark::DoNotOptimize(scene.ribbon);
    }
}
BENCHMARK(BM_StructureConstruction)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

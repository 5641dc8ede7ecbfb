// Cost of evaluating a 100-point Path, as the scene does thousands of times a
// frame, and of drawing one into the recording GL layer in Count mode.
#include <benchmark/benchmark.h>

#include "curves/path.h"
#include "glrecord.h"

using QUASAR_FLUXCORE::Path;
using QUASAR_FLUXCORE::Vector;

namespace {

void fill(Path& path, int points) {
    for (int i = 0; i < points; ++i) {
        Vector point(static_cast<float>(i), static_cast<float>(i % 7), static_cast<float>(i % 3));
        path.addpoint(point);
    }
}

void BM_PathGetValue(benchmark::State& state) {
    Path path;
    fill(path, 100);
    float t = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(path.getValue(t));
        t += 0.000731f;
        if (t > 1.0f) {
            t = 0.0f;
        }
    }
}
BENCHMARK(BM_PathGetValue);

void BM_PathDraw(benchmark::State& state) {
    Path path;
    fill(path, 100);
    glrecord::reset();
    glrecord::setMode(glrecord::Mode::Count);
    for (auto _ : state) {
        path.draw();
    }
    glrecord::setMode(glrecord::Mode::Record);
    glrecord::reset();
}
BENCHMARK(BM_PathDraw);

}  // namespace

BENCHMARK_MAIN();

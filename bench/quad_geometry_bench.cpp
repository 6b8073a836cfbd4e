// Quads per second through transform, back-face test, near clip, guard band and
// projection: the synthetic cube, ground, lit and depth models under a turning camera.
#include "base/rom_files.h"
#include "render/model_walk.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>

namespace {

// Counts the quads that needed the guard band, so that the work is observed.
void count_sink(const quad_record* q, void* data) {
    *static_cast<int64_t*>(data) += q->band_count != 0;
}

void BM_ModelQuads(benchmark::State& state) {
    point_rom = synth_rom_shared()->point;
    point_rom_count = POINT_ROM_WORDS;
    const int32_t models[] = {SYNTH_MODEL_CUBE, SYNTH_MODEL_GROUND, SYNTH_MODEL_LIT, SYNTH_MODEL_DEPTH};
    // Sixty-four camera headings, the camera close enough that the ground crosses the
    // near plane and reaches past the guard band.
    geo_camera_record cams[64];
    for (int i = 0; i < 64; i++) {
        double a = i * 2 * M_PI / 64;
        geo_camera_record& c = cams[i];
        memset(&c, 0, sizeof c);
        int32_t cs = int32_t(std::lround(32767 * std::cos(a))), sn = int32_t(std::lround(32767 * std::sin(a)));
        c.m[0] = cs, c.m[6] = -sn, c.m[4] = 32767, c.m[2] = sn, c.m[8] = cs;
        c.v[0] = c.v[4] = c.v[8] = 32767;
        c.ty = -0x400, c.tz = 0xC000;
        c.focal = 0x4548, c.shift = 5;
        c.ly = 0x5A82, c.lz = -0x5A82, c.ambient = 20, c.light_scale = 200;
    }
    int64_t banded = 0;
    uint32_t quads_before = geo_counters.emitted + geo_counters.cull + geo_counters.behind;
    uint32_t emitted_before = geo_counters.emitted;
    for (auto _ : state) {
        for (const geo_camera_record& c : cams) {
            geo_camera_set(&c);
            for (int32_t m : models) model_quads_emit(m, count_sink, &banded);
        }
    }
    uint32_t quads = geo_counters.emitted + geo_counters.cull + geo_counters.behind - quads_before;
    state.SetItemsProcessed(int64_t(quads));
    state.counters["emitted"] = benchmark::Counter(double(geo_counters.emitted - emitted_before), benchmark::Counter::kIsRate);
    state.counters["banded"] = benchmark::Counter(double(banded), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ModelQuads);

}  // namespace

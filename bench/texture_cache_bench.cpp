// Texture cache costs: baking ROM texels into RGBA (ns per texel) and a cached lookup
// (ns per hit). Runs on SDL's offscreen GL driver.
#include "render/gl_window.h"
#include "render/graphics_rom.h"
#include "render/palette_source.h"
#include "render/texture_bake.h"
#include "render/texture_cache.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <vector>

namespace {

void images_fill() {
    if (!texture_rom) texture_rom = static_cast<uint8_t*>(calloc(TEXTURE_ROM_SIZE, 1));
    if (!texture_tilemap) texture_tilemap = static_cast<uint8_t*>(calloc(TEXTURE_TILEMAP_SIZE, 1));
    for (uint32_t i = 0; i < TEXTURE_ROM_SIZE; ++i) texture_rom[i] = uint8_t(i * 2654435761u >> 24);
    for (uint32_t e = 0; e < 0x100000; ++e) {
        texture_tilemap[2 * e] = uint8_t(e * 7);
        texture_tilemap[2 * e + 1] = uint8_t(e * 7 >> 8);
        texture_tilemap[0x200000 + (e >> 1)] = uint8_t(e * 0x9E & 0xEE);  // flips and exchanges, no bit 0
    }
    for (uint32_t i = 0; i < PALETTE_BYTES; ++i) palette_3d[i] = uint8_t(i * 31);
}

// Nanoseconds per unit when each iteration handles `units` of them.
benchmark::Counter ns_per(double units) {
    return benchmark::Counter(units * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void bake_per_texel(benchmark::State& state) {
    images_fill();
    const int size = int(state.range(0));
    tex_bake_plan plan = tex_bake_plan_make(size, size, 1024, false, tex_alloc_gutter);
    uint8_t colours[256][4];
    tex_colour_table(palette_3d, 3, 1, colours);
    std::vector<uint8_t> out(size_t(plan.alloc_w) * plan.alloc_h * 4);
    int u = 0;
    for (auto _ : state) {
        tex_bake(plan, u, 16, 0, 0, colours, out.data(), size_t(plan.alloc_w) * 4);
        u = (u + 16) & 0xFFF;
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["ns_per_texel"] = ns_per(double(plan.alloc_w) * plan.alloc_h);
}
BENCHMARK(bake_per_texel)->Arg(16)->Arg(256)->Arg(1000);

bool gl_ready() {
    static int ready = gl_headless_window(640, 480);
    return ready == 1;
}

// GL, the synthetic images and an empty cache in transparency mode 1; false (the
// benchmark skipped) without GL.
bool cache_ready(benchmark::State& state) {
    if (!gl_ready()) {
        state.SkipWithError("no GL");
        return false;
    }
    images_fill();
    tex_cache_reset();
    tex_transparency_mode = 1;
    return true;
}

// A miss through the whole cache: key, probe, atlas place and bake into the page shadow.
void cache_miss_per_texel(benchmark::State& state) {
    if (!cache_ready(state)) return;
    int i = 0;
    for (auto _ : state) {
        tex_request req{(i % 256) * 16, (i / 256 % 256) * 16, 64, 64, (i / 65536) & 15, 3, 0};
        benchmark::DoNotOptimize(tex_cache_lookup(req, 0, false, nullptr));
        ++i;
    }
    state.counters["ns_per_texel"] = ns_per(65.0 * 65.0);
}
BENCHMARK(cache_miss_per_texel);

void fetch_per_hit(benchmark::State& state) {
    if (!cache_ready(state)) return;
    const int keys = 4096;
    for (int i = 0; i < keys; ++i)
        texture_fetch((i % 64) * 16, (i / 64) * 16, 32, 32, 0, 3, 0, nullptr, nullptr, nullptr, nullptr);
    int i = 0;
    float su, sv, ou, ov;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            texture_fetch((i % 64) * 16, (i / 64 % 64) * 16, 32, 32, 0, 3, 0, &su, &sv, &ou, &ov));
        ++i;
    }
    if (tex_counters.hit < long(state.iterations())) state.SkipWithError("lookups missed");
}
BENCHMARK(fetch_per_hit);

}  // namespace

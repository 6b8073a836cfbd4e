// CPU cost of one rendered frame by stage, against the board's 16.693 ms frame: the
// worst case of a full quad list (about 4096 textured, fogged quads), 255 sprites and
// a full text layer, headless (Mesa's software GL). A cold frame starts with an empty
// texture cache and a changed text layer; a warm frame repeats the last one.
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/cz_fog.h"
#include "render/frame_render.h"
#include "render/quad_sink.h"
#include "tests/render/frame_scene.h"

#include <benchmark/benchmark.h>
#include <ctime>

namespace {

constexpr int CUBES_X = 52, CUBES_Y = 30;  // 1560 cubes, three faces each: the list's 4096 quads
constexpr int SPRITES = 255;

double thread_cpu_seconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A frame's board state as the game would leave it: the display list, the sprite list
// uploaded into sprite RAM, text RAM and the mixer.
void frame_write(int text_variant) {
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    // Cubes off the view axis show three faces each; depths from near to deep in the fog.
    // One header, then 4-word entries.
    dl_header_8000();
    for (int j = 0; j < CUBES_Y; j++)
        for (int i = 0; i < CUBES_X; i++) {
            int32_t x = (i - CUBES_X / 2) * 0x1400 + 0xA00, y = (j - CUBES_Y / 2) * 0x1400 + 0xA00;
            const int32_t entry[4] = {SCENE_CUBE, x, y, 0x60000 + ((i * 7 + j * 13) % 64) * 0x4000};
            dl_emit(entry, 4);
        }
    dl_terminate();
    wram_long_set(W_FRAME_TICK, 4);
    sprite_list_upload();
    for (int s = 0; s < SPRITES; s++)
        sprite_call(7, 0x11, (s % 17) * 37, (s / 17) * 31, 0x40000 + s * 0x1000, 0x20, 0x20, 0, 1);
    wram_long_set(W_FRAME_TICK, 8);
    sprite_list_upload();
    for (int row = 0; row < 30; row++) text_print(0, row, SYNTH_STRING_LONG + uint32_t((row + text_variant) % 7), 1);
}

struct bench_scene {
    bool ready = false;
    scene_rom_pointers saved;
};
bench_scene scene;

bool scene_setup() {
    if (scene.ready) return true;
    if (!gl_test_window()) return false;
    scene_board_reset();
    video_mixer_init();
    scene_mixer_neutral();
    scene_fog_set(0xE0, 0x90, 0x40);
    cgram_load_tile_block(SYNTH_BLOCK_HUGE.number, 0);
    scene.ready = true;
    return true;
}

void frame_run(benchmark::State& state, bool cold) {
    if (!scene_setup()) {
        state.SkipWithError("no GL window");
        return;
    }
    double sums[8] = {};
    int variant = 0;
    frame_write(variant);
    scene_viewport(640, 480);
    render_frame_3d();  // the warm frames repeat this one
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) {
            tex_cache_reset();
            variant++;
        }
        frame_write(variant);
        scene_viewport(640, 480);
        double texels = tex_counters.texels_baked, fog_before = fog_intake_seconds();
        state.ResumeTiming();
        double cpu = thread_cpu_seconds();
        render_frame_3d();
        cpu = thread_cpu_seconds() - cpu;
        state.PauseTiming();
        glFinish();
        const frame_stage_times& t = frame_times;
        double bake = (tex_counters.texels_baked - texels) * tex_ns_per_texel * 1e-9;
        double fog = fog_intake_seconds() - fog_before;
        const double stage[8] = {t.walk, t.sort, t.quads - bake, bake, t.sprites, t.text, fog, cpu};
        for (int i = 0; i < 8; i++) sums[i] += stage[i];
        state.counters["quads"] = last_frame_quad_count();
        state.ResumeTiming();
    }
    static const char* const names[8] = {"walk_geometry_ms", "sort_ms", "batching_ms", "bake_ms",
                                         "sprites_2d_ms",     "text_ms", "fog_ms",      "frame_cpu_ms"};
    for (int i = 0; i < 8; i++) state.counters[names[i]] = sums[i] * 1e3 / double(state.iterations());
    state.counters["frame_budget_ms"] = 16.693;
}

void BM_frame_cold(benchmark::State& state) { frame_run(state, true); }
void BM_frame_warm(benchmark::State& state) { frame_run(state, false); }

}  // namespace

BENCHMARK(BM_frame_cold)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_frame_warm)->Unit(benchmark::kMillisecond)->Iterations(60);

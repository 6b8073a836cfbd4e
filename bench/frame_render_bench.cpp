// CPU cost of one rendered frame by stage, against the board's 16.693 ms frame: the
// worst case of a full quad list (about 4096 textured, fogged quads), 255 sprites and
// a full text layer, headless (Mesa's software GL). A cold frame starts with an empty
// texture cache, moved sprites and a changed text layer; a warm frame repeats the last.
//
// Per stage: <stage>_ms is the renderer's own CPU time (the render thread's CPU time
// less what it spent inside GL calls), <stage>_wall_ms the wall clock, <stage>_gl_ms the
// thread's CPU time inside GL calls (Mesa validates state, transforms vertices and
// copies uploads on the calling thread; it rasterises on its own threads, which
// finish_wall_ms shows: the glFinish after the frame). The goal is frame_ms under 4.
#include "base/run_flags.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/cz_fog.h"
#include "render/frame_render.h"
#include "render/quad_sink.h"
#include "tests/render/frame_scene.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

constexpr int CUBES_X = 52, CUBES_Y = 30;  // 1560 cubes, three faces each: the list's 4096 quads
constexpr int SPRITES = 255;

// A frame's board state as the game would leave it: the display list, the sprite list
// uploaded into sprite RAM, text RAM and the mixer. Another variant moves every sprite
// and changes the text, so that no sprite or text layer can be reused.
void frame_write(int variant) {
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
        sprite_call(7, 0x11, (s % 17) * 37 + variant % 2, (s / 17) * 31, 0x40000 + s * 0x1000, 0x20, 0x20, 0, 1);
    wram_long_set(W_FRAME_TICK, 8);
    sprite_list_upload();
    for (int row = 0; row < 30; row++) text_print(0, row, SYNTH_STRING_LONG + uint32_t((row + variant) % 7), 1);
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
    driver_time_split = true;
    stage_timing = true;
    cgram_load_tile_block(SYNTH_BLOCK_HUGE.number, 0);
    scene.ready = true;
    return true;
}

// One reported stage: the frame's stage times, with the fog intake (no GL) and the
// estimated bake time taken out of the stages that hold them.
struct stage_row {
    const char* name;
    stage_time t;
};
constexpr int ROWS = 10;

void rows_make(stage_row rows[ROWS], double bake, double fog) {
    const frame_stage_times& f = frame_times;
    stage_time batching = f.quads, other = f.total;
    batching.wall -= bake, batching.cpu -= bake;
    for (const stage_time* s : {&f.intake, &f.walk, &f.sort, &f.quads, &f.sprites, &f.text}) {
        other.wall -= s->wall, other.cpu -= s->cpu, other.driver -= s->driver;
    }
    rows[0] = {"walk_geometry", f.walk};
    rows[1] = {"sort", f.sort};
    rows[2] = {"batching", batching};
    rows[3] = {"bake", stage_time{bake, bake, 0}};
    rows[4] = {"sprites_2d", f.sprites};
    rows[5] = {"text", f.text};
    rows[6] = {"fog", stage_time{fog, fog, 0}};
    rows[7] = {"intake", f.intake};  // fog, sprite and text inputs (fog included)
    rows[8] = {"other", other};      // GL set-up, fade, object list, statistics
    rows[9] = {"frame", f.total};
}

void frame_run(benchmark::State& state, bool cold) {
    if (!scene_setup()) {
        state.SkipWithError("no GL window");
        return;
    }
    stage_time sums[ROWS] = {};
    double finish = 0;
    const char* names[ROWS] = {};
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
        glFinish();  // nothing of the last frame is left for this one to wait on
        double texels = tex_counters.texels_baked, fog_before = fog_intake_seconds();
        state.ResumeTiming();
        render_frame_3d();
        state.PauseTiming();
        double finish_start = monotonic_seconds();
        glFinish();
        finish += monotonic_seconds() - finish_start;
        // Bake time is the cache's own estimate (texels times its measured cost).
        double bake = (tex_counters.texels_baked - texels) * tex_ns_per_texel * 1e-9;
        stage_row rows[ROWS];
        rows_make(rows, bake, fog_intake_seconds() - fog_before);
        for (int i = 0; i < ROWS; i++) {
            names[i] = rows[i].name;
            sums[i].wall += rows[i].t.wall, sums[i].cpu += rows[i].t.cpu, sums[i].driver += rows[i].t.driver;
        }
        state.counters["quads"] = last_frame_quad_count();
        state.ResumeTiming();
    }
    double per_frame = 1e3 / double(state.iterations());
    for (int i = 0; i < ROWS; i++) {
        std::string name = names[i];
        state.counters[name + "_ms"] = (sums[i].cpu - sums[i].driver) * per_frame;
        state.counters[name + "_wall_ms"] = sums[i].wall * per_frame;
        state.counters[name + "_gl_ms"] = sums[i].driver * per_frame;
    }
    state.counters["finish_wall_ms"] = finish * per_frame;
    state.counters["frame_budget_ms"] = 16.693;
}

void BM_frame_cold(benchmark::State& state) { frame_run(state, true); }
void BM_frame_warm(benchmark::State& state) { frame_run(state, false); }

}  // namespace

BENCHMARK(BM_frame_cold)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_frame_warm)->Unit(benchmark::kMillisecond)->Iterations(60);

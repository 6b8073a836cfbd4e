// The final colour stage's cost per frame at 640 x 480 and 1920 x 1080: the picture
// copied into the frame texture, the table uploaded and one full-screen draw through
// it, finished in each iteration; by the GLSL program and by the pixel maps. Runs on
// SDL's offscreen GL driver (llvmpipe on a machine without a GPU).
#include "render/engine_frame.h"
#include "render/gl_window.h"

#include <SDL_opengl.h>
#include <benchmark/benchmark.h>
#include <cstdint>

namespace {

bool gl_ready() {
    static int ready = gl_headless_window(1920, 1080);
    return ready == 1;
}

void post_stage_per_frame(benchmark::State& state) {
    if (!gl_ready()) {
        state.SkipWithError("no GL");
        return;
    }
    const int w = int(state.range(0)), h = int(state.range(1));
    if (state.range(2))
        post_method = POST_PIXEL_MAP;
    else if (post_method == POST_PIXEL_MAP)
        post_method = POST_UNCHOSEN;  // chooses (and builds the GLSL program) again
    uint8_t inverse[256];
    for (int i = 0; i < 256; i++) inverse[i] = uint8_t(255 - i);
    glClearColor(0.2f, 0.5f, 0.9f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (auto _ : state) {
        post_stage_apply(inverse, inverse, inverse, w, h);
        glFinish();
    }
    state.SetLabel(post_method == POST_GLSL ? "GLSL" : "pixel map");
}
BENCHMARK(post_stage_per_frame)
    ->ArgNames({"w", "h", "pixel_map"})
    ->Args({640, 480, 0})
    ->Args({1920, 1080, 0})
    ->Args({640, 480, 1})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

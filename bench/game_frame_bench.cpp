// Cost of one game frame step (imports and exports, the frame interrupt, inputs, the
// per-frame stages and the dispatch) against the 16.693 ms frame. Counters: ms_per_frame
// and pct_of_frame.
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/scores_file.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;

void game_frame_step(benchmark::State& state) {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    scores_path_set(nullptr);
    game_init();
    for (auto _ : state) {
        frame_due = 1;
        game_frame();
        dsp_word_set(DSP_WORD_LIST_READY, 0);  // the renderer takes every list
    }
    using benchmark::Counter;
    state.counters["ms_per_frame"] = Counter(1e-3, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pct_of_frame"] = Counter(FRAME_SECONDS / 100.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
}
BENCHMARK(game_frame_step)->Unit(benchmark::kMicrosecond);

}  // namespace

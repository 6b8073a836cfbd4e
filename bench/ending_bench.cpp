// Cost of one game frame step in the ending (the frame header, the roll's texts and
// models, the phase's scene) against the 16.693 ms frame, per phase: the arguments are
// the phase and the counter held so every iteration runs the same frame. The staff roll
// runs inside the roll; the fly-in on the debris' first frame; the ring with every object
// climbing and turning. Counters: ms_per_frame and pct_of_frame.
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "game/modes/ending_phases.h"
#include "game/services/flight_ram.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;

// A board in the good ending (top state 3, sub-state 15) on the synthetic set.
void ending_board() {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    scores_path_set(nullptr);
    game_init();
    wram_long_set(W_GAME_STATE, 3);
    wram_long_set(W_GAME_SUB_STATE, 15);
    wram_long_set(W_END_FLAG, 1);
}

// One game frame step; the renderer takes every list.
void ending_step() {
    wram_export();
    frame_due = 1;
    game_frame();
    dsp_word_set(DSP_WORD_LIST_READY, 0);
}

// The cost in milliseconds a frame and as a share of the 16.693 ms frame.
void frame_counters_set(benchmark::State& state) {
    using benchmark::Counter;
    state.counters["ms_per_frame"] = Counter(1e-3, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pct_of_frame"] =
        Counter(FRAME_SECONDS / 100.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
}

void ending_game_frame(benchmark::State& state) {
    ending_board();
    for (auto _ : state) {
        ending_phase_set(int32_t(state.range(0)), int32_t(state.range(1)));
        ending_step();
    }
    frame_counters_set(state);
}
BENCHMARK(ending_game_frame)->Args({3, 2300})->Unit(benchmark::kMicrosecond);
BENCHMARK(ending_game_frame)->Args({0, 380})->Args({4, 2775 + 500})->Unit(benchmark::kMicrosecond);

// The landing scenes, the portrait and the bad ending, each held at one counter inside
// its phase after running there from the phase's first frame (argument: the phase).
void ending_game_frame_landing_scenes(benchmark::State& state) {
    constexpr int32_t MIDDLE[13] = {0, 0, 0, 0, 0, 3645, 4200, 5200, 5700, 6600, 6870, 0, 0};
    ending_board();
    int32_t phase = int32_t(state.range(0));
    ending_phase_set(phase, ending_phase_end(phase - 1));  // the scene set up from its first frame
    for (int32_t c = ending_phase_end(phase - 1); c < MIDDLE[phase]; c++) ending_step();
    for (auto _ : state) {
        ending_phase_set(phase, MIDDLE[phase]);
        ending_step();
    }
    frame_counters_set(state);
}
BENCHMARK(ending_game_frame_landing_scenes)->DenseRange(5, 10)->Unit(benchmark::kMicrosecond);

}  // namespace

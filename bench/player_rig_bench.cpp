// Cost of the player's render step in a race frame (the parts, the rig pipeline with the
// procedural rider's arm and leg solutions, 24 node packets, the wings) against the
// 16.693 ms frame. Counters: us_per_frame and pct_of_frame.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"
#include "game/world/player_rig.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;

void player_render_race_frame(benchmark::State& state) {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    w_cell_set(W_GAME_STATE, 3);
    w_cell_set(W_PITCH_INPUT, 9000);
    w_cell_set(W_TURN_INPUT, -7000);
    player_model_load_animation(0);
    int32_t frame = 0;
    for (auto _ : state) {
        dl_cursor_set(dl_packet_area(0));
        w_cell_set(W_CRANK_FRAME, frame++ & 63);
        player_render();
    }
    using benchmark::Counter;
    state.counters["us_per_frame"] = Counter(1e-6, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pct_of_frame"] = Counter(FRAME_SECONDS / 100.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
}
BENCHMARK(player_render_race_frame)->Unit(benchmark::kMicrosecond);

}  // namespace

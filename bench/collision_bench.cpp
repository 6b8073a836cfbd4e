// Cost of the collision driver against the 16.693 ms game frame: a normal frame in a
// three-layer cell with zone boxes around the probes, and a frame whose look-ahead
// contact runs the full 401-try search (far below a three-layer cell, where no try is
// free).
// Counter pct_of_frame: one collision_update as a share of the frame.
#include "board/board_memory.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/collision_driver.h"
#include "game/world/terrain_cells.h"
#include "tests/support/synth_rom_tables.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;

void course0_ready() {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    w_cell_set(W_COURSE_NUMBER, 0);
    world_props_init(0);
}

void player_at(int cell, int32_t dx, int32_t y, int32_t dz, int32_t target_pitch) {
    w_cell_set(W_PLAYER_X, (cell % 8) * CELL_SIZE + dx);
    w_cell_set(W_PLAYER_Y, y);
    w_cell_set(W_PLAYER_Z, (cell / 8) * CELL_SIZE + dz);
    w_cell_set(W_TARGET_PITCH, target_pitch);
    w_cell_set(W_TARGET_HEADING, 0);
    w_cell_set(W_TARGET_ROLL, 0);
    w_cell_set(W_PLAYER_SPEED, 3000);
    player_cell_update();
}

// The loop's wall time per iteration as a percentage of the frame (a plain number: the
// "m" the report may show is the SI milli).
void pct_of_frame(benchmark::State& state, std::chrono::steady_clock::time_point start) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["pct_of_frame"] = 100.0 * seconds / double(state.iterations()) / FRAME_SECONDS;
}

// In the tunnel of the three-layer cell, among the zone boxes of its row 3; the player
// moves a little every frame, as in flight.
void normal_frame(benchmark::State& state) {
    course0_ready();
    int32_t step = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        player_at(SYNTH_CELL_LAYERS, 0x9000 + (step++ & 15) * 0x80, 15000, 0x15000, 0);
        collision_update();
    }
    benchmark::DoNotOptimize(w_cell(W_PROBES + PROBE_HIT));
    pct_of_frame(state, start);
}
BENCHMARK(normal_frame);

// Far below the three layers of cell 11 (under the column's bottom every point is
// solid): the look-ahead search makes all 401 tries, each through the three layers'
// triangles and the cell's zone boxes.
void full_search(benchmark::State& state) {
    course0_ready();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        player_at(SYNTH_CELL_LAYERS, 0x8000, -200000, 0x8000, 0);
        collision_update();
    }
    benchmark::DoNotOptimize(w_cell(W_PLAYER_X));
    pct_of_frame(state, start);
}
BENCHMARK(full_search);

}  // namespace

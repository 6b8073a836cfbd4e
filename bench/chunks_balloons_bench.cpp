// Cost of the terrain chunk visibility and the balloon step against the 16.693 ms game
// frame: 60 visible chunks (every mask bit set, the camera in the middle of the grid),
// then the full synthetic layout's 64 balloons over 40 chunks with the hit test of the
// player's cell, and the moving objects' update.
// Counter pct_of_frame: one frame of the routines as a share of the frame.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/balloons.h"
#include "game/world/moving_objects.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;
constexpr int CAMERA_CELL = 35;  // column 3, row 4: all 60 records of the list land on the grid
constexpr int32_t CAMERA_X = 3 * CELL_SIZE + 0x100, CAMERA_Z = 4 * CELL_SIZE + 0x100;

int32_t* packets() {
    return reinterpret_cast<int32_t*>(dspram + DL_BUFFER_BASE + DL_PACKET_OFFSET);
}

// Course 0 with every chunk visible and the full layout (stage 2, layout 0) set up; the
// player in the camera's cell, among its balloons.
void full_layout_ready() {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    std::memset(program_rom + CHUNK_MASK_ADDRESS[0], 0xFF, CELL_COUNT * CHUNK_MASK_ROWS);
    w_cell_set(W_COURSE_NUMBER, 0);
    world_props_init(0);
    w_cell_set(W_GAME_STATE, 3);
    w_write16(WRAM_BASE + W_GAME_MODE, 1);
    w_write16(WRAM_BASE + W_COURSE_PAIR, 2);
    w_write16(WRAM_BASE + W_BALLOON_LAYOUT, 0);
    balloon_system_init();
    w_cell_set(W_CAMERA_X, CAMERA_X);
    w_cell_set(W_CAMERA_Z, CAMERA_Z);
    w_cell_set(W_PLAYER_X, CAMERA_X);
    w_cell_set(W_PLAYER_Y, 0x70000);  // above every balloon: tested, never hit
    w_cell_set(W_PLAYER_Z, CAMERA_Z);
    w_cell_set(W_PLAYER_CELL, CAMERA_CELL);
}

void pct_of_frame(benchmark::State& state, std::chrono::steady_clock::time_point start) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["pct_of_frame"] = 100.0 * seconds / double(state.iterations()) / FRAME_SECONDS;
}

void chunks_60_visible(benchmark::State& state) {
    full_layout_ready();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        dl_cursor_set(packets());
        terrain_chunk_visibility(CAMERA_X, 0x4000, CAMERA_Z, 0);
    }
    if (w_cell(W_VISIBLE_COUNT) != 60) state.SkipWithError("expected 60 visible chunks");
    pct_of_frame(state, start);
}
BENCHMARK(chunks_60_visible);

void balloons_64_over_40_chunks(benchmark::State& state) {
    full_layout_ready();
    dl_cursor_set(packets());
    terrain_chunk_visibility(CAMERA_X, 0x4000, CAMERA_Z, 0);
    int32_t frame = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        w_cell_set(W_PLAY_FRAME_COUNTER, frame++);
        dl_cursor_set(packets());
        balloon_render_and_hit_check();
    }
    if ((dl_cursor_get() - packets()) < 64 * 15) state.SkipWithError("expected 64 balloons drawn");
    pct_of_frame(state, start);
}
BENCHMARK(balloons_64_over_40_chunks);

// The whole share: chunks, moving objects and balloons in one world frame.
void world_frame_share(benchmark::State& state) {
    full_layout_ready();
    int32_t frame = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        w_cell_set(W_PLAY_FRAME_COUNTER, frame++);
        dl_cursor_set(packets());
        objects_move_update();
        terrain_chunk_visibility(CAMERA_X, 0x4000, CAMERA_Z, 0);
        balloon_render_and_hit_check();
    }
    pct_of_frame(state, start);
}
BENCHMARK(world_frame_share);

}  // namespace

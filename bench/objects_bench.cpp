// Cost of objects_render_master against the 16.693 ms game frame: 23 visible chunks of
// eight scenery records each (course 1's synthetic tier tables: every record kind, one
// bank change), drawn in the three tiers, and 16 live animated objects stepped through
// their looping scripts and drawn.
// Counter pct_of_frame: one call as a share of the frame.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/animated_objects_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/animated_objects.h"
#include "game/world/scenery_objects.h"
#include "tests/support/synth_rom_tables.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;
constexpr int32_t CHUNKS = 23;

int32_t* packets() {
    return reinterpret_cast<int32_t*>(dspram + DL_BUFFER_BASE + DL_PACKET_OFFSET);
}

// Course 1, visible entries 0..22 holding cells 0..22, and every slot holding the
// looping jumps script in cell 0 (entry 0: drawn).
void scene_ready() {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    w_cell_set(W_COURSE_NUMBER, 1);
    w_cell_set(W_GAME_STATE, 3);
    animated_objects_reset_all();
    for (uint32_t cell = 0; cell < CELL_COUNT; cell++) w_cell_set(W_CHUNK_SLOTS + cell, -1);
    for (int32_t i = 0; i < CHUNKS; i++) {
        uint32_t e = W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(i);
        w_cell_set(e, i);
        w_cell_set(e + 4, i * 0x4000);
        w_cell_set(e + 8, 0x8000 - i * 0x2000);
        w_cell_set(W_CHUNK_SLOTS + uint32_t(i), i);
    }
    w_cell_set(W_VISIBLE_COUNT, CHUNKS);
    uint32_t record = ROM_SPAWN_RECORDS + SPAWN_RECORD_BYTES * SYNTH_RECORD_JUMPS;
    for (int32_t s = 0; s < ANIMATED_SLOTS; s++) {
        program_rom[record + 26] = 0;
        program_rom[record + 27] = uint8_t(s);
        animated_object_spawn(record);
    }
}

void objects_render_master_23_chunks_16_objects(benchmark::State& state) {
    scene_ready();
    int32_t frame = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        w_cell_set(W_PLAY_FRAME_COUNTER, frame++);
        dl_cursor_set(packets());
        objects_render_master();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (w_read16(WRAM_BASE + W_AO_LIVE) != ANIMATED_SLOTS) state.SkipWithError("expected 16 live objects");
    if (dl_cursor_get() - packets() < CHUNKS * 8 * 11 + ANIMATED_SLOTS * 11)
        state.SkipWithError("expected every record and object drawn");
    state.counters["pct_of_frame"] = 100.0 * seconds / double(state.iterations()) / FRAME_SECONDS;
}
BENCHMARK(objects_render_master_23_chunks_16_objects);

}  // namespace

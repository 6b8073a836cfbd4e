#include "game/world/demo_flights.h"

#include "board/area_environment.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/area_sounds.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/run_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/balloons.h"
#include "game/world/camera.h"
#include "game/world/collision_driver.h"
#include "game/world/course_start.h"
#include "game/world/gameplay_state.h"
#include "game/world/moving_objects.h"
#include "game/world/particles.h"
#include "game/world/player_flight.h"
#include "game/world/player_rig.h"
#include "game/world/scenery_objects.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_props.h"
#include "game/world/world_stand_ins.h"

#include <cstdio>

namespace {

// Demo table: parallel arrays of 17 longs (array at + offset, demo n at + 4n).
constexpr uint32_t DEMO_TABLE = 0x15C508;
constexpr int32_t DEMOS = 17;
constexpr rom_table ROM_DEMO_INPUTS = {DEMO_TABLE + 0x000, 4, DEMOS};
constexpr rom_table ROM_DEMO_PATHS = {DEMO_TABLE + 0x088, 4, DEMOS};
constexpr rom_table ROM_DEMO_STATES = {DEMO_TABLE + 0x0CC, 4, DEMOS};
constexpr rom_table ROM_DEMO_DRIVES = {DEMO_TABLE + 0x110, 4, DEMOS};
constexpr rom_table ROM_DEMO_FLIGHTS = {DEMO_TABLE + 0x154, 4, DEMOS};
constexpr rom_table ROM_DEMO_COURSES = {DEMO_TABLE + 0x198, 4, DEMOS};
constexpr rom_table ROM_DEMO_STAGE_WORDS = {DEMO_TABLE + 0x1DC, 4, DEMOS};
constexpr rom_table ROM_DEMO_LAYOUTS = {DEMO_TABLE + 0x220, 4, DEMOS};

constexpr uint32_t RECORD_BYTES = 16;  // pitch, turn, pedal, frame number
constexpr int64_t ROM_CURSOR_END = 0x400000;
constexpr int32_t COLLISION_FROM_FRAME = 300;
constexpr int32_t PATH_LENGTH_START = 0xA000;

constexpr uint32_t PLAYER_STATE_LONGS = 64;               // W 0x0D00..0x0DFC
constexpr uint32_t DRIVE_LONGS = 3;                       // W 0x0E00..0x0E08
// The flight state in two runs: from W_SLOW_FLAG and from W_LOOKAHEAD_FAST_AVOID.
constexpr uint32_t FLIGHT_STATE_A_LONGS = 6, FLIGHT_STATE_B_LONGS = 7;

bool input_ended;

// Records are read from the program ROM (through the bus) or from work RAM (the
// recorder's run); any other cursor holds no records.
bool cursor_readable(int64_t cursor) {
    if (cursor >= 1 && cursor + RECORD_BYTES <= ROM_CURSOR_END) return true;
    return cursor >= WRAM_BASE && cursor + RECORD_BYTES <= WRAM_BASE + WRAM_SIZE;
}

int64_t cursor() {
    int64_t slot = w_slot(W_DEMO_CURSOR);
    return w_is_host_pointer(slot) ? -1 : int64_t(uint32_t(slot));
}

void longs_copy(uint32_t w, int64_t from, uint32_t count) {
    for (uint32_t i = 0; i < count; i++) w_cell_set(w + 4 * i, w_read32(from + 4 * int64_t(i)));
}

// The demo's starting state: player_state and the flight words, the drive longs, then
// the two runs of flight-state longs around W 0x12D8, which starts at 0.
void demo_state_load(int32_t n) {
    longs_copy(W_PLAYER_X, int64_t(uint32_t(rom_table_long(ROM_DEMO_STATES, n, 0))), PLAYER_STATE_LONGS);
    longs_copy(W_DRIVE, int64_t(uint32_t(rom_table_long(ROM_DEMO_DRIVES, n, 0))), DRIVE_LONGS);
    int64_t flight = int64_t(uint32_t(rom_table_long(ROM_DEMO_FLIGHTS, n, 0)));
    longs_copy(W_SLOW_FLAG, flight, FLIGHT_STATE_A_LONGS);
    longs_copy(W_LOOKAHEAD_FAST_AVOID, flight + 4 * FLIGHT_STATE_A_LONGS, FLIGHT_STATE_B_LONGS);
    w_cell_set(W_LOOKAHEAD_GROUND_HOLD, 0);
}

bool record_load() {
    int64_t at = cursor();
    if (!cursor_readable(at)) {
        if (!input_ended)
            printf("[GUARD] demo_world_frame: demo cursor 0x%llX holds no records -- input ended\n",
                   static_cast<unsigned long long>(uint64_t(w_slot(W_DEMO_CURSOR))));
        input_ended = true;
        return false;
    }
    w_cell_set(W_PITCH_INPUT, w_read32(at));
    w_cell_set(W_TURN_INPUT, w_read32(at + 4));
    w_cell_set(W_PEDAL_DELTA, w_read32(at + 8));
    w_cell_set(W_PLAY_FRAME_COUNTER, w_read32(at + 12));
    return true;
}

}  // namespace

void demo_course_start(int32_t n) {
    if (n < 0 || n >= DEMOS) {
        printf("[GUARD] demo_course_start: demo %d is not in the table -- nothing started\n", int(n));
        return;
    }
    input_ended = false;
    w_cell_set(W_DEMO_CURSOR, rom_table_long(ROM_DEMO_INPUTS, n, 0));
    w_cell_set(W_COURSE_NUMBER, rom_table_long(ROM_DEMO_COURSES, n, 0));
    w_word_set(W_COURSE_PAIR, uint32_t(rom_table_long(ROM_DEMO_STAGE_WORDS, n, 0)));
    w_cell_set(W_BALLOON_LAYOUT, int16_t(rom_table_long(ROM_DEMO_LAYOUTS, n, 0)));
    w_cell_set(W_DEMO_PATH, rom_table_long(ROM_DEMO_PATHS, n, 0));
    w_cell_set(W_DEMO_PATH_LENGTH, PATH_LENGTH_START);
    w_cell_set(W_DEMO_PATH_PROGRESS, 0);
    textram_clear();
    int64_t at = cursor();
    if (cursor_readable(at)) w_cell_set(W_PLAY_FRAME_COUNTER, w_read32(at + 12));
    w_cell_set(W_WING_SET, 0);
    course_start_position();
    gameplay_init_state_vars();
    fade_colour_set(0);
    demo_state_load(n);
    for (uint32_t i = 0; i < 3; i++) w_cell_set(W_CAMERA_X + 4 * i, w_cell(W_PLAYER_X + 4 * i));
    camera_words_copy(W_DEMO_CAMERA, W_CAMERA_X);
    area_env_start();
}

void demo_world_frame() {
    bool loaded = record_load();
    demo_world_step();
    if (loaded) w_cell_set(W_DEMO_CURSOR, int32_t(uint32_t(cursor()) + RECORD_BYTES));
    w_cell_set(W_DEMO_PATH_PROGRESS, w_cell(W_DEMO_PATH_PROGRESS) + 1);
}

void demo_world_step() {
    player_bounds_check();
    objects_move_update();
    player_cell_update();
    if (w_cell(W_PLAY_FRAME_COUNTER) > COLLISION_FROM_FRAME) collision_update();
    // The views of this frame follow the demo camera.
    demo_camera_update();
    camera_words_copy(W_CAMERA_X, W_DEMO_CAMERA);
    terrain_chunk_visibility(w_cell(W_CAMERA_X), w_cell(W_CAMERA_Y), w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING));
    terrain_props_dispatch();
    player_render();
    objects_render_master();
    balloon_render_and_hit_check();
    area_sound_update();
    area_env_update();
    particles_update();
}

bool demo_input_ended() {
    return input_ended;
}

#include "game/flow/attract_demo.h"

#include "board/area_environment.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/title_screen.h"
#include "game/services/area_sounds.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rig_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/balloons.h"
#include "game/world/camera.h"
#include "game/world/collision_driver.h"
#include "game/world/course_start.h"
#include "game/world/demo_flights.h"
#include "game/world/gameplay_state.h"
#include "game/world/moving_objects.h"
#include "game/world/player_flight.h"
#include "game/world/player_rig.h"
#include "game/world/scenery_objects.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_props.h"

namespace {

// Demo table (ROM 0x15C508): parallel arrays of 17 longs, demo n at + 4n.
constexpr uint32_t DEMO_TABLE = 0x15C508;
constexpr uint32_t DEMO_ARRAY_BYTES = 0x44;
constexpr uint32_t DEMO_INPUT_ARRAY = 0x000;
constexpr uint32_t DEMO_COURSE_ARRAY = 0x198;
constexpr uint32_t DEMO_STAGE_WORD_ARRAY = 0x1DC;
constexpr uint32_t DEMO_SELECT_MARK_ARRAY = 0x220;
// The saved run's header: course, the stage word and the select mark (words).

constexpr uint32_t RECORD_BYTES = 16;
constexpr uint32_t ROM_CURSOR_END = 0x400000;
constexpr int32_t DEMO_SCREEN_BLOCK = 246;
constexpr int32_t DEMO_SCREEN_TILE = 624;
constexpr int32_t DEMO_SCREEN_BANK = 5;
constexpr int32_t FADE_STEP = 2, FADE_DONE = 256;

int32_t frames_played;
int32_t frames_allowed;
bool ended;

uint32_t demo_table_long(uint32_t array, int32_t n) {
    return bus_read32(DEMO_TABLE + array + 4 * uint32_t(n));
}

// A cursor the demo can read 16 bytes at: the program ROM through the bus or work RAM.
bool cursor_readable(int64_t cursor) {
    if (cursor >= 1 && cursor + RECORD_BYTES <= ROM_CURSOR_END) return true;
    return cursor >= WRAM_BASE && cursor + RECORD_BYTES <= WRAM_BASE + WRAM_SIZE;
}

// The next record into the flight inputs and play_frame_counter; false at the end.
bool record_take() {
    int64_t cursor = int64_t(uint32_t(w_cell(W_DEMO_CURSOR)));
    if (w_is_host_pointer(w_slot(W_DEMO_CURSOR)) || !cursor_readable(cursor)) return false;
    int32_t frame = w_read32(cursor + 12);
    if (frame < 0) return false;
    w_cell_set(W_PITCH_INPUT, w_read32(cursor));
    w_cell_set(W_TURN_INPUT, w_read32(cursor + 4));
    w_cell_set(W_PEDAL_DELTA, w_read32(cursor + 8));
    w_cell_set(W_PLAY_FRAME_COUNTER, frame);
    w_cell_set(W_DEMO_CURSOR, int32_t(uint32_t(cursor) + RECORD_BYTES));
    return true;
}

bool start_or_coin_pressed() {
    return (w_cell(W_START_EDGE) & 1) != 0 || (w_cell(W_COIN_EDGE) & 5) != 0;
}

// The demo input: a table entry, or the saved run when it holds enough frames.
void demo_pick() {
    int32_t saved = w_cell(W_DEMO_FRAMES);
    if (saved <= DEMO_SAVED_RUN_MIN) {
        int32_t n = w_cell(W_COURSE_NUMBER);
        if (n < 0 || n >= DEMO_TABLE_ENTRIES) n = 0;
        w_cell_set(W_DEMO_CURSOR, int32_t(demo_table_long(DEMO_INPUT_ARRAY, n)));
        w_cell_set(W_COURSE_NUMBER, int32_t(demo_table_long(DEMO_COURSE_ARRAY, n)));
        w_word_set(W_COURSE_PAIR, demo_table_long(DEMO_STAGE_WORD_ARRAY, n));
        w_cell_set(W_BALLOON_LAYOUT, int16_t(demo_table_long(DEMO_SELECT_MARK_ARRAY, n)));
        frames_allowed = DEMO_FRAMES_MAX;
    } else {
        w_cell_set(W_DEMO_CURSOR, int32_t(WRAM_BASE + W_DEMO_INPUT));
        w_cell_set(W_COURSE_NUMBER, uint16_t(w_word(W_DEMO_HEADER)));
        w_word_set(W_COURSE_PAIR, uint16_t(w_word(W_DEMO_HEADER_STAGE)));
        w_cell_set(W_BALLOON_LAYOUT, w_word(W_DEMO_HEADER_EXTRA));
        frames_allowed = saved < DEMO_FRAMES_MAX ? saved : DEMO_FRAMES_MAX;
    }
}

}  // namespace

void attract_demo_enter() {
    demo_pick();
    frames_played = 0;
    ended = false;
    textram_clear();
    title_cgram_load();
    cgram_load_tile_block(DEMO_SCREEN_BLOCK, DEMO_SCREEN_TILE);
    palette_bank_load(DEMO_SCREEN_BLOCK, DEMO_SCREEN_BANK);
    int64_t cursor = int64_t(uint32_t(w_cell(W_DEMO_CURSOR)));
    if (cursor_readable(cursor)) w_cell_set(W_PLAY_FRAME_COUNTER, w_read32(cursor + 12));
    course_start_position();
    gameplay_init_state_vars();
    w_cell_set(W_DEMO_CAMERA_TYPE, w_cell(W_FRAME_TICK) & 3);
    for (uint32_t i = 0; i < 6; i++) w_cell_set(W_DEMO_CAMERA + 4 * i, w_cell(W_PLAYER_X + 4 * i));
    if (w_cell(W_GAME_STATE) == 3) return;
    w_cell_set(W_FADE_AMOUNT, 0);
    fade_colour_set(0);
    w_cell_set(W_GAME_STATE, 11);
    attract_demo_flight();
}

void attract_demo_flight() {
    if (!ended && (frames_played >= frames_allowed || start_or_coin_pressed() || !record_take())) ended = true;
    if (!ended) frames_played++;
    demo_world_step();
    if (!ended || w_cell(W_GAME_STATE) != 11) return;
    int32_t fade = w_cell(W_FADE_AMOUNT) + FADE_STEP;
    if (fade < FADE_DONE) {
        w_cell_set(W_FADE_AMOUNT, fade);
        return;
    }
    w_cell_set(W_FADE_AMOUNT, 255);
    w_cell_set(W_GAME_STATE, 0);
}

bool attract_demo_ended() {
    return ended;
}

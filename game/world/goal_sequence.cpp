#include "game/world/goal_sequence.h"
#include "game/world/run_recorder.h"

#include "board/board_memory.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/coin_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/run_ram.h"
#include "game/services/sound_ram.h"
#include "game/world/balloon_ram.h"

#include <algorithm>

namespace {

// Event records: three longs (red, green, blue in their low words), up to the event
// list at ROM 0x037D4C.
constexpr rom_table ROM_EVENT_RECORDS = {0x037B38, 12, 44};

constexpr int32_t FADE_STEP = 2;
constexpr int32_t FADE_MAX = 255;
constexpr int32_t FADE_IN_BELOW = 64;      // race timer at most 63: the fade rises
constexpr int32_t END_FRAMES = 126;        // end counter frames before the results
constexpr int32_t SUB_RESULTS = 6;
constexpr int32_t SUB_ENDING = 14;
constexpr int32_t ENDING_COURSE = 3;
constexpr int32_t DEBUG_TIMER = 600;
constexpr int32_t DEBUG_THRESHOLD = 1000;
constexpr uint32_t DEBUG_REPEAT_FRAMES = 512;
constexpr int32_t DEBUG_SWITCH_BIT = 0x10;  // dip_switch_bits: the goal's debug aid

constexpr int32_t END_GOAL = 1;
constexpr int32_t END_TIME_UP = 2;

// The two halves of the time-up and goal titles on layer 1, 32 x 32.
struct end_title {
    int32_t tile, x;
};
constexpr end_title TIME_UP_TITLE[2] = {{-347, 128}, {-348, 384}};
constexpr end_title GOAL_TITLE[2] = {{-351, 96}, {-352, 352}};
constexpr int32_t TITLE_Y = 160;
constexpr int32_t TITLE_LAYER = 1;
constexpr int32_t TITLE_SIZE = 32;

void end_titles_draw(const end_title (&title)[2], int32_t end_counter) {
    for (const end_title& half : title)
        sprite_call(TITLE_LAYER, half.tile, half.x, TITLE_Y, 0, TITLE_SIZE, TITLE_SIZE, end_counter << 9, 0);
}

void run_end(int32_t flag, const end_title (&title)[2]) {
    w_cell_set(W_END_FLAG, flag);
    w_cell_set(W_RUN_OVER, 1);
    end_titles_draw(title, w_cell(W_LEVEL_ADJUST));
}

// While dip switch 5 is on: port 1's bit 8 refills the timer, bit 9 puts the goal
// here; with W 0x3EFC set, both every 512 frames.
void goal_debug_aid() {
    if (!(w_cell(W_DIP_SWITCH_BITS) & DEBUG_SWITCH_BIT)) return;
    int32_t pressed = w_cell(W_PORT1_PRESSED);
    if (w_cell(W_GOAL_DEBUG_REPEAT) && uint32_t(w_cell(W_FRAME_COUNTER)) % DEBUG_REPEAT_FRAMES == 0)
        pressed |= PORT_START_BIT | PORT_DEBUG_BIT;
    if (pressed & PORT_START_BIT) {
        w_cell_set(W_RACE_TIMER, DEBUG_TIMER);
        w_cell_set(W_RACE_TIMER_SHOWN, DEBUG_TIMER);
        w_cell_set(W_RUN_SCORE, DEBUG_THRESHOLD);
    }
    if (pressed & PORT_DEBUG_BIT) {
        int32_t distance = w_cell(W_BALLOON_TARGET);
        w_cell_set(W_RUN_SCORE, distance);
        w_cell_set(W_RACE_POINTS, distance / 10 * 8);
    }
}

}  // namespace

void event_record_load(int32_t n) {
    if (!rom_table_record(ROM_EVENT_RECORDS, n)) return;
    w_cell_set(W_FADE_AMOUNT, FADE_MAX);
    for (uint32_t c = 0; c < 3; c++)
        w_cell_set(W_FADE_RED + 2 * c, rom_table_long(ROM_EVENT_RECORDS, n, 4 * c) & 0xFFFF);
}

// The end counter is W 0x0E20, whose high word is the sound levels' adjust; the goal
// threshold is W 0x0E4C.
void goal_sequence_step() {
    int32_t fade = w_cell(W_FADE_AMOUNT);
    if (w_cell(W_END_FLAG) != 0) {
        fade += FADE_STEP;
        int32_t n = w_cell(W_LEVEL_ADJUST) + 1;
        w_cell_set(W_LEVEL_ADJUST, n);
        if (n > END_FRAMES) {
            run_end_cleanup();
            w_cell_set(W_GAME_SUB_STATE, w_cell(W_COURSE_NUMBER) == ENDING_COURSE ? SUB_ENDING : SUB_RESULTS);
        }
    } else {
        fade += w_cell(W_RACE_TIMER) < FADE_IN_BELOW ? FADE_STEP : -FADE_STEP;
    }
    w_cell_set(W_FADE_AMOUNT, std::clamp(fade, 0, FADE_MAX));
    goal_debug_aid();
    if (w_cell(W_RACE_TIMER) <= 0) run_end(END_TIME_UP, TIME_UP_TITLE);
    if (w_cell(W_BALLOON_TARGET) <= w_cell(W_RUN_SCORE)) run_end(END_GOAL, GOAL_TITLE);
}

#include "game/world/course_start.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/area_environment.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/course_timers.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/terrain_cells.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t COURSES = 4, SETTINGS = 3, STAGES = 3;
constexpr rom_table COURSE_START = {ROM_COURSE_START, 4, 6 * COURSES};
constexpr rom_table COURSE_SECONDS = {ROM_COURSE_SECONDS, 4, COURSES * SETTINGS};
constexpr rom_table STAGE_SECONDS = {ROM_STAGE_SECONDS, 8, COURSES * STAGES * SETTINGS};
constexpr rom_table QUOTA_DEDUCTION = {ROM_QUOTA_DEDUCTION, 4, 1};
constexpr int32_t DEDUCTED_CONTINUES_MAX = 3;
constexpr int32_t FRAMES_PER_SECOND = 60;

constexpr int32_t TIMEHOLD_FLOOR = 4096;
constexpr int32_t PASS_REARM_JUMP = 60;  // a time bonus larger than this re-arms the cut
constexpr int32_t PASS_SCORE_MARGIN = 500;
constexpr int32_t PASS_TARGET_MARGIN = 2000;
constexpr int32_t SHOWN_CLIMB = 4;

constexpr int32_t START_SPRITE_FRAMES = 128;
constexpr int32_t START_SPRITE_BLINK = 0x10;
constexpr int32_t START_SPRITE = 342, START_SPRITE_X = 208, START_SPRITE_Y = 144, START_SPRITE_SIZE = 64;
constexpr int32_t START_SPRITE_TURN = 512;  // per frame

int32_t word(uint32_t w) {
    return uint16_t(w_word(w));
}

// A table index held to its range: a setting or stage word outside it reads the nearest
// record rather than another course's.
int32_t held(int32_t v, int32_t count) {
    return std::clamp(v, 0, count - 1);
}

// The time-pass test switch: the cut's latch and last frame's time left.
struct {
    bool armed = true;
    int32_t last = 0;
} pass;

void test_switches_apply() {
    if (env_on("SKYVOLTA_TEST_TIMEHOLD", true) && w_cell(W_RACE_TIMER) < TIMEHOLD_FLOOR)
        w_cell_set(W_RACE_TIMER, TIMEHOLD_FLOOR);
    int32_t p = env_int("SKYVOLTA_TEST_PASS", 0);
    if (p <= 0) return;
    int32_t left = w_cell(W_RACE_TIMER);
    if (left - pass.last > PASS_REARM_JUMP) pass.armed = true;
    if (pass.armed && left > p) {
        w_cell_set(W_RACE_TIMER, p);
        pass.armed = false;
    }
    pass.last = w_cell(W_RACE_TIMER);
    int32_t score = std::max(w_cell(W_RUN_SCORE), w_cell(W_STAGE_QUOTA) + PASS_SCORE_MARGIN);
    int32_t target = w_cell(W_BALLOON_TARGET);
    if (word(W_GAME_MODE) != 1 && !pass.armed && pass.last < p / 2 && target > 0 && target > score)
        score = target + PASS_TARGET_MARGIN;
    w_cell_set(W_RUN_SCORE, score);
}

}  // namespace

void course_start_position() {
    int32_t course = held(w_cell(W_COURSE_NUMBER), COURSES);
    for (uint32_t f = 0; f < 6; f++)
        w_cell_set(W_PLAYER_X + 4 * f, rom_table_long(COURSE_START, int64_t(f) * COURSES + course, 0));
    if (verbose_enabled())
        printf("[INIT] course=%d player=(%d,%d,%d) heading=%d\n", w_cell(W_COURSE_NUMBER), w_cell(W_PLAYER_X),
               w_cell(W_PLAYER_Y), w_cell(W_PLAYER_Z), w_cell(W_PLAYER_HEADING));
    player_cell_update();

    int32_t setting = held(w_cell(W_MODE_SETTING), SETTINGS);
    int32_t seconds;
    if (word(W_GAME_MODE) == 1) {
        int32_t k = setting + SETTINGS * held(word(W_COURSE_PAIR), STAGES) + SETTINGS * STAGES * course;
        int32_t continues = std::min(word(W_COURSE_LEFT), DEDUCTED_CONTINUES_MAX);
        w_cell_set(W_STAGE_QUOTA,
                   wrap_sub(rom_table_long(STAGE_SECONDS, k, 0), wrap_mul(continues, rom_table_long(QUOTA_DEDUCTION, 0, 0))));
        seconds = rom_table_long(STAGE_SECONDS, k, 4);
    } else {
        seconds = rom_table_long(COURSE_SECONDS, SETTINGS * course + setting, 0);
    }
    w_cell_set(W_RACE_TIMER, wrap_mul(seconds, FRAMES_PER_SECOND));

    if (w_cell(W_COURSE_NUMBER) == 0)
        mixer_colour_set(64, 64, 127);
    else
        mixer_colour_set(0, 0, 0);
    area_of_player_cell();
    course_timer_start();
}

void race_timer_shown_follow() {
    int32_t left = w_cell(W_RACE_TIMER);
    int32_t shown = w_cell(W_RACE_TIMER_SHOWN);
    if (shown > left)
        shown--;
    else if (shown < left)
        shown = left - shown > 3 ? shown + SHOWN_CLIMB : left;
    w_cell_set(W_RACE_TIMER_SHOWN, std::min(shown, RACE_TIMER_SHOWN_MAX));
}

void race_timer_update() {
    test_switches_apply();

    int32_t left = w_cell(W_RACE_TIMER);
    if (w_cell(W_END_FLAG) == 0 || left % FRAMES_PER_SECOND != 0) {
        w_cell_set(W_RACE_FRAMES, w_cell(W_RACE_FRAMES) + 1);
        if (w_cell(W_STOP_FLAG) == 0 && w_cell(W_TIMER_HOLD) == 0 && left > 0) w_cell_set(W_RACE_TIMER, left - 1);
    }

    race_timer_shown_follow();

    int32_t frames = w_cell(W_RACE_FRAMES);
    if (frames < START_SPRITE_FRAMES && (frames & START_SPRITE_BLINK) == 0)
        sprite_call(0, START_SPRITE, START_SPRITE_X, START_SPRITE_Y, 0, START_SPRITE_SIZE, START_SPRITE_SIZE,
                    frames * START_SPRITE_TURN, 0);
}

#include "game/modes/results_screens.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/name_entry_ram.h"
#include "game/modes/results_drawing.h"
#include "game/modes/results_ram.h"
#include "game/services/course_timers.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t TEXT_REGISTER_X = 0x8A0000, TEXT_REGISTER_Y = 0x8A0002;
constexpr int32_t TEXT_X_DECISION = 860;
constexpr int32_t FINAL_COURSE = 3;
constexpr int32_t GRADES = 5;
constexpr rom_table THRESHOLDS = {0x15C478, 32, 4};       // five longs per course
constexpr rom_table NEEDLE_TARGETS = {0x37508, 2, GRADES + 1};

// The sub-states the tally leads to.
constexpr int32_t SUB_BAD_STEP = 8, SUB_GAME_OVER = 10, SUB_NAME_ENTRY = 16, SUB_INTERMISSION = 26;
constexpr int32_t SUB_CONTINUE = 28, SUB_TOTAL = 30;
constexpr int32_t BAD_STEP_WORD = -768;

constexpr int32_t STAGE_BONUS = 1000;        // into step 6 when the goal was reached
constexpr int32_t ROLL_UP_FRAMES = 1800;
constexpr int32_t BEST_SWING_UPPER = 512, BEST_SWING_LOWER = 8192;
constexpr int32_t BEST_GROWTH_STEP = 64, BEST_GROWTH_MAX = 1024, BEST_GROWTH_VOICE = 512;
constexpr int32_t NEEDLE_OVERSHOOT = 128, NEEDLE_FALL = 32, NEEDLE_HOLD = 16, NEEDLE_SPEED_UP = 3;
constexpr int32_t NEEDLE_SPEED_START = 16;
constexpr int32_t SLIDE_IN_PLACE = 848, SLIDE_STEP = 24;

constexpr int32_t SOUND_BEST = 5, SOUND_FANFARE = 20, SOUND_GAUGE = 22, SOUND_FADE = 23, SOUND_VOICE = 38;
constexpr int32_t SOUND_GRADE_HOLD = 50, SOUND_GRADE_BEST = 6;
constexpr int32_t VOICE_TIME_UP = 0x72, VOICE_NO_BEST = 0x73, VOICE_BEST = 0x74;
constexpr int32_t START_LAMP_RESULTS = 5;
constexpr int32_t PRESS_BIT = 0x01;

// Step 2 with its timer, then `next` with `next_timer`.
void wait_then(int32_t wait, int32_t next, int32_t next_timer) {
    w_word_set(W_RESULTS_STEP_WORD, STEP_WAIT);
    w_cell_set(W_RESULTS_TIMER, wait);
    w_cell_set(W_RESULTS_NEXT_STEP, next);
    w_cell_set(W_RESULTS_NEXT_TIMER, next_timer);
}
void points_add(int32_t n) {
    w_cell_set(W_TIME_SCORE, wrap_add(w_cell(W_TIME_SCORE), n));
}
bool path_drawn() {
    return w_word(W_PATH_DONE) != 0;
}
bool press() {
    return w_cell(W_SWITCH_PORT0 + SP_PRESSED) & PRESS_BIT;
}
bool start() {
    return w_cell(W_START_EDGE) & 1;
}
void voice(int32_t parameter) {
    sound_play_p(SOUND_VOICE << 16 | parameter);
}
void text_registers_set(int32_t x, int32_t y) {
    bus_write16(TEXT_REGISTER_X, uint32_t(x));
    bus_write16(TEXT_REGISTER_Y, uint32_t(y));
}
void best_flag_refresh() {
    w_word_set(W_RESULTS_BEST_FLAG + 2, course_best_compare());
}

// The rolling digits already showing the whole count.
void shown_complete() {
    results_digits_set(w_cell(W_TIME_SCORE));
    w_cell_set(W_RESULTS_POINTS_SHOWN, 8 * w_cell(W_TIME_SCORE));
}

bool display_caught_up() {
    return w_cell(W_RESULTS_POINTS_SHOWN) / 8 == w_cell(W_TIME_SCORE);
}

// The wait: a press hands over at once, start or the timer's end likewise; the points
// grow by what the next step counts.
void wait_step() {
    best_flag_refresh();
    if (!press() && !start()) {
        w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_TIMER) - 1);
        if (w_cell(W_RESULTS_TIMER) >= 0) return;
    }
    int32_t next = w_cell(W_RESULTS_NEXT_STEP);
    w_word_set(W_RESULTS_STEP_WORD, next);
    w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_NEXT_TIMER));
    if (next == STEP_POINTS) points_add(w_cell(W_RUN_SCORE));
    if (next == STEP_TIME_BONUS) points_add(w_cell(W_TIME_BONUS));
    if (next == STEP_STAGE_BONUS && w_cell(W_END_FLAG) == 1) points_add(STAGE_BONUS);
}

// Step 0: the board fades in over 32 frames.
bool fade_in_step() {
    w_cell_set(W_FADE_AMOUNT, w_cell(W_RESULTS_TIMER) * 8);
    w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_TIMER) - 1);
    if (w_cell(W_RESULTS_TIMER) >= 0) return false;
    wait_then(64, STEP_POINTS, ROLL_UP_FRAMES);
    return true;
}

// A roll-up's timing: the timer drops to 0 once the digits have caught up, on a press
// or on start; true from the frame it runs out (start: at once) on.
bool roll_up_over() {
    if (display_caught_up() || press() || start()) {
        if (press()) best_flag_refresh();
        w_cell_set(W_RESULTS_TIMER, std::min(w_cell(W_RESULTS_TIMER), 0));
    }
    w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_TIMER) - 1);
    return w_cell(W_RESULTS_TIMER) < 0;
}

// The run's score counted: on to the time bonus, or with the time up straight to
// `time_up_next`.
void points_counted(int32_t time_up_next, int32_t time_up_timer) {
    best_flag_refresh();
    shown_complete();
    if (w_cell(W_END_FLAG) == 2)
        wait_then(30, time_up_next, time_up_timer);
    else
        wait_then(60, STEP_TIME_BONUS, w_cell(W_RACE_TIMER_SHOWN) / 3);
}

void bad_step() {
    w_cell_set(W_BAD_STEP, BAD_STEP_WORD);
    w_cell_set(W_GAME_SUB_STATE, SUB_BAD_STEP);
}

// Step 5: the best-record model swings in once the path is drawn.
void best_record_step() {
    if (path_drawn()) {
        if (w_cell(W_RESULTS_BEST_FLAG) < 0) {
            w_word_set(W_RESULTS_BEST_FLAG, w_word(W_RESULTS_BEST_FLAG) + BEST_SWING_UPPER);
            w_word_set(W_RESULTS_BEST_FLAG + 2, w_word(W_RESULTS_BEST_FLAG + 2) + BEST_SWING_LOWER);
        }
        w_cell_set(W_RESULTS_BEST_SHOWN, w_cell(W_RESULTS_BEST_SHOWN) + 1);
        bool pressed = press() || start();
        if (pressed) {
            w_cell_set(W_RESULTS_BEST_FLAG, course_best_compare());
            w_cell_set(W_RESULTS_TIMER, 0);
        }
        if ((w_cell(W_RESULTS_BEST_FLAG) >= 0 || pressed) && w_word(W_RESULTS_BEST_ANIM + 2) == 0) {
            sound_play(SOUND_BEST);
            w_word_set(W_RESULTS_BEST_ANIM + 2, 1);
        }
    }
    w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_TIMER) - 1);
    if (w_cell(W_RESULTS_TIMER) < 0) wait_then(300, STEP_DECISION, 0);
}

// During the wait before the decision: the best-record model grows, or a voice.
void best_record_wait() {
    if (course_best_compare() == 0x8000) {
        int32_t growth = w_word(W_RESULTS_BEST_ANIM);
        if (growth == 0) sound_play(SOUND_FANFARE);
        if (growth == BEST_GROWTH_VOICE) voice(VOICE_BEST);
        if (growth < BEST_GROWTH_MAX) w_word_set(W_RESULTS_BEST_ANIM, growth + BEST_GROWTH_STEP);
    } else if (w_cell(W_COURSE_NUMBER) < FINAL_COURSE && w_cell(W_RESULTS_TIMER) == 300) {
        voice(VOICE_NO_BEST);
    }
}

void ending_total_add(int32_t n) {
    w_cell_set(W_ENDING_TOTAL, wrap_add(w_cell(W_ENDING_TOTAL), n));
}

// Step 7 of the multi-stage game: the quota decides.
void decision_step() {
    start_lamp_idle();
    textram_clear();
    text_registers_set(TEXT_X_DECISION, 0);
    course_timer_finish();
    if (w_cell(W_TIME_SCORE) < w_cell(W_STAGE_QUOTA)) {
        fade_colour_set(0);
        if (w_cell(W_COURSE_NUMBER) == FINAL_COURSE) {
            ending_total_add(w_cell(W_TIME_SCORE));
            textram_clear();
            w_word_set(W_RESULTS_STEP_WORD, STEP_FADE_OUT);
        } else {
            w_cell_set(W_GAME_SUB_STATE, SUB_CONTINUE);
        }
        return;
    }
    ending_total_add(w_cell(W_TIME_SCORE));
    int32_t left = uint16_t(w_word(W_COURSES_LEFT)) & ~(1 << (w_cell(W_COURSE_NUMBER) & 15));
    w_word_set(W_COURSES_LEFT, uint32_t(left));
    if (left != 0) {
        w_cell_set(W_GAME_SUB_STATE, SUB_INTERMISSION);
        w_word_set(W_COURSE_PAIR, w_word(W_COURSE_PAIR) + 1);
        w_word_set(W_COURSE_PAIR + 2, w_word(W_COURSE_PAIR + 2) + 1);
        w_word_set(W_COURSE_LEFT, 0);
        results_sound_sequence_stop();
    } else {
        w_word_set(W_RESULTS_STEP_WORD, STEP_FADE_OUT);
        w_cell_set(W_RESULTS_TIMER, 63);
        w_word_set(W_GAME_MODE + 2, 1);
    }
}

// The fade out; true once it is complete (fade 255).
bool fade_out_done() {
    w_cell_set(W_FADE_AMOUNT, w_cell(W_FADE_AMOUNT) + 4);
    if (w_cell(W_FADE_AMOUNT) < 256) return false;
    w_cell_set(W_FADE_AMOUNT, 255);
    return true;
}

void multi_step() {
    switch (w_word(W_RESULTS_STEP_WORD)) {
    case STEP_FADE_IN:
        if (fade_in_step() && w_cell(W_END_FLAG) == 2 && w_cell(W_COURSE_NUMBER) != FINAL_COURSE) voice(VOICE_TIME_UP);
        break;
    case STEP_POINTS:
        if (roll_up_over()) points_counted(STEP_BEST, 90);
        break;
    case STEP_WAIT:
        if (w_cell(W_RESULTS_NEXT_STEP) == STEP_DECISION) best_record_wait();
        wait_step();
        break;
    case STEP_TIME_BONUS:
        if (!roll_up_over()) break;
        shown_complete();
        w_cell_set(W_RACE_TIMER_SHOWN, 0);
        wait_then(60, STEP_STAGE_BONUS, 30);
        break;
    case STEP_STAGE_BONUS:
        w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_TIMER) - 1);
        if (start() || w_cell(W_RESULTS_TIMER) < 0) wait_then(30, STEP_BEST, 90);
        break;
    case STEP_BEST:
        best_record_step();
        break;
    case STEP_DECISION:
        decision_step();
        break;
    case STEP_FADE_OUT:
        if (fade_out_done()) results_multi_game_end();
        break;
    default:
        bad_step();
    }
}

// Step 9: the grade's voice, the grade models sliding in.
void grade_call_step() {
    int32_t grade = w_word(W_COURSE_GRADE);
    if ((grade > 3 && w_cell(W_RESULTS_TIMER) == 60) || (grade <= 3 && w_cell(W_RESULTS_TIMER) == 0)) {
        int32_t best = w_cell(W_BEST_RECORDS + 8 * uint32_t(w_cell(W_COURSE_NUMBER) & 3)) & 0xFFFFFF;
        sound_play_indexed(grade == GRADES && w_cell(W_TIME_SCORE) > best ? SOUND_GRADE_BEST : grade);
    }
    bool over = press() || start();
    if (!over) {
        w_cell_set(W_GRADE_SLIDE, SLIDE_IN_PLACE - SLIDE_STEP * w_cell(W_RESULTS_TIMER));
        w_cell_set(W_RESULTS_TIMER, w_cell(W_RESULTS_TIMER) - 1);
        over = w_cell(W_RESULTS_TIMER) < 0;
    }
    if (!over) return;
    w_cell_set(W_GRADE_SLIDE, SLIDE_IN_PLACE);
    wait_then(240, STEP_FADE_OUT, 30);
}

void single_fade_out_step() {
    int32_t amount = w_cell(W_FADE_AMOUNT);
    if (amount == 0 || amount == 60) sound_play(SOUND_FADE);
    if (w_word(W_COURSE_GRADE) > 3) sound_param2_set(SOUND_GRADE_HOLD, std::min(amount, 255));
    if (!fade_out_done()) return;
    text_registers_set(TEXT_X_DECISION, 0);
    w_cell_set(W_ATTRACT_SEQ_INDEX, 6);
    w_cell_set(W_ENDING_TOTAL, w_cell(W_TIME_SCORE));
    if (ranking_position_find(w_cell(W_COURSE_NUMBER), w_cell(W_TIME_SCORE)) != 0 && w_word(W_COURSE_GRADE) == GRADES) {
        w_cell_set(W_GAME_SUB_STATE, SUB_NAME_ENTRY);
    } else {
        w_cell_set(W_GAME_SUB_STATE, SUB_GAME_OVER);
        results_sound_sequence_stop();
    }
    course_timer_finish();
}

void single_step() {
    switch (w_word(W_RESULTS_STEP_WORD)) {
    case STEP_FADE_IN:
        fade_in_step();
        break;
    case STEP_POINTS: {
        bool done = results_rank_digits() != 0;
        if (roll_up_over() && done) points_counted(STEP_GRADE_CALL, 30);
        break;
    }
    case STEP_WAIT:
        if (w_cell(W_RESULTS_TIMER) == 150 &&
            !(w_cell(W_RESULTS_NEXT_STEP) == STEP_FADE_OUT && w_word(W_COURSE_GRADE) > 3))
            w_cell_set(W_RESULTS_TIMER, 149);
        else if (w_cell(W_RESULTS_TIMER) == 150)
            sound_play(SOUND_GRADE_HOLD);
        wait_step();
        break;
    case STEP_TIME_BONUS: {
        bool done = results_rank_digits() != 0;
        if (!roll_up_over() || !done) break;
        shown_complete();
        w_cell_set(W_RACE_TIMER_SHOWN, 0);
        wait_then(60, STEP_STAGE_BONUS, ROLL_UP_FRAMES);
        break;
    }
    case STEP_STAGE_BONUS: {
        if (start()) w_cell_set(W_RESULTS_TIMER, 0);
        bool done = results_rank_digits() != 0;
        if (display_caught_up() && done) wait_then(180, STEP_PATH, 30);
        break;
    }
    case STEP_PATH:
        if (!path_drawn()) break;
        w_word_set(W_RESULTS_STEP_WORD, w_word(W_COURSE_GRADE) < 3 ? STEP_FADE_OUT : STEP_GRADE_CALL);
        w_cell_set(W_RESULTS_TIMER, w_word(W_COURSE_GRADE) < 3 ? 30 : 64);
        break;
    case STEP_GRADE_CALL:
        grade_call_step();
        break;
    case STEP_FADE_OUT:
        single_fade_out_step();
        break;
    default:
        bad_step();
    }
}

// Sprites and models shared by both boards (sprite layer 6).
constexpr int32_t BOARD_LAYER = 6, SPRITE_SIZE = 32, DEPTH = 848;
constexpr int32_t MAP_TOP = 481, MAP_BOTTOM = 482, MAP_X = 46, MAP_TOP_Y = 103, MAP_BOTTOM_Y = 359;

void sprite(int32_t tile, int32_t x, int32_t y, int32_t priority = 0) {
    sprite_call(BOARD_LAYER, tile, x, y, priority, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
}

void course_sprites() {
    sprite(MAP_TOP + 2 * (w_cell(W_COURSE_NUMBER) & 3), MAP_X, MAP_TOP_Y);
    sprite(MAP_BOTTOM + 2 * (w_cell(W_COURSE_NUMBER) & 3), MAP_X, MAP_BOTTOM_Y);
}

void rolling_score(int32_t x, int32_t y, int32_t back_y) {
    w_cell_set(W_RESULTS_POINTS_SHOWN,
               results_score_draw(w_cell(W_RESULTS_POINTS_SHOWN), w_cell(W_TIME_SCORE), x, y, back_y, 414));
}

void multi_draw() {
    constexpr int32_t BLOCK_COURSE_2 = 298, BLOCK_TILE = 576, BLOCK_PALETTE = 7;
    int32_t frames = w_cell(W_RESULTS_FRAMES);
    bool final_course = w_cell(W_COURSE_NUMBER) == FINAL_COURSE;
    if (frames == 3) {
        text_registers_set(0xFF70, 0);
        results_tiles_load();
    }
    if (w_cell(W_COURSE_NUMBER) == 2 && frames >= 4) {
        if (w_word(W_RESULTS_STEP_WORD) <= STEP_STAGE_BONUS)
            text_block_draw(BLOCK_COURSE_2, 6, 11, BLOCK_TILE, BLOCK_PALETTE);
        else
            text_block_clear(BLOCK_COURSE_2, 6, 11);
    }
    dl_marker(0, 893, 0, 0, DEPTH);
    dl_marker(0, 869, 0, 0, DEPTH);
    course_sprites();
    if (!final_course) {
        sprite(494, 250, 245, 20480);
        sprite(495, 529, 343, 20480);
    }
    sprite(495, 529, 206);
    dl_marker(0, 878 + w_word(W_COURSE_PAIR), 0, 0, DEPTH);
    if (!final_course) {
        constexpr int32_t QUOTA_X[5] = {151, 107, 63, 19, -25};
        uint32_t q = uint32_t(std::max(w_cell(W_STAGE_QUOTA), 0));
        for (int32_t x : QUOTA_X) {
            dl_marker(0, 839 + int32_t(q % 10), x, 0, DEPTH);
            dl_marker(0, DIGIT_BACK_MODEL, x + 4, -5, DEPTH);
            q /= 10;
        }
    }
    results_fade_step_a(192);
    rolling_score(-64, 38, 38);
    results_fade_step_b(192);
    results_swing_step(20480, 9, 768);
    if (w_cell(W_RESULTS_BEST_SHOWN) != 0) {
        int32_t growth = w_word(W_RESULTS_BEST_ANIM), swing = w_word(W_RESULTS_BEST_FLAG);
        if (final_course)
            dl_object_put(0, 833, 240, -640, 1312, swing & 0xFFFF, growth & 0xFFFF, 0, 0);
        else
            dl_object_put(0, 833, 208, -976, 1472, swing & 0xFFFF, growth & 0xFFFF, 0, 0);
    }
    if (w_word(W_RESULTS_STEP_WORD) != STEP_FADE_IN) results_map_draw(true);
    w_cell_set(W_RESULTS_FRAMES, frames + 1);
    results_sound_sequence();
}

void single_draw() {
    dl_marker(0, 893, 0, 0, DEPTH);
    dl_marker(0, 883, 0, 0, DEPTH);
    dl_marker(0, 872, 0, 0, DEPTH);
    course_sprites();
    sprite(496, 533, 158);
    sprite(491, 245, 211);
    sprite(492, 501, 211);
    results_fade_step_a(176);
    results_fade_step_b(176);
    results_swing_step(0x6000, 6, 976);
    rolling_score(-60, 72, 68);
    dl_object_put(0, 857, 6464, w_word(W_NEEDLE), 8192, 0, 0, 0x8000, 0);
    if (w_word(W_RESULTS_STEP_WORD) != STEP_FADE_IN) {
        bool hidden =
            w_cell(W_RESULTS_NEXT_STEP) > STEP_DECISION && w_word(W_COURSE_GRADE) <= 3 && (w_cell(W_FRAME_TICK) & 0x10);
        results_map_draw(!hidden);
    }
    results_tile_blocks_draw();
    w_cell_set(W_RESULTS_FRAMES, w_cell(W_RESULTS_FRAMES) + 1);
    results_stage_counts();
    results_sound_sequence();
}

}  // namespace

void results_prepare() {
    w_word_set(W_FOG_ENABLE, 0);
    lamp_bit2_set(0);
    if (w_word(W_GAME_MODE) != 0) {
        results_prepare_multi();
        results_tally_multi();
    } else {
        results_prepare_single();
        results_tally_single();
    }
}

void results_prepare_multi() {
    mixer_colour_set(64, 128, 64);
    results_screen_init();
}

void results_prepare_single() {
    results_prepare_multi();
    w_cell_set(W_NEEDLE_HOLD, -1);
    w_word_set(W_COURSE_GRADE, 0);
    w_cell_set(W_NEEDLE_SPEED, NEEDLE_SPEED_START << 16 | 1);
    w_cell_set(W_GRADE_SLIDE, 0);
    w_word_set(W_NEEDLE, rom_table_word(NEEDLE_TARGETS, 0, 0));
    w_word_set(W_FINAL_TEXT_FLAG, 0);
    w_word_set(W_FINAL_TEXT_FRAMES + 2, int32_t(bus_read16(TEXT_REGISTER_X)));
    w_word_set(W_TEXT_REGISTER_SAVE, int32_t(bus_read16(TEXT_REGISTER_Y)));
}

void results_screen_init() {
    textram_clear();
    camera_reset();
    w_cell_set(W_FADE_FLAGS, 3);
    w_word_set(W_POINT_COOLDOWN, 0);
    w_cell_set(W_RESULTS_BEST_FLAG, int32_t(0xC0000000u));
    w_cell_set(W_RESULTS_PANEL_A, 256);
    w_cell_set(W_RESULTS_PANEL_B, 256);
    w_cell_set(W_RESULTS_PANEL_SWING, 0x4000);
    w_cell_set(W_RESULTS_STEP, 0);
    w_cell_set(W_RESULTS_TIMER, 31);
    w_cell_set(W_RESULTS_NEXT_STEP, 0);
    for (uint32_t w : {W_RESULTS_WORD_70, W_RESULTS_FRAMES, W_RESULTS_BEST_SHOWN, W_RESULTS_BEST_ANIM, W_TIME_SCORE,
                       W_RESULTS_POINTS_SHOWN})
        w_cell_set(w, 0);
    w_cell_set(W_RACE_POINTS, w_cell(W_RUN_SCORE) / 10 * 8);
    w_cell_set(W_TIME_BONUS, w_cell(W_RACE_TIMER) / 6 * 5);
    w_cell_set(W_CONTINUE_TIMER, 1199);
    // The score digits: 0 with the places above blank; the path not drawn yet.
    w_cell_set(W_SCORE_DIGITS, 10);
    w_cell_set(W_SCORE_DIGITS + 4, 0x000A000A);
    w_cell_set(W_PATH_DRAWN, 0x000AFFFF);
    int32_t whole_seconds = w_cell(W_RACE_TIMER) / 60 * 60;
    w_cell_set(W_RACE_TIMER, whole_seconds);
    w_cell_set(W_RACE_TIMER_SHOWN, whole_seconds);
    w_word_set(W_NEEDLE, 1);
    w_word_set(W_PATH_DONE, 0);
    w_cell_set(W_GAME_SUB_STATE, 7);
}

void results_tally_multi() {
    results_dump();
    if (w_word(W_COURSE_PAIR + 2) + w_word(W_COURSE_LEFT) != 0) start_lamp_blink(START_LAMP_RESULTS);
    multi_step();
    multi_draw();
}

void results_tally_single() {
    results_dump();
    if (w_cell(W_RESULTS_FRAMES) == 3) {
        results_tiles_load();
        text_registers_set(0xFF58, 5);
    }
    single_step();
    single_draw();
}

void results_multi_game_end() {
    w_cell_set(W_ATTRACT_SEQ_INDEX, 11);
    w_cell_set(W_GAME_SUB_STATE,
               ranking_position_find(RANK_MULTI_TABLE, w_cell(W_ENDING_TOTAL)) != 0 ? SUB_NAME_ENTRY : SUB_TOTAL);
}

int32_t results_grade(int32_t course, int32_t points) {
    for (int32_t i = 0; i < GRADES; i++)
        if (points < rom_table_long(THRESHOLDS, course, 4 * uint32_t(i))) return i;
    return GRADES;
}

int32_t results_rank_digits() {
    int32_t g = results_grade(w_cell(W_COURSE_NUMBER), w_cell(W_TIME_SCORE));
    auto target = [](int32_t grade) { return rom_table_word(NEEDLE_TARGETS, grade, 0); };
    if (start()) {
        w_word_set(W_COURSE_GRADE, g);
        w_word_set(W_NEEDLE, target(g));
    }
    int32_t count = w_word(W_COURSE_GRADE), needle = w_word(W_NEEDLE), hold = w_cell(W_NEEDLE_HOLD);
    bool settled = w_word(W_NEEDLE_SPEED + 2) != 0;
    if (hold < 0) {
        if (needle == target(count) && settled) {
            w_cell_set(W_NEEDLE_HOLD, NEEDLE_HOLD);
            return 0;
        }
        int32_t top = target(count) + NEEDLE_OVERSHOOT, speed = w_word(W_NEEDLE_SPEED);
        needle += speed;
        w_word_set(W_NEEDLE_SPEED, speed + NEEDLE_SPEED_UP);
        if (needle >= top) {
            sound_play(SOUND_GAUGE);
            w_cell_set(W_NEEDLE_HOLD, NEEDLE_HOLD);
            needle = top;
            w_word_set(W_NEEDLE_SPEED, NEEDLE_SPEED_START);
        }
        w_word_set(W_NEEDLE, needle);
        return 0;
    }
    if (needle > target(count)) {
        w_word_set(W_NEEDLE, std::max(needle - NEEDLE_FALL, target(count)));
    } else {
        w_word_set(W_NEEDLE, target(count));
        w_word_set(W_NEEDLE_SPEED + 2, 1);
    }
    w_cell_set(W_NEEDLE_HOLD, hold - 1);
    if (hold != 0) return 0;
    if (count >= g) return 1;
    w_word_set(W_COURSE_GRADE, count + 1);
    w_word_set(W_NEEDLE_SPEED + 2, 0);
    return 0;
}

void results_digits_set(int32_t value) {
    uint32_t rest = uint32_t(std::max(value, 0));
    for (uint32_t k = 0; k < 5; k++, rest /= 10)
        w_word_set(W_SCORE_DIGITS + 2 * k, k > 0 && rest == 0 ? 10 : int32_t(rest % 10));
}

void results_dump() {
    static char directory[256];
    static int32_t frames[32];
    static int count = env_dir_frames("SKYVOLTA_RESDUMP", directory, sizeof directory, frames, 32);
    int32_t t = w_cell(W_RESULTS_FRAMES);
    for (int i = 0; i < count; i++) {
        if (frames[i] != t) continue;
        char path[320];
        snprintf(path, sizeof path, "%s/ours_t%d.bin", directory, int(t));
        printf("[RESDUMP] t=%d buf=%ld cursor=%lx -> %s\n", int(t), long(dl_buffer_current()),
               (unsigned long)((const uint8_t*)dl_cursor_get() - board_memory.dspram), path);
        FILE* f = fopen(path, "wb");
        if (!f) return;
        fwrite(board_memory.dspram, 1, sizeof board_memory.dspram, f);
        fclose(f);
        return;
    }
}

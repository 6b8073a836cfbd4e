#include "game/modes/name_entry.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/fixed_math.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/name_entry_ram.h"
#include "game/modes/results_screens.h"
#include "game/modes/test_env.h"
#include "game/services/digit_writers.h"
#include "game/services/sound_commands.h"
#include "game/services/top_hooks.h"
#include "game/world/camera.h"

#include <cstdio>

namespace {

constexpr int32_t ENTRY_FRAMES = 1800;
constexpr int32_t AFTER_LAST_LETTER = 150;  // the timer once three letters are in
constexpr int32_t AFTER_END_CELL = 120;
constexpr int32_t FADE_FROM = 127;         // the fade runs over the last 128 frames
constexpr int32_t SLIDE_STEP = 8, SLIDE_LAST = 255;
constexpr int32_t LETTER_FALLING = -16384;  // 0xC000: a picked letter drops in
constexpr int32_t LETTER_CLEARED = -1024;   // 0xFC00: an undone letter
constexpr int32_t LETTER_AT_REST = 0x4000;
constexpr int32_t SCROLL_X_START = -250, SCROLL_Y_START = -43, CELL_PITCH = 42;
constexpr int32_t STAGE_MARK_MAX = 9;
constexpr int32_t NO_STAGE_MARK = 0x7F;
constexpr int32_t LAMP_PATTERN = 6;

constexpr int32_t SOUND_MUSIC = 65, SOUND_MOVE = 88, SOUND_PRESS = 41, SOUND_LAND = 40;

// Switch words: port 0's newly pressed (N) and repeated (R) bits, and the handle's
// repeated directions (upper half of W 0x2BDC).
constexpr uint32_t PORT_UP = 0x80, PORT_DOWN = 0x40, PORT_LEFT = 0x20, PORT_RIGHT = 0x10;
constexpr uint32_t PORT_PRESS = 0x08, PORT_SKIP = 0x100;

// The grid's background and the letters' models.
constexpr int32_t GRID_MODELS_NEAR[3] = {886, 893, 917};
constexpr int32_t GRID_MODELS_FAR[2] = {917, 893};
constexpr int32_t GRID_DEPTH = 848, GRID_FAR_DEPTH = 53;
constexpr int32_t CURSOR_TILE = 460, CURSOR_LAYER = 4, CURSOR_SIZE = 32;
constexpr int32_t LETTER_SPACING = 83, LETTER_HEIGHT = 164;
constexpr int32_t UNDERLINE_MODEL = 849, UNDERLINE_Y = 16, SCORE_DEPTH = 448;
constexpr int32_t UNDERLINE_X[5] = {-75, -35, 5, 45, 85};
constexpr int32_t SCORE_X = -119, SCORE_Y = 20;
// The scroll words go into view block 1, which no model of the screen draws through.
constexpr uint32_t SCROLL_VIEW = 1, SCROLL_WORD = 24;

constexpr int TEST_DRIVE_WAIT = 40, TEST_DRIVE_PERIOD = 10;
constexpr int ADC_CENTRE_READING = 511, ADC_LOW = 192, ADC_HIGH = 830;

struct test_drive_state {
    int frames;  // name-entry frames seen; never reset during the run
    int step;    // 0..9 once the drive runs
};
test_drive_state drive;

void handle_words_set(int turn, int pitch) {
    w_cell_set(W_HANDLE_TURN, turn);
    w_cell_set(W_HANDLE_PITCH, pitch);
}

uint32_t letter_anim(int i) {
    return W_NAME_LETTER_ANIM + 2 * uint32_t(i);
}

// 1 toward the target at least, a quarter of the way otherwise (toward zero).
int32_t ease(int32_t value, int32_t target) {
    if (value == target) return value;
    int32_t step = (target - value) / 4;
    if (step == 0) step = target > value ? 1 : -1;
    return value + step;
}

// From the current letter slot on: not chosen, the letter pulled back up.
void initials_reset() {
    for (int i = w_word(W_NAME_SLOT); i <= 2; i++) {
        if (i < 0) continue;
        w_cell_set(W_NAME_INITIALS + uint32_t(i), NAME_NOT_CHOSEN);
        w_word_set(letter_anim(i), LETTER_CLEARED);
    }
}

// SKYVOLTA_TEST_NAME's cells picked in turn: after 40 frames, on three frames of every
// ten the handle steers toward the cell (column first), and on it the first of the
// three presses start.
void test_drive() {
    const int count = test_env.name_count;
    if (count < 1) return;
    drive.frames++;
    if (drive.frames <= TEST_DRIVE_WAIT || w_word(W_NAME_SLOT) >= count || w_word(W_NAME_SLOT) > 2) return;
    drive.step = (drive.step + 1) % TEST_DRIVE_PERIOD;
    if (drive.step > 2) return;
    int target = test_env.name_codes[w_word(W_NAME_SLOT)];
    int column = w_word(W_NAME_COLUMN), row = w_word(W_NAME_ROW);
    int target_column = target % NAME_GRID_COLUMNS, target_row = target / NAME_GRID_COLUMNS;
    if (column != target_column) {
        name_entry_analog_hook(column < target_column ? ADC_LOW : ADC_HIGH, ADC_CENTRE_READING);
    } else if (row != target_row) {
        name_entry_analog_hook(ADC_CENTRE_READING, row < target_row ? ADC_LOW : ADC_HIGH);
    } else if (drive.step == 0) {
        w_cell_set(W_START_EDGE, w_cell(W_START_EDGE) | 1);
    }
}

// The handle and the switch port move the cursor (no wrap) and take a letter.
void entry_input() {
    uint32_t repeat = uint32_t(w_cell(W_SWITCH_PORT0 + SP_REPEAT));
    uint32_t handle = uint32_t(w_cell(W_DIRECTION_REPEAT)) >> 16;
    uint32_t pressed = uint32_t(w_cell(W_SWITCH_PORT0 + SP_PRESSED));
    int32_t row = w_word(W_NAME_ROW), column = w_word(W_NAME_COLUMN);
    if ((repeat & PORT_UP) || (handle & DIR_PITCH_HIGH)) row = row > 0 ? row - 1 : 0;
    if ((repeat & PORT_DOWN) || (handle & DIR_PITCH_LOW)) row = row < NAME_GRID_ROWS - 1 ? row + 1 : row;
    if ((repeat & PORT_LEFT) || (handle & DIR_TURN_HIGH)) column = column > 0 ? column - 1 : 0;
    if ((repeat & PORT_RIGHT) || (handle & DIR_TURN_LOW))
        column = column < NAME_GRID_COLUMNS - 1 ? column + 1 : column;
    w_word_set(W_NAME_ROW, row);
    w_word_set(W_NAME_COLUMN, column);
    int32_t cell = row * NAME_GRID_COLUMNS + column;
    if (cell != w_word(W_NAME_CELL)) sound_play(SOUND_MOVE);
    w_word_set(W_NAME_CELL, cell);

    if (!(pressed & PORT_PRESS) && !(w_cell(W_START_EDGE) & 1)) return;
    if (cell == NAME_CELL_BACK) {
        if (w_word(W_NAME_SLOT) > 0) w_word_set(W_NAME_SLOT, w_word(W_NAME_SLOT) - 1);
    } else if (cell == NAME_CELL_END) {
        initials_reset();
        w_word_set(W_NAME_SLOT, 3);
        w_word_set(W_NAME_TIMER, AFTER_END_CELL);
    } else {
        int i = w_word(W_NAME_SLOT);
        w_cell_set(W_NAME_INITIALS + uint32_t(i), cell);
        w_word_set(letter_anim(i), LETTER_FALLING);
        w_word_set(W_NAME_SLOT, i + 1);
        if (i + 1 == 3) w_word_set(W_NAME_TIMER, AFTER_LAST_LETTER);
    }
    sound_play(SOUND_PRESS);
}

// One initial as its letter model, dropping in (u < 0) or swinging up to rest (u > 0).
void letter_draw(int i) {
    uint32_t at = letter_anim(i);
    int32_t u = w_word(at);
    int32_t initial = w_cell_byte(W_NAME_INITIALS + uint32_t(i));
    int32_t model = bus_read32(ROM_LETTER_MODELS + 4 * uint32_t(initial));
    int32_t x = LETTER_SPACING * i - LETTER_SPACING;
    int32_t depth = GRID_DEPTH - math_sin(u) / 32;
    bool typed = i < w_word(W_NAME_SLOT);
    if (u < 0) {
        dl_object_put(0, model, x, LETTER_HEIGHT, depth, 0, 0, 0, 0);
        if (typed) {
            u += 512;
            if (u >= 0) sound_play(SOUND_LAND);
        } else {
            if ((uint32_t(u) & 0xFFFF) > 0xFFBF) sound_stop(SOUND_LAND);
            u += 64;
        }
    } else {
        dl_object_put(u == 0 ? 0 : 3, model, x, LETTER_HEIGHT - u * u / 16384, depth, 0, 0, 0, 0);
        if (typed)
            u = 0;
        else if (u <= 0x3FFF)
            u += 64;
    }
    w_word_set(at, u);
}

void entry_draw() {
    int32_t cell = w_word(W_NAME_CELL);
    int32_t x = ease(w_cell(W_NAME_SCROLL_X), (cell % NAME_GRID_COLUMNS) * CELL_PITCH + SCROLL_X_START);
    int32_t y = ease(w_cell(W_NAME_SCROLL_Y), -(cell / NAME_GRID_COLUMNS) * CELL_PITCH + SCROLL_Y_START);
    w_cell_set(W_NAME_SCROLL_X, x);
    w_cell_set(W_NAME_SCROLL_Y, y);

    uint32_t view = (DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current() + DL_VIEW_BLOCK_BYTES * SCROLL_VIEW) / 4;
    const int32_t scroll_words[7] = {25, 25, -x, 0, -y, x & 0xFFFF, y & 0xFFFF};
    for (uint32_t k = 0; k < 7; k++) dsp_word_set(view + SCROLL_WORD + k, scroll_words[k]);

    for (int32_t model : GRID_MODELS_NEAR) dl_marker(0, model, 0, 0, GRID_DEPTH);
    for (int32_t model : GRID_MODELS_FAR) dl_marker(2, model, x * 20 / -64, y * 20 / -64, GRID_FAR_DEPTH);
    sprite_call(CURSOR_LAYER, CURSOR_TILE, x + 271, 200 - y, 0, CURSOR_SIZE, CURSOR_SIZE, 0, 0);
    for (int i = 0; i < 3; i++) letter_draw(i);
    int32_t total = w_cell(W_ENDING_TOTAL);
    score_digits_draw(0, total * 8, total, SCORE_X, SCORE_Y, SCORE_DEPTH);
    for (int32_t ux : UNDERLINE_X) dl_object_put_8001(0, UNDERLINE_MODEL, ux, UNDERLINE_Y, SCORE_DEPTH, 0, 0, 0, 0);
}

// "[NAME]": the entry stored and the score list as it now runs from its head.
void entry_log(int32_t score) {
    fprintf(stderr, "[NAME] f%u score=%08X name=%02X %02X %02X -> story head %d:", host_frame, uint32_t(score),
            w_cell_byte(W_NAME_INITIALS), w_cell_byte(W_NAME_INITIALS + 1), w_cell_byte(W_NAME_INITIALS + 2),
            w_cell_byte(W_SCORE_HEAD));
    int index = w_cell_byte(W_SCORE_HEAD);
    for (int n = 0; n < SCORE_RECORDS && index < SCORE_RECORDS; n++) {
        uint32_t entry = W_SCORE_TABLE + 8 * uint32_t(index);
        fprintf(stderr, " %d:%X/%02X%02X%02X", index, uint32_t(w_cell(entry)) & 0xFFFFFF, w_cell_byte(entry + 4),
                w_cell_byte(entry + 5), w_cell_byte(entry + 6));
        index = w_cell_byte(entry + 7);
    }
    fputc('\n', stderr);
    score_table_dump("leave");
}

// The timer has run out: the score with its stage mark and the initials into the
// rankings, the scores file saved.
void entry_store() {
    start_lamp_idle();
    dl_buffers_init();
    int32_t mode = uint16_t(w_word(W_GAME_MODE));
    int32_t total = w_cell(W_ENDING_TOTAL);
    int32_t score;
    if (mode != 0 && w_read16(WA_OVERALL_BEST_ON) != 0) {
        int32_t stage = uint16_t(w_word(W_STAGE_WORD));
        score = (stage < STAGE_MARK_MAX ? stage : STAGE_MARK_MAX) * 0x1000000 + total;
    } else if (mode != 0) {
        score = NO_STAGE_MARK * 0x1000000 + total;
    } else {
        score = NO_STAGE_MARK * 0x1000000 + w_cell(W_TIME_SCORE);
    }
    w_cell_set(W_NAME_SCORE, score);
    ranking_insert(w_cell(W_COURSE_NUMBER), WRAM_BASE + W_NAME_SCORE);
    scores_write_hook(WRAM_BASE + W_SCORE_TABLE, int32_t(SCORES_DATA_SIZE));
    if (test_env.stage_debug) entry_log(score);
    w_cell_set(W_GAME_SUB_STATE, 10);
}

// The score does not place: stored without initials, straight to game over.
void entry_skip() {
    w_cell_set(W_NAME_SCORE, w_cell(W_ENDING_TOTAL));
    for (uint32_t i = 0; i < 3; i++) w_cell_set(W_NAME_INITIALS + i, 0);
    ranking_insert(w_cell(W_COURSE_NUMBER), WRAM_BASE + W_NAME_SCORE);
    dl_buffers_init();
    game_top.game_over_enter();
}

}  // namespace

void (*name_entry_analog_hook)(int turn, int pitch) = handle_words_set;

void name_entry_enter() {
    static bool dumped;
    if (test_env.stage_debug && !dumped) {
        dumped = true;
        score_table_dump("enter");
    }
    int32_t course = w_cell(W_COURSE_NUMBER);
    int32_t total = w_cell(W_ENDING_TOTAL);
    if (w_word(W_GAME_MODE) == 0 && ranking_position_find(course, total) >= 4) {
        entry_skip();
        return;
    }
    start_lamp_blink(LAMP_PATTERN);
    textram_clear();
    sound_stop_upper();
    sound_play_or_defer(SOUND_MUSIC);
    dl_buffers_init();
    camera_reset();
    fade_colour_set(0);
    mixer_colour_set(0, 0, 0);
    mixer_registers[5] = 0;
    mixer_registers[6] = mixer_registers[7] = 0;
    w_cell_set(W_FADE_FLAGS, 3);
    w_cell_set(W_FADE_AMOUNT, 0);
    for (uint32_t i = 0; i < 3; i++) w_cell_set(W_NAME_INITIALS + i, NAME_NOT_CHOSEN);
    results_digits_set(total);
    for (int i = 0; i < 3; i++) w_word_set(letter_anim(i), LETTER_AT_REST);
    w_word_set(W_NAME_SLOT, 0);
    w_word_set(W_NAME_PLACE, ranking_position_find(course, w_cell(W_TIME_SCORE)));
    w_cell_set(W_NAME_SCROLL_X, SCROLL_X_START);
    w_cell_set(W_NAME_SCROLL_Y, SCROLL_Y_START);
    w_word_set(W_NAME_ROW, 0);
    w_word_set(W_NAME_CELL, 0);
    w_word_set(W_NAME_COLUMN, 0);
    w_word_set(W_NAME_TIMER, ENTRY_FRAMES);
    w_cell_set(W_ARMED_FLAG, 0);
    w_cell_set(W_NAME_SLIDE, 0);
    w_cell_set(W_GAME_SUB_STATE, 17);
    name_entry_run();
}

void name_entry_run() {
    test_drive();
    if (w_word(W_NAME_SLOT) <= 2) entry_input();
    entry_draw();
    int32_t slide = w_cell(W_NAME_SLIDE);
    if (w_word(W_NAME_SLOT) == 3 && slide <= SLIDE_LAST) w_cell_set(W_NAME_SLIDE, slide += SLIDE_STEP);
    int32_t t = w_word(W_NAME_TIMER);
    number_sprite_draw(t - AFTER_LAST_LETTER, -392 - 28 * slide / 16, 304 + 28 * slide / 16, 720, -16 - slide, -slide);
    if (t <= FADE_FROM) w_cell_set(W_FADE_AMOUNT, 254 - 2 * t);
    w_word_set(W_NAME_TIMER, --t);
    if (t < 0) entry_store();
    if (t <= AFTER_LAST_LETTER - 1) w_word_set(W_NAME_SLOT, 3);
    if (uint32_t(w_cell(W_SWITCH_PORT0 + SP_PRESSED)) & PORT_SKIP) {
        dl_buffers_init();
        w_cell_set(W_GAME_SUB_STATE, 10);
    }
}

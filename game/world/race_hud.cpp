#include "game/world/race_hud.h"

#include "board/display_list.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/digit_writers.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/hud_ram.h"
#include "game/world/stage_ram.h"

#include <algorithm>

namespace {

constexpr int32_t COURSE_WITHOUT_SCORE = 3;
constexpr int32_t PLAYING = 3;  // game_state of a race

// The course arrow grid: per course 32 rows x 16 columns of 0xC000-unit squares.
constexpr int32_t GRID_SQUARE = 0xC000, GRID_ROWS = 32, GRID_COLUMNS = 16;
constexpr rom_table ROM_ARROW_GRID = {0x120DF4, 2, 4 * GRID_ROWS * GRID_COLUMNS};
constexpr int32_t DROP_STEP = 160, DROP_MAX = 2688;
constexpr int32_t ARROW_MODEL = 802;

constexpr rom_table ROM_MESSAGE_BLOCKS = {0x354D4, 4, HINT_MESSAGES};
constexpr rom_table ROM_MESSAGE_SHOWINGS = {0x354F4, 4, HINT_MESSAGES};
// Course map records: origin x, y, -, scale, x max, x min, y max, y min.
constexpr rom_table ROM_MAP_RECORDS = {0x35524, 32, 4};
constexpr uint32_t MAP_ORIGIN_X = 0x00, MAP_ORIGIN_Y = 0x04, MAP_SCALE = 0x0C;
constexpr uint32_t MAP_X_MAX = 0x10, MAP_X_MIN = 0x14, MAP_Y_MAX = 0x18, MAP_Y_MIN = 0x1C;
// Stage quotas: 8 x setting + 72 x course + 24 x stage word, the quota long first.
constexpr rom_table ROM_QUOTAS = {0x15C328, 8, 36};

// Tile blocks, their character-RAM tiles and palette banks.
constexpr int32_t MESSAGE_TILES_BLOCK = 165, MESSAGE_BASE = 368, MESSAGE_WIPE_BASE = 288, MESSAGE_PALETTE = 7;
constexpr int32_t PANEL_BLOCK = 147, PANEL_BLOCK_MODE1 = 148, PANEL_BASE = 448, PANEL_PALETTE = 1;
constexpr int32_t LAMP_BLOCK = 245, LAMP_BASE = 608, LAMP_PALETTE = 13;
// The day's block of game mode 1: the bank beside the others' is this system's choice.
constexpr int32_t DAY_BLOCK = 217, DAY_BASE = 464, DAY_PALETTE = 14;
constexpr int32_t PROMPT_BLOCK = 266, PROMPT_BASE = 512, PROMPT_PALETTE = 12;
constexpr int32_t PROMPT_ON_BLOCK = 271, PROMPT_ON_BASE = 528, PROMPT_ON_PALETTE = 5;
constexpr int32_t PROMPT_OFF_BLOCK = 272, PROMPT_OFF_BASE = 536, PROMPT_OFF_PALETTE = 9;
constexpr int32_t LEFT_HINT_BLOCK = 273, LEFT_HINT_BASE = 544, HINT_PALETTE = 11;
constexpr int32_t RIGHT_HINT_BLOCK = 274, RIGHT_HINT_BASE = 576;

constexpr int32_t MESSAGE_FRAMES = 240, WIPE_FRAMES = 16;
constexpr int32_t MESSAGE_COLUMN = 7, MESSAGE_ROW = 20;
constexpr int32_t MAP_FRAMES = 240, MAP_PRESS_IGNORED_FROM = 225, MAP_SHOWINGS = 255;
constexpr int32_t PROMPT_FRAMES = 1200, PROMPT_FROM_FRAME = 599;
constexpr int32_t BLINK_COUNT_MAX = 9;

// Hint message numbers.
constexpr int32_t MSG_PEDAL = 0, MSG_UNUSED = 1, MSG_TIME = 2, MSG_CELL_17 = 3, MSG_BACKWARD = 4;
constexpr int32_t MSG_HIGH_CONTACT = 5, MSG_TOWER = 6, MSG_PROBE = 7;
constexpr int32_t HINT_COURSE = 1;
constexpr int32_t TOWER_X = 390619, TOWER_Z = 1182793;
constexpr int64_t TOWER_REACH_SQUARED = 99420840;  // (39884 / 4)^2
constexpr int32_t TIME_LOW = 900;

// Map markers: the depth is this system's choice, in front of the map halves.
constexpr int32_t MAP_DEPTH = 400;
constexpr int32_t MAP_HALF_TOP = 481, MAP_HALF_BOTTOM = 482;
constexpr int32_t PLAYER_MARKER = 909, TARGET_MARKER = 912, TARGET_MARKER_BLINK = 913;
constexpr uint32_t BALLOON_X = 4, BALLOON_Z = 12, BALLOON_VALUE = 16;
constexpr uint32_t MO_MAP_VALUE = 0x14;

// Sweep pieces' models and places (the places are this system's choice).
constexpr int32_t SWEEP_MARK_A = 893, SWEEP_DAY_MARK = 878, SWEEP_MARK_B = 868;
constexpr int32_t SWEEP_TITLE = 851, SWEEP_TITLE_B = 856;
constexpr int32_t SWEEP_TIME_SHOWN_BELOW = 13107;

int32_t heading() {
    return w_cell(W_PLAYER_HEADING) & 0xFFFF;
}
bool ending() {
    return w_cell(W_END_FLAG) != 0;
}
int32_t day_block() {
    return DAY_BLOCK + uint16_t(w_word(W_COURSE_BLOCK));
}
int32_t message_block(int32_t index) {
    return rom_table_long(ROM_MESSAGE_BLOCKS, index, 0);
}
int32_t showings(int32_t index) {
    return w_cell(W_HINT_SHOWINGS + 4 * uint32_t(index));
}
bool pointing_backward(int32_t e) {
    return e >= 0x5001 && e <= 0xAFFF;
}

void block_loaded(int32_t block, int32_t tile, int32_t bank) {
    cgram_load_tile_block(block, tile);
    palette_bank_load(block, bank);
}

// The arrow grid word of the player's square; a square off the grid is unguided.
int32_t arrow_grid_word() {
    int32_t row = w_cell(W_PLAYER_Z) / GRID_SQUARE, column = w_cell(W_PLAYER_X) / GRID_SQUARE;
    if (row < 0 || row >= GRID_ROWS || column < 0 || column >= GRID_COLUMNS) return 1;
    return rom_table_word(ROM_ARROW_GRID, (int64_t(w_cell(W_COURSE_NUMBER)) * GRID_ROWS + row) * GRID_COLUMNS + column,
                          0);
}

void side_hint_show(int32_t state) {
    if (state == 1) {
        text_block_draw(RIGHT_HINT_BLOCK, 31, 14, RIGHT_HINT_BASE, HINT_PALETTE);
        text_block_clear(LEFT_HINT_BLOCK, 3, 14);
    } else if (state == -1) {
        text_block_draw(LEFT_HINT_BLOCK, 3, 14, LEFT_HINT_BASE, HINT_PALETTE);
        text_block_clear(RIGHT_HINT_BLOCK, 31, 14);
    } else {
        text_block_clear(LEFT_HINT_BLOCK, 3, 14);
        text_block_clear(RIGHT_HINT_BLOCK, 31, 14);
    }
}

void hud_course_arrow() {
    int32_t g = arrow_grid_word();
    int32_t drop = w_cell(W_ARROW_DROP);
    uint32_t arrow = uint32_t(w_cell(W_ARROW));
    int32_t direction = int32_t(arrow >> 16);
    bool guided = (g & 1) == 0;
    if (guided) {
        drop = std::max(0, drop - DROP_STEP);
        direction = (direction + (int16_t(uint16_t(g - direction)) >> 4)) & 0xFFFF;
    } else {
        drop = std::min(DROP_MAX, drop + DROP_STEP);
    }
    w_cell_set(W_ARROW_DROP, drop);
    w_cell_set(W_ARROW, int32_t(uint32_t(direction) << 16 | (guided ? 1u : 0u)));

    sprite_call(5, -12, 269, -(drop >> 4), 0xAB50, 32, 32, 0, 1);
    int32_t e = (heading() + direction) & 0xFFFF;
    dl_object_put_8001(1, ARROW_MODEL, 0, drop + 2240, 6400, 0, e, 0x4000, 0);
    if (pointing_backward(e) && guided && (w_cell(W_FRAME_TICK) & 0x28) != 0)
        sprite_call(1, -353, 208, 112, 0, 32, 32, 0x4000, 1);
    if (w_word(W_GAME_MODE) != 0) return;

    int32_t state = 0;
    bool blink_on = (w_cell(W_FRAME_TICK) & 0x30) != 0;
    if (guided && blink_on && e >= 0x9001 && e <= 0xAFFF) state = -1;
    if (guided && blink_on && e >= 0x5001 && e <= 0x6FFF) state = 1;
    if (ending()) {
        side_hint_show(0);
        w_cell_set(W_SIDE_HINT, 0);
        return;
    }
    if (state != w_cell(W_SIDE_HINT)) side_hint_show(state);
    w_cell_set(W_SIDE_HINT, state);
}

void digit_models_of(int32_t value, const int32_t* xs, int32_t y, int32_t depth, int32_t group) {
    for (int32_t i = 0; i < 5; i++, value /= 10) dl_object_put_8001(group, 839 + value % 10, xs[i], y, depth, 0, 0, 0, 0);
}

void hud_digit_counter() {
    static constexpr int32_t XS[5] = {413, 372, 331, 290, 249};
    digit_models_of(w_cell(W_STAGE_QUOTA), XS, 240, 956, 3);
    dl_object_put_8001(1, 648, 242, 160, 544, 0x8000, 0, 0, 0);
}

void hud_arrows_blink() {
    int32_t n = w_word(W_BALLOONS_LEFT);
    if (n < 1 || n > BLINK_COUNT_MAX || (w_cell(W_FRAME_TICK) & 0x10) == 0) return;
    sprite_call(6, -351, 448, 136, 0, 8, 8, 0, 1);
    sprite_call(6, -352, 512, 136, 0, 8, 8, 0, 1);
    sprite_call(6, n == 1 ? -431 : -430, 456, 160, 0, 32, 32, 0, 1);
    sprite_call(6, -(432 + n), 448, 160, 0, 32, 32, 0, 1);
}

void hud_message_conditions() {
    int32_t cell = w_cell(W_PLAYER_CELL);
    bool tower = false;
    if (w_cell(W_COURSE_NUMBER) == HINT_COURSE && (cell == 91 || cell == 92 || cell == 99 || cell == 100)) {
        int64_t a = (TOWER_X - int64_t(w_cell(W_PLAYER_X))) / 4, b = (TOWER_Z - int64_t(w_cell(W_PLAYER_Z))) / 4;
        int32_t bearing = math_atan2(wrap_sub(TOWER_X, w_cell(W_PLAYER_X)), wrap_sub(TOWER_Z, w_cell(W_PLAYER_Z)));
        tower = a * a + b * b <= TOWER_REACH_SQUARED && ((bearing - heading() + 0x6000) & 0xFFFF) > 0xC000;
    }
    w_word_set(W_HINT_TOWER, tower);
    bool time_low = w_cell(W_RACE_TIMER) < TIME_LOW;
    w_word_set(W_HINT_TIME_LOW, time_low);
    if (!time_low) w_word_set(W_HINT_TIME_SHOWN, 0);
    w_word_set(W_HINT_UNUSED, 0);
    uint32_t arrow = uint32_t(w_cell(W_ARROW));
    bool backward = pointing_backward(int32_t((arrow >> 16) + uint32_t(heading())) & 0xFFFF);
    if (backward && (arrow & 1) != 0) w_word_set(W_HINT_BACKWARD, 1);
    if (!backward) w_word_set(W_HINT_BACKWARD, 0);
    w_word_set(W_HINT_CELL_17, w_cell(W_COURSE_NUMBER) == HINT_COURSE && cell == 17);
}

void hud_message_select() {
    int32_t chosen = -1;
    if (w_word(W_HINT_TOWER) != 0) {
        chosen = MSG_TOWER;
    } else if (w_word(W_HINT_UNUSED) != 0 && showings(MSG_UNUSED) > 0) {
        chosen = MSG_UNUSED;
    } else if (w_cell(W_HINT_PEDAL) != 0 && showings(MSG_PEDAL) > 0) {
        chosen = MSG_PEDAL;
    } else if (w_word(W_HINT_TIME_LOW) != 0 && showings(MSG_PEDAL) > 0 && w_word(W_HINT_TIME_SHOWN) == 0) {
        chosen = MSG_TIME;
        w_word_set(W_HINT_TIME_SHOWN, 1);
    } else if (w_cell(W_HINT_HIGH_CONTACT) != 0 && showings(MSG_HIGH_CONTACT) > 0) {
        chosen = MSG_HIGH_CONTACT;
    } else if (w_word(W_HINT_CELL_17) != 0 && showings(MSG_CELL_17) > 0) {
        chosen = MSG_CELL_17;
    } else if (w_word(W_HINT_BACKWARD) != 0 && showings(MSG_BACKWARD) > 0) {
        chosen = MSG_BACKWARD;
    } else if (w_cell(W_PROBES) != 0 && showings(MSG_PROBE) > 0) {
        chosen = MSG_PROBE;
    }
    if (w_cell(W_HINT_MESSAGE) < 0) w_cell_set(W_HINT_MESSAGE, chosen);
}

void hud_message_show() {
    int32_t index = w_cell(W_HINT_MESSAGE);
    if (ending()) {
        text_block_clear(message_block(MSG_PEDAL), MESSAGE_COLUMN, MESSAGE_ROW);
        w_cell_set(W_HINT_MESSAGE, -1);
        w_cell_set(W_HINT_TIMER, 0);
        return;
    }
    if (index < 0 || index >= int32_t(HINT_MESSAGES)) return;
    int32_t timer = w_cell(W_HINT_TIMER);
    // The wipe reveals the block's rows in the wipe tiles, drawn from its first frame.
    if (timer < WIPE_FRAMES) block_rows_copy(timer);
    int32_t base = timer < WIPE_FRAMES || (timer & 0x18) != 0 ? MESSAGE_WIPE_BASE : MESSAGE_BASE;
    text_block_draw(message_block(index), MESSAGE_COLUMN, MESSAGE_ROW, base, MESSAGE_PALETTE);
    if (++timer < MESSAGE_FRAMES) {
        w_cell_set(W_HINT_TIMER, timer);
        return;
    }
    text_block_clear(message_block(index), MESSAGE_COLUMN, MESSAGE_ROW);
    w_cell_set(W_HINT_SHOWINGS + 4 * uint32_t(index), showings(index) - 1);
    w_cell_set(W_HINT_MESSAGE, -1);
    w_cell_set(W_HINT_TIMER, 0);
}

void hud_panel_blocks() {
    int32_t block = w_word(W_GAME_MODE) == 1 ? PANEL_BLOCK_MODE1 : PANEL_BLOCK;
    if (ending())
        text_block_clear(block, 2, 26);
    else
        text_block_draw(block, 2, 26, PANEL_BASE, PANEL_PALETTE);
    if (w_word(W_GAME_MODE) != 1) return;
    if (w_cell(W_END_FLAG) > 0)
        text_block_clear(day_block(), 11, 26);
    else
        text_block_draw(day_block(), 11, 26, DAY_BASE, DAY_PALETTE);
}

// The map's screen point of a world (x, z) by the course's map record.
void map_point(int32_t x, int32_t z, int32_t* sx, int32_t* sy) {
    int32_t scale = rom_table_long(ROM_MAP_RECORDS, w_cell(W_COURSE_NUMBER), MAP_SCALE);
    *sx =
        wrap_add(rom_table_long(ROM_MAP_RECORDS, w_cell(W_COURSE_NUMBER), MAP_ORIGIN_X), wrap_mul(x >> 8, scale) / 256);
    *sy =
        wrap_add(rom_table_long(ROM_MAP_RECORDS, w_cell(W_COURSE_NUMBER), MAP_ORIGIN_Y), wrap_mul(z >> 8, scale) / 256);
}

void map_marker_at(int32_t sx, int32_t sy, int32_t group, int32_t model, int32_t turn) {
    int32_t c = w_cell(W_COURSE_NUMBER);
    if (sx < rom_table_long(ROM_MAP_RECORDS, c, MAP_X_MIN) || sx > rom_table_long(ROM_MAP_RECORDS, c, MAP_X_MAX) ||
        sy < rom_table_long(ROM_MAP_RECORDS, c, MAP_Y_MIN) || sy > rom_table_long(ROM_MAP_RECORDS, c, MAP_Y_MAX))
        return;
    dl_object_put_8001(group, model, sx, sy, MAP_DEPTH, 0, 0, turn, 0);
}

// A target's marker: steady while its value is positive, else blinking.
void hud_map_marker(int32_t x, int32_t z, int32_t value) {
    int32_t sx, sy;
    map_point(x, z, &sx, &sy);
    int32_t model = value > 0 || (w_cell(W_FRAME_TICK) & 0x10) == 0 ? TARGET_MARKER : TARGET_MARKER_BLINK;
    map_marker_at(sx, sy, 2, model, 0);
}

// The player's marker sits a little ahead of the point and turns with the heading; it
// blinks by its group word (3, then 2 while bit 3 of the tick is set).
void player_map_marker() {
    int32_t sx, sy, h = heading();
    map_point(w_cell(W_PLAYER_X), w_cell(W_PLAYER_Z), &sx, &sy);
    sy = wrap_add(sy, (3 * math_cos(h)) >> 8);
    sx = wrap_sub(sx, (3 * math_sin(h)) >> 8);
    map_marker_at(sx, sy, (w_cell(W_FRAME_TICK) & 8) == 0 ? 3 : 2, PLAYER_MARKER, (h + 0x8000) & 0xFFFF);
}

// The course map's two halves, sprites 481 + 2 x course and 482 + 2 x course.
void map_halves(int32_t y) {
    int32_t c2 = wrap_shl(w_cell(W_COURSE_NUMBER), 1);
    sprite_call(6, wrap_add(MAP_HALF_TOP, c2), 64, y, 0, 28, 28, 0x5000, 1);
    sprite_call(6, wrap_add(MAP_HALF_BOTTOM, c2), 64, wrap_add(y, 224), 0, 28, 28, 0x5000, 1);
}

void hud_map_markers() {
    map_halves(144);
    player_map_marker();
    if (w_word(W_BALLOONS_LEFT) > BLINK_COUNT_MAX || w_word(W_GAME_MODE) != 0) return;
    int32_t count = w_cell(W_BALLOON_COUNT);
    int64_t table = int64_t(uint32_t(w_cell(W_BALLOON_TABLE))) + BALLOON_RECORD_SIZE * int64_t(w_word(W_BALLOON_FIRST));
    for (int32_t i = 0; i < count && i < 64; i++) {
        if (w_word(W_BALLOON_STATES + 2 * uint32_t(i)) != 0) continue;
        int64_t r = table + BALLOON_RECORD_SIZE * int64_t(i);
        hud_map_marker(w_read32(r + BALLOON_X), w_read32(r + BALLOON_Z), w_read32(r + BALLOON_VALUE));
    }
    int32_t moving = std::min(w_cell(W_MOVING_BALLOONS), MOVING_OBJECTS);
    for (int32_t i = 0; i < moving; i++) {
        uint32_t m = moving_object(i);
        if (w_cell(m + MO_STATUS) != 0) continue;
        hud_map_marker(w_cell(m + MO_POSITION), w_cell(m + MO_POSITION + 8), w_cell(m + MO_MAP_VALUE));
    }
}

// The prompt over: its blocks cleared and the lamp off; the map shows from here.
int32_t prompt_end() {
    w_cell_set(W_MAP_PROMPT, -1);
    lamp_bit2_set(0);
    text_block_clear(PROMPT_BLOCK, 5, 10);
    text_block_clear(PROMPT_ON_BLOCK, 3, 9);
    return MAP_FRAMES;
}

void hud_map_prompt() {
    int32_t p = w_cell(W_MAP_TIMER);
    bool prompt = w_cell(W_MAP_PROMPT) >= 0 && w_word(W_BALLOONS_LEFT) <= BLINK_COUNT_MAX;
    bool pressed = (w_cell(W_START_EDGE) & 1) != 0;
    if (pressed && p < 0) {
        if (w_cell(W_MAP_SHOWINGS) > 0) {
            p = MAP_FRAMES;
            w_cell_set(W_MAP_SHOWINGS, w_cell(W_MAP_SHOWINGS) - 1);
        }
        if (prompt) p = prompt_end();
    } else if (pressed && p < MAP_PRESS_IGNORED_FROM) {
        p = 0;
        if (prompt) p = prompt_end();
    } else if (prompt && p < 0) {
        text_block_draw(PROMPT_BLOCK, 5, 10, PROMPT_BASE, PROMPT_PALETTE);
        bool lit = (w_cell(W_FRAME_TICK) & 0x20) != 0;
        if (lit) {
            text_block_draw(PROMPT_ON_BLOCK, 3, 9, PROMPT_ON_BASE, PROMPT_ON_PALETTE);
        } else {
            text_block_clear(PROMPT_ON_BLOCK, 3, 9);
            text_block_draw(PROMPT_OFF_BLOCK, 3, 10, PROMPT_OFF_BASE, PROMPT_OFF_PALETTE);
        }
        lamp_bit2_set(lit);
        int32_t t = w_cell(W_MAP_PROMPT) - 1;
        w_cell_set(W_MAP_PROMPT, t);
        if (t < 0) prompt_end();  // the map stays down
    } else if (prompt) {
        // The map called up before the prompt would show: the prompt gives way to it
        // and is over (left at 0 it would hold the map up for the rest of the race).
        p = prompt_end();
    }
    if (p >= 0) {
        hud_map_markers();
        p--;
    }
    w_cell_set(W_MAP_TIMER, p);
}

int32_t stage_quota() {
    int32_t setting = w_cell(W_MODE_SETTING), stage = uint16_t(w_word(W_COURSE_PAIR));
    return rom_table_long(ROM_QUOTAS, int64_t(setting) + 9 * int64_t(w_cell(W_COURSE_NUMBER)) + 3 * int64_t(stage), 0);
}

void sweep_marks() {
    dl_object_put_8001(1, SWEEP_MARK_A, 0, 0, 1024, 0, 0, 0, 0);
    dl_object_put_8001(1, SWEEP_DAY_MARK + uint16_t(w_word(W_COURSE_BLOCK)), 0, 0, 1024, 0, 0, 0, 0);
    dl_object_put_8001(1, SWEEP_MARK_B, 0, 0, 1024, 0, 0, 0, 0);
}

void sweep_quota_digits(int32_t y) {
    static constexpr int32_t XS[5] = {135, 92, 49, 6, -37};
    digit_models_of(stage_quota(), XS, y, 448, 1);
}

}  // namespace

void hud_update() {
    number_sprite_draw(w_cell(W_RACE_TIMER_SHOWN), -392, 304, 720, -16, 0);
    bool scored = w_cell(W_COURSE_NUMBER) != COURSE_WITHOUT_SCORE;
    if (scored) {
        int32_t points = w_cell(W_RACE_POINTS);
        if (points < int32_t(int64_t(w_cell(W_RUN_SCORE)) * 8 / 10)) w_cell_set(W_RACE_POINTS, ++points);
        hud_number_models(1, points, 314, 243, 544);
        lamp_score_sprites(5, points, 432, 0, 544);
    }
    hud_course_arrow();
    if (w_word(W_GAME_MODE) != 0 && scored) hud_digit_counter();
    hud_arrows_blink();
    bool racing = w_cell(W_GAME_STATE) == PLAYING;
    if (racing && w_word(W_GAME_MODE) == 0) {
        hud_message_conditions();
        hud_message_select();
        hud_message_show();
    }
    if (racing) hud_panel_blocks();
    if (scored && racing && w_cell(W_PLAY_FRAME_COUNTER) > PROMPT_FROM_FRAME) hud_map_prompt();
}

void hud_messages_setup() {
    for (int32_t i = 0; i < int32_t(HINT_MESSAGES); i++)
        w_cell_set(W_HINT_SHOWINGS + 4 * uint32_t(i), rom_table_long(ROM_MESSAGE_SHOWINGS, i, 0));
    w_cell_set(W_HINT_MESSAGE, -1);
    w_cell_set(W_HINT_TIMER, 0);
    w_word_set(W_HINT_TIME_SHOWN, 0);
    block_loaded(MESSAGE_TILES_BLOCK, MESSAGE_BASE, MESSAGE_PALETTE);
}

void hud_panel_setup() {
    bool mode1 = w_word(W_GAME_MODE) == 1;
    block_loaded(mode1 ? PANEL_BLOCK_MODE1 : PANEL_BLOCK, PANEL_BASE, PANEL_PALETTE);
    block_loaded(LAMP_BLOCK, LAMP_BASE, LAMP_PALETTE);
    if (mode1) {
        block_loaded(day_block(), DAY_BASE, DAY_PALETTE);
        return;
    }
    block_loaded(PROMPT_BLOCK, PROMPT_BASE, PROMPT_PALETTE);
    block_loaded(PROMPT_ON_BLOCK, PROMPT_ON_BASE, PROMPT_ON_PALETTE);
    block_loaded(PROMPT_OFF_BLOCK, PROMPT_OFF_BASE, PROMPT_OFF_PALETTE);
    block_loaded(LEFT_HINT_BLOCK, LEFT_HINT_BASE, HINT_PALETTE);
    cgram_load_tile_block(RIGHT_HINT_BLOCK, RIGHT_HINT_BASE);  // shares the left hint's colours
}

void hud_timer_init() {
    w_cell_set(W_MAP_SHOWINGS, MAP_SHOWINGS);
    w_cell_set(W_MAP_TIMER, -1);
    w_cell_set(W_MAP_MODE, w_word(W_GAME_MODE) != 0);
    w_cell_set(W_MAP_PROMPT, w_word(W_GAME_MODE) == 0 ? PROMPT_FRAMES : -1);
}

void hud_sweep_header(int32_t flag) {
    const int32_t link[4] = {DL_LINK, 3, flag != 0 ? -8192 : -0x3000, DL_END};
    dl_emit(link, 4);
    sweep_marks();
}

// The title models come nearer as the sweep value grows; in game mode 1 the stage quota
// shows during the sweep's first part.
void hud_sweep_title_models() {
    int32_t sweep = w_cell(W_FIGURE_TURN);
    int32_t depth = 2048 - std::clamp(sweep, 0, 0x10000) / 64;
    int32_t title =
        wrap_sub(wrap_add(SWEEP_TITLE, wrap_shl(w_cell(W_COURSE_NUMBER), 1)), uint16_t(w_word(W_GAME_MODE)));
    dl_object_put_8001(1, title, 0, 64, depth, 0, 0, 0, 0);
    dl_object_put_8001(1, SWEEP_TITLE_B, 0, -64, depth, 0, 0, 0, 0);
    if (w_word(W_GAME_MODE) == 1 && sweep < SWEEP_TIME_SHOWN_BELOW) sweep_quota_digits(0);
}

void hud_sweep_map_digits() {
    int32_t d = w_cell(W_FIGURE_TURN);
    int32_t y = std::min(144 + int32_t(int64_t(d) * 3504 / 3840), 768);
    map_halves(y);
    sweep_quota_digits(0);
    sweep_marks();
}

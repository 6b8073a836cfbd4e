// The attract scenes that show scores: the replay (the score table over an orbiting view
// of course 0), the course demo (each course with its best score revealed) and the tile
// loads of the ranking page.
#include "game/modes/attract_scenes.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/attract_ram.h"
#include "game/modes/attract_sequencer.h"
#include "game/services/flight_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"
#include "game/world/course_start.h"
#include "game/world/gameplay_state.h"
#include "game/world/scene_chains.h"
#include "game/world/scenery_objects.h"
#include "game/world/terrain_chunks.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t FADE_MODE_BLACK = 3, FADE_FULL = 255;
constexpr int32_t STATE_STAGE_START = 5;
constexpr int32_t TABLE_ENTRIES = 10, ROWS_SHOWN = 5;
constexpr int32_t DIGIT_BLOCK = 93;  // the cell block drawn with a digit's or letter's tiles
constexpr int32_t INITIAL_BLOCKS = 93;  // initial i is block i + 93

// ---- Character RAM --------------------------------------------------------------------
constexpr uint32_t SCORE_AREA = 0x9000, SCORE_AREA_BYTES = 8192;  // tiles 288 .. 351
constexpr int32_t SCORE_PALETTE = 41;
constexpr uint32_t TILE_BYTES = 128, TILE_ROW_BYTES = 8, TILE_ROWS = 16;

// ---- Replay -----------------------------------------------------------------------------
constexpr int32_t REPLAY_FRAMES = 720, REPLAY_FADE_FROM = 593;
constexpr int32_t REPLAY_CAMERA[6] = {183747, 88045, 1153422, 0, 45859, 0};
constexpr int32_t REPLAY_CELL = 89;
constexpr int32_t ORBIT_X = 255328, ORBIT_Z = 1159675;
struct tile_load {
    int32_t block, tile;
};
constexpr tile_load REPLAY_LABELS[] = {{108, 392}, {112, 396}, {111, 400}, {133, 404},
                                       {150, 528}, {161, 576}, {162, 588}};
constexpr int32_t DIGIT_TILE = 352, DIGIT_FIRST_BLOCK = 119;
constexpr int32_t PLACE_FIRST_BLOCK = 288, PLACE_TILE = 592;
constexpr int32_t INITIAL_TILE = 640;  // entry k's initials from 640 + 12 k
constexpr int32_t TITLE_BLOCK = 150, TITLE_COLUMN = 13, TITLE_ROW = 2, TITLE_TILE = 528;
constexpr int32_t HEAD_BLOCK = 161, HEAD_COLUMN = 17, HEAD_ROW = 5, HEAD_TILE = 576;
constexpr int32_t POINTS_BLOCK = 162, POINTS_COLUMN = 29, POINTS_TILE = 588;
constexpr int32_t STAGE_COLUMN = 32, NO_STAGE = 0x7F;
constexpr int32_t SCORE_ROWS[ROWS_SHOWN] = {8, 11, 14, 17, 20};
constexpr int32_t PLACE_COLUMN = 15, INITIALS_COLUMN = 3;
constexpr int32_t LOWER_PLACES_TO = 240, FIRST_CLEAR = 243, UPPER_PLACES_FROM = 271, SECOND_CLEAR = 483;
constexpr int32_t GRID_BANK = -733, GRID_CELL = 0x18000, GRID_FIRST_MODEL = 1638, GRID_ROW_MODELS = 8;
constexpr int32_t REPLAY_MODEL = 500;
constexpr int32_t MARKER_MODEL_BASE = 326, MARKER_HEIGHT = 40960;

// ---- Course demo -------------------------------------------------------------------------
constexpr int32_t COURSE_DEMO_BLOCK = 149, COURSE_DEMO_TILE = 512;
constexpr int32_t REVEAL_FROM = 67, REVEAL_FRAMES = 64, REFILL_AT = 2;
constexpr int32_t NAME_MODEL = 850, NAME_Y = 160, NAME_DEPTH = 848, NAME_COURSES = 3;
constexpr int32_t BEST_DIGITS = 5, BEST_DIGIT_TILE = 288, BEST_LABEL_TILE = 308, BEST_INITIAL_TILE = 336;
constexpr int32_t BEST_LABELS[4] = {108, 112, 111, 133};
constexpr int32_t BEST_ROW = 16, BEST_COLUMN = 10, BEST_INITIALS_ROW = 13, BEST_INITIALS_COLUMN = 14;

// ---- Ranking page ---------------------------------------------------------------------
constexpr tile_load PAGE_HEADINGS[] = {{163, 592}, {151, 336}, {152, 360}, {153, 384},
                                       {120, 576}, {121, 580}, {122, 584}};
constexpr int32_t PAGE_INITIAL_TILE = 416, PAGE_PALETTE = 163;
constexpr int32_t PAGE_DIGITS = 67, PAGE_DIGIT_TILE = 544, PAGE_POINTS_TILE = 554;
constexpr int32_t PAGE_POINTS[4] = {56, 60, 59, 81};

void fade_black() {
    fade_colour_set(0);
}

void score_area_fill() {
    memset(board_memory.CGRAM + SCORE_AREA, 0xFF, SCORE_AREA_BYTES);
    palette_bank_load(SCORE_PALETTE, 1);
}

void camera_set(const int32_t camera[6], int32_t cell) {
    for (uint32_t k = 0; k < 6; k++) w_cell_set(W_CAMERA_X + 4 * k, camera[k]);
    w_cell_set(W_CAMERA_CELL, cell);
}

// The score-table entry `steps` links after `first` (8-byte entries, the next index in
// byte +7; an index past the table reads as 0).
int32_t entry_after(int32_t first, int32_t steps) {
    int32_t e = first >= 0 && first < TABLE_ENTRIES ? first : 0;
    for (int32_t k = 0; k < steps && k < TABLE_ENTRIES; k++) {
        e = w_cell_byte(W_SCORE_TABLE + 8 * uint32_t(e) + 7);
        if (e >= TABLE_ENTRIES) e = 0;
    }
    return e;
}

// A digit as the letter block drawn from the digit's tiles (DIGIT_TILE + 4 x digit).
void two_cell_digit(int32_t column, int32_t row, int32_t digit) {
    text_block_draw(DIGIT_BLOCK, column, row, DIGIT_TILE + 4 * digit, 1);
}

// Five score-table rows in list order from `first`: the score's five digits, the points
// block, the stage mark, the place and the initials.
void attract_score_digits(int32_t first, int32_t first_place) {
    int32_t e = first;
    for (int32_t r = 0; r < ROWS_SHOWN; r++) {
        int32_t row = SCORE_ROWS[r];
        uint32_t entry = W_SCORE_TABLE + 8 * uint32_t(e);
        uint32_t value = uint32_t(w_cell(entry));
        uint32_t score = value & 0xFFFFFF;
        for (int32_t k = 0; k < 5; k++, score /= 10) two_cell_digit(27 - 2 * k, row, int32_t(score % 10));
        text_block_draw(POINTS_BLOCK, POINTS_COLUMN, row, POINTS_TILE, 1);
        int32_t stage = int32_t(value >> 24);
        if (stage != NO_STAGE && stage < TABLE_ENTRIES)
            text_block_draw(PLACE_FIRST_BLOCK + stage, STAGE_COLUMN, row, PLACE_TILE + 4 * stage, stage == 0 ? 5 : 7);
        int32_t place = first_place + r;
        if (place >= 10) two_cell_digit(PLACE_COLUMN - 2, row, place / 10);
        two_cell_digit(PLACE_COLUMN, row, place % 10);
        for (int32_t k = 0; k < 3; k++)
            text_block_draw(DIGIT_BLOCK, INITIALS_COLUMN + 2 * k, row, INITIAL_TILE + 12 * e + 4 * k, 1);
        e = entry_after(e, 1);
    }
}

void attract_replay_tiles_load() {
    for (int32_t d = 0; d < 10; d++) cgram_load_tile_block(DIGIT_FIRST_BLOCK + d, DIGIT_TILE + 4 * d);
    for (const tile_load& t : REPLAY_LABELS) cgram_load_tile_block(t.block, t.tile);
    int32_t e = entry_after(w_cell_byte(W_SCORE_HEAD), 0);
    for (int32_t k = 0; k < TABLE_ENTRIES; k++) {
        for (uint32_t i = 0; i < 3; i++)
            cgram_load_tile_block(w_cell_byte(W_SCORE_TABLE + 8 * uint32_t(e) + 4 + i) + INITIAL_BLOCKS,
                                  INITIAL_TILE + 12 * e + 4 * int32_t(i));
        e = entry_after(e, 1);
    }
    for (int32_t s = 0; s < TABLE_ENTRIES; s++) cgram_load_tile_block(PLACE_FIRST_BLOCK + s, PLACE_TILE + 4 * s);
    palette_bank_load(SCORE_PALETTE, 1);
    palette_bank_load(288, 5);
    palette_bank_load(289, 7);
}

// The value of orbit quantity q at replay frame d: held, eased or moved linearly from
// its value at the segment's start to the next.
int32_t orbit_value(int32_t q, int32_t d) {
    int32_t seg = std::clamp(d / REPLAY_SEGMENT_FRAMES, 0, 2);
    int32_t u = std::clamp(d - seg * REPLAY_SEGMENT_FRAMES, 0, REPLAY_SEGMENT_FRAMES);
    int64_t a = rom_table_long(REPLAY_VALUES, q, uint32_t(4 * seg));
    int64_t b = rom_table_long(REPLAY_VALUES, q, uint32_t(4 * seg + 4));
    switch (rom_table_byte(REPLAY_MOVES, seg, 0)) {
    case 1:
        return int32_t(a + (b - a) * math_sin(u * 0x4000 / REPLAY_SEGMENT_FRAMES) / 0x8000);
    case 2:
        return int32_t(a + (b - a) * u / REPLAY_SEGMENT_FRAMES);
    default:
        return int32_t(a);
    }
}

void replay_camera(int32_t d) {
    for (int32_t q = 0; q < 4; q++) w_cell_set(W_REPLAY_RADIUS + 4 * uint32_t(q), orbit_value(q, d));
    int64_t radius = w_cell(W_REPLAY_RADIUS);
    int32_t pitch = w_cell(W_REPLAY_RADIUS + 4), angle = w_cell(W_REPLAY_RADIUS + 8);
    w_cell_set(W_CAMERA_X, int32_t(ORBIT_X - ((radius * math_sin(angle) / 4) >> 13)));
    w_cell_set(W_CAMERA_Y, w_cell(W_REPLAY_RADIUS + 12));
    w_cell_set(W_CAMERA_Z, int32_t(ORBIT_Z - ((radius * math_cos(angle) / 4) >> 13)));
    w_cell_set(W_CAMERA_PITCH, pitch);
    w_cell_set(W_CAMERA_HEADING, wrap_neg(angle));
}

void attract_replay_marker_packet() {
    int32_t k = int32_t(uint32_t(w_cell(W_FRAME_TICK)) >> 1 & 15);
    int32_t model = MARKER_MODEL_BASE + rom_table_byte(REPLAY_MARKER_MODELS, k, 0);
    const int32_t words[14] = {DL_HEADER_4, 0, 39, 0, -0x16000, 0, 40, 0, -0x16000, 0, model,
                               wrap_neg(w_cell(W_CAMERA_X)), wrap_sub(MARKER_HEIGHT, w_cell(W_CAMERA_Y)),
                               wrap_neg(w_cell(W_CAMERA_Z))};
    dl_emit(words, 14);
}

// The ground of course 0 around the camera: nine tile models in its bank, cells apart.
void replay_ground_grid() {
    dl_bank_select(GRID_BANK);
    int64_t cx = int64_t(w_cell(W_CAMERA_X)) / GRID_CELL * GRID_CELL;
    int64_t cz = int64_t(w_cell(W_CAMERA_Z)) / GRID_CELL * GRID_CELL;
    for (int32_t r = 0; r < 3; r++)
        for (int32_t c = 0; c < 3; c++)
            dl_marker_at(0, GRID_FIRST_MODEL + GRID_ROW_MODELS * r + c, int32_t(cx + int64_t(c - 1) * GRID_CELL), 0,
                         int32_t(cz + int64_t(r - 1) * GRID_CELL));
    dl_bank_end();
}

// The world of the score scenes: terrain, chains, objects and course 3's props; the
// replay adds its ground grid, its model and the marker.
void score_scene_world(bool replay) {
    camera_grid_cell_update();
    terrain_chunk_visibility(w_cell(W_CAMERA_X), w_cell(W_CAMERA_Y), w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING));
    if (replay) {
        replay_ground_grid();
        dl_marker(0, REPLAY_MODEL, 0, 0, 0);
    }
    chain_scene_render();
    if (replay) attract_replay_marker_packet();
    objects_render_master();
    course3_props_emit();
}

// Copies the block into character RAM at `tile` and shows only the pixel rows that the
// reveal masks let through: row y of the block's tile column k takes mask n - y - k.
void attract_ranking_digit(int32_t block, int32_t tile, int32_t n) {
    if (tile < 0 || tile >= CGRAM_TILES) return;
    uint8_t before[SCORE_AREA_BYTES];
    int32_t width = bus_read32(BLOCK_TABLE + 16 * uint32_t(block) + 4);
    int32_t height = bus_read32(BLOCK_TABLE + 16 * uint32_t(block) + 8);
    int64_t tiles = int64_t(uint32_t(width) * uint32_t(height) & 0xFFFF);
    tiles = std::min<int64_t>(tiles, std::min<int64_t>(CGRAM_TILES - tile, SCORE_AREA_BYTES / TILE_BYTES));
    uint8_t* at = board_memory.CGRAM + uint32_t(tile) * TILE_BYTES;
    memcpy(before, at, size_t(tiles) * TILE_BYTES);
    cgram_load_tile_block(block, tile);
    for (int64_t k = 0; k < tiles; k++)
        for (uint32_t y = 0; y < TILE_ROWS; y++) {
            int64_t column = width > 0 ? k % width : 0;
            int32_t m = int32_t(std::clamp<int64_t>(n - int64_t(y) - column, 0, REVEAL_MASKS - 1));
            uint8_t mask = uint8_t(rom_table_byte(REVEAL_MASK_TABLE, m, 0));
            for (uint32_t b = 0; b < TILE_ROW_BYTES; b++) {
                uint32_t o = uint32_t(k) * TILE_BYTES + y * TILE_ROW_BYTES + b;
                at[o] = uint8_t((at[o] & mask) | (before[o] & ~mask));
            }
        }
}

// The course's best score (up to five digits, no leading zeros), the points label and
// the three initials, revealed over n rows.
void attract_ranking_score(int32_t n) {
    int32_t course = std::clamp(w_cell(W_COURSE_NUMBER), 0, 3);
    uint32_t record = W_BEST_RECORDS + 8 * uint32_t(course);
    uint32_t score = uint32_t(w_cell(record)) & 0xFFFFFF;
    for (int32_t k = 0; k < BEST_DIGITS && score > 0; k++, score /= 10)
        attract_ranking_digit(DIGIT_FIRST_BLOCK + int32_t(score % 10), BEST_DIGIT_TILE + 4 * (BEST_DIGITS - 1 - k), n);
    for (int32_t k = 0; k < 4; k++) attract_ranking_digit(BEST_LABELS[k], BEST_LABEL_TILE + 4 * k, n);
    for (uint32_t i = 0; i < 3; i++)
        attract_ranking_digit(w_cell_byte(record + 4 + i) + INITIAL_BLOCKS, BEST_INITIAL_TILE + 4 * int32_t(i), n);
}

void attract_course_start(int32_t c) {
    w_cell_set(W_COURSE_NUMBER, c);
    course_start_position();
    gameplay_init_state_vars();
    w_cell_set(W_FADE_FLAGS, FADE_MODE_BLACK);
    int32_t camera[6];
    for (uint32_t k = 0; k < 6; k++) camera[k] = rom_table_long(COURSE_DEMO_CAMERAS, c, 4 * k);
    camera_set(camera, rom_table_long(COURSE_DEMO_CAMERAS, c, 24));
    fade_black();
}

}  // namespace

void attract_replay_setup() {
    w_word_set(W_GAME_MODE, 0);
    w_cell_set(W_COURSE_NUMBER, 0);
    course_start_position();
    gameplay_init_state_vars();
    textram_clear();
    camera_reset();
    score_area_fill();
    camera_set(REPLAY_CAMERA, REPLAY_CELL);
    fade_black();
    w_cell_set(W_FADE_FLAGS, FADE_MODE_BLACK);
    w_cell_set(W_FADE_AMOUNT, 0);
    attract_replay_tiles_load();
    w_cell_set(W_PAGE_TIMER, 0);
    w_cell_set(W_ATTRACT_PHASE, 11);
    attract_replay_run();
}

void attract_replay_run() {
    int32_t d = w_cell(W_PAGE_TIMER);
    replay_camera(d);
    if (d >= 3) {
        text_block_draw(TITLE_BLOCK, TITLE_COLUMN, TITLE_ROW, TITLE_TILE, 1);
        text_block_draw(HEAD_BLOCK, HEAD_COLUMN, HEAD_ROW, HEAD_TILE, 1);
        if (d < LOWER_PLACES_TO) attract_score_digits(entry_after(w_cell_byte(W_SCORE_HEAD), 5), 6);
        if (d >= UPPER_PLACES_FROM && d < SECOND_CLEAR)
            attract_score_digits(entry_after(w_cell_byte(W_SCORE_HEAD), 0), 1);
    }
    if (d == FIRST_CLEAR || d == SECOND_CLEAR) textram_clear();
    score_scene_world(true);
    if (d >= REPLAY_FADE_FROM && w_cell(W_GAME_STATE) != STATE_STAGE_START)
        w_cell_set(W_FADE_AMOUNT, std::min(2 * d - 1186, FADE_FULL));
    w_cell_set(W_PAGE_TIMER, wrap_add(d, 1));
    if (d >= REPLAY_FRAMES) attract_next_scene();
}

void attract_course_demo_setup() {
    textram_clear();
    sound_stop_all();
    score_area_fill();
    attract_course_start(0);
    w_cell_set(W_FADE_FLAGS, FADE_MODE_BLACK);
    w_cell_set(W_FADE_AMOUNT, 0);
    w_cell_set(W_PAGE_TIMER, 0);
    cgram_load_tile_block(COURSE_DEMO_BLOCK, COURSE_DEMO_TILE);
    w_cell_set(W_ATTRACT_PHASE, 13);
    attract_course_demo_run();
}

void attract_course_demo_run() {
    int32_t c = w_cell(W_PAGE_TIMER);
    int32_t n = 0;
    while (n + 1 < 4 && rom_table_long(COURSE_DEMO_THRESHOLDS, n + 1, 0) <= c) n++;
    int64_t start = rom_table_long(COURSE_DEMO_THRESHOLDS, n, 0);
    int64_t next = rom_table_long(COURSE_DEMO_THRESHOLDS, n + 1, 0);
    int64_t in = c - start;
    if (n != w_cell(W_COURSE_NUMBER)) attract_course_start(n);
    if (in >= REVEAL_FROM && in < REVEAL_FROM + REVEAL_FRAMES) attract_ranking_score(int32_t(in - REVEAL_FROM));
    if (in == REFILL_AT) score_area_fill();
    if (c >= 3) text_block_draw(COURSE_DEMO_BLOCK, 3, 3, COURSE_DEMO_TILE, 1);
    for (int32_t k = 0; k < BEST_DIGITS + 4; k++)
        text_block_draw(DIGIT_BLOCK, BEST_COLUMN + 2 * k, BEST_ROW, BEST_DIGIT_TILE + 4 * k, 1);
    for (int32_t k = 0; k < 3; k++)
        text_block_draw(DIGIT_BLOCK, BEST_INITIALS_COLUMN + 2 * k, BEST_INITIALS_ROW, BEST_INITIAL_TILE + 4 * k, 1);
    if (next - c <= 64)
        w_cell_set(W_FADE_AMOUNT, int32_t(std::clamp<int64_t>(4 * (int64_t(c) - next) + 252, 0, FADE_FULL)));
    else if (in >= 0 && in < 32)
        w_cell_set(W_FADE_AMOUNT, int32_t(248 - 8 * in));
    if (n < NAME_COURSES) {
        int32_t x = int32_t(std::max<int64_t>(768 - 16 * std::max<int64_t>(in, 0), -256));
        dl_object_put(0, NAME_MODEL + 2 * n, x, NAME_Y, NAME_DEPTH, 0, 0, 0, 0);
    }
    score_scene_world(false);
    w_cell_set(W_PLAY_FRAME_COUNTER, wrap_add(w_cell(W_PLAY_FRAME_COUNTER), 1));
    w_cell_set(W_PAGE_TIMER, wrap_add(c, 1));
    if (n == 2 && int64_t(c) == next - 2 && w_cell(W_GAME_STATE) != STATE_STAGE_START) attract_next_scene();
}

void ranking_page_tiles_load() {
    for (const tile_load& t : PAGE_HEADINGS) cgram_load_tile_block(t.block, t.tile);
    for (int32_t t = 0; t < RANK_COURSE_TABLES; t++)
        for (int32_t r = 0; r < 3; r++) {
            uint32_t entry = uint32_t(ranking_entry_cell(t, r));
            for (uint32_t i = 0; i < 3; i++)
                cgram_load_tile_block(w_cell_byte(entry + 4 + i) + INITIAL_BLOCKS,
                                      PAGE_INITIAL_TILE + 36 * t + 12 * r + 4 * int32_t(i));
        }
    for (int32_t d = 0; d < 10; d++) cgram_load_tile_block(PAGE_DIGITS + d, PAGE_DIGIT_TILE + d);
    for (int32_t k = 0; k < 4; k++) cgram_load_tile_block(PAGE_POINTS[k], PAGE_POINTS_TILE + k);
    palette_bank_load(PAGE_PALETTE, 1);
}

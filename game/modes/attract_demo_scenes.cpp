// The attract scenes over recorded demo flights: the demo flight with its captions and
// closing texts, and the two model scenes (a: one demo, b: ten demo segments) with the
// mode model swinging in.
#include "game/modes/attract_scenes.h"

#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/attract_ram.h"
#include "game/modes/attract_sequencer.h"
#include "game/services/area_sounds.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/run_ram.h"
#include "game/world/camera.h"
#include "game/world/course_start.h"
#include "game/world/demo_flights.h"
#include "game/world/gameplay_state.h"
#include "game/world/race_hud.h"
#include "game/world/run_recorder.h"

#include <algorithm>

namespace {

constexpr int32_t DIP_DEBUG = 0x10;
constexpr int32_t FADE_MODE_WHITE = 1, FADE_MODE_BLACK = 3;
constexpr int32_t FADE_FULL = 255, FADE_END = 256;
constexpr int32_t RACE_TIME = 3600;

// ---- Captions -----------------------------------------------------------------------
constexpr int32_t CAPTION_LAG = 3;       // a caption's start counts from scene frame 3
constexpr int32_t REVEAL_FRAMES = 16;    // one pixel row of the caption per frame
constexpr int32_t COVER_BLOCK = 0, COVER_TILE = 288;
constexpr int32_t CAPTION_COLUMN = 1, CAPTION_ROW = 25, CAPTION_TILE = 416;
constexpr int32_t EXTRA_TILE = 544, EXTRA_PALETTE = 5;
struct caption_extra {
    int32_t text, block, column, row;
};
constexpr caption_extra CAPTION_EXTRAS[] = {{3, 248, 24, 5}, {5, 247, 9, 6}, {6, 247, 20, 7}};
// Texts 4 and 7 clear the extra block of the text before them.
constexpr int32_t EXTRA_CLEARED_BY[2][2] = {{4, 3}, {7, 6}};

// ---- Demo flight --------------------------------------------------------------------
constexpr uint32_t DEMO_INPUT = 0x190AD0;  // the recorded inputs; their first long the frames
constexpr int32_t DEMO_PATH_LENGTH = 2560;
constexpr int32_t DEMO_TYPE = 14, DEMO_PALETTE_5 = 248;
constexpr int32_t CLOSING_COLUMN = 5, CLOSING_ROW = 20, COUNTDOWN_ROW = 22;
constexpr int32_t DEMO_FADE_OUT_SEGMENT = 2, DEMO_FADE_OUT_FRAMES = 64, DEMO_FADE_OUT_STEP = 4;
constexpr int32_t PATH_FADE_FRAMES = 128;

// ---- Model scenes -------------------------------------------------------------------
constexpr int32_t MODEL_A_DEMO = 9, MODEL_PALETTE_5 = 11;
constexpr int32_t MODEL_A = 873, MODEL_B = 875;
constexpr int32_t MODEL_X = -448, MODEL_Z = 1280, MODEL_Y_TOP = 1024, MODEL_Y_DROP = 704, MODEL_SWING_FRAMES = 64;
constexpr int32_t A_LAST_SEGMENT = 4, A_FADE_FRAMES = 32, A_FADE_STEP = 4;
constexpr int32_t B_DEMO_SEGMENTS = 9, B_LAST_SEGMENT = 8, B_END_AFTER = 5, B_FADE_FRAMES = 32, B_FADE_STEP = 8;
constexpr int32_t B_TYPE_BASE = 10, B_PITCH_FROM = 240, B_PITCH_TO = 120, B_PITCH = 0x1000;

void fade_black(int32_t mode) {
    fade_colour_set(0);
    w_cell_set(W_FADE_FLAGS, mode);
}

void race_timers_set() {
    w_cell_set(W_RACE_TIMER, RACE_TIME);
    w_cell_set(W_RACE_TIMER_SHOWN, RACE_TIME);
}

bool debug_switch() {
    return w_cell(W_DIP_SWITCH_BITS) & DIP_DEBUG;
}

// The last of `count` starts that `frames` has reached, -1 before the first. The
// starts are read in order and the walk stops at the first not reached.
int32_t segment_of(const rom_table& starts, int32_t frames) {
    int32_t s = -1;
    while (s + 1 < int32_t(starts.count) && rom_table_long(starts, s + 1, 0) <= frames) s++;
    return s;
}

// Caption t of a set, `f` frames after its start: the cover block while the caption's
// block is revealed row by row, then the block itself (a block of 0 or less blanks the
// caption area); the demo's captions 3, 5 and 6 add a blinking block.
void caption_draw(int32_t t, int32_t f, int32_t block, int32_t palette, bool extras) {
    const caption_extra* extra = nullptr;
    if (extras)
        for (const caption_extra& e : CAPTION_EXTRAS)
            if (e.text == t) extra = &e;
    if (f < REVEAL_FRAMES) {
        text_block_draw(COVER_BLOCK, CAPTION_COLUMN, CAPTION_ROW, COVER_TILE, 1);
        if (block > 0) cgram_load_block_at(block, CAPTION_TILE, f);
        if (extra) cgram_load_block_at(extra->block, EXTRA_TILE, f);
        return;
    }
    if (block <= 0)
        text_block_clear(COVER_BLOCK, CAPTION_COLUMN, CAPTION_ROW);
    else
        text_block_draw(block, CAPTION_COLUMN, CAPTION_ROW, CAPTION_TILE, palette);
    if (extra) {
        if (f & 0x10)
            text_block_draw(extra->block, extra->column, extra->row, EXTRA_TILE, EXTRA_PALETTE);
        else
            text_block_clear(extra->block, extra->column, extra->row);
    }
    if (!extras) return;
    for (const auto& pair : EXTRA_CLEARED_BY)
        if (pair[0] == t)
            for (const caption_extra& e : CAPTION_EXTRAS)
                if (e.text == pair[1]) text_block_clear(e.block, e.column, e.row);
}

// The demo's captions: the index only moves forward, one start at a time, up to the last.
void attract_demo_text() {
    int32_t f = wrap_sub(w_cell(W_DEMO_SCENE_FRAMES), CAPTION_LAG);
    int32_t t = w_cell(W_DEMO_TEXT_INDEX);
    int32_t last = int32_t(DEMO_TEXT_STARTS.count) - 1;
    if (t < -1 || t > last) t = -1;
    while (t < last && f >= w_cell(W_DEMO_TEXT_NEXT)) {
        t++;
        w_cell_set(W_DEMO_TEXT_NEXT, t < last ? rom_table_long(DEMO_TEXT_STARTS, t + 1, 0) : INT32_MAX);
    }
    w_cell_set(W_DEMO_TEXT_INDEX, t);
    if (t < 0) return;
    caption_draw(t, wrap_sub(f, rom_table_long(DEMO_TEXT_STARTS, t, 0)), rom_table_long(DEMO_TEXT_BLOCKS, t, 0), 1,
                 true);
}

void model_scene_text(const rom_table& starts, const rom_table& blocks) {
    int32_t f = wrap_sub(w_cell(W_MODEL_SCENE_FRAMES), CAPTION_LAG);
    int32_t t = segment_of(starts, f);
    if (t < 0) return;
    caption_draw(t, wrap_sub(f, rom_table_long(starts, t, 0)), rom_table_long(blocks, t, 0), EXTRA_PALETTE, false);
}

void attract_demo_step() {
    int32_t frames = w_cell(W_DEMO_SCENE_FRAMES);
    int32_t s = segment_of(DEMO_SEGMENT_STARTS, frames);
    if (s < 0) return;
    if (s < int32_t(DEMO_SEGMENT_DEMOS.count) && frames == rom_table_long(DEMO_SEGMENT_STARTS, s, 0)) {
        w_cell_set(W_DEMO_CAMERA_TYPE, DEMO_TYPE);
        demo_course_start(rom_table_long(DEMO_SEGMENT_DEMOS, s, 0));
    }
    demo_world_frame();
    camera_grid_cell_update();
    hud_update();
    int32_t end = rom_table_long(DEMO_SEGMENT_STARTS, DEMO_FADE_OUT_SEGMENT + 1, 0);
    if (s == DEMO_FADE_OUT_SEGMENT && int64_t(end) - frames <= DEMO_FADE_OUT_FRAMES) {
        w_cell_set(W_SCENE_FADE_DIR, 1);
        w_cell_set(W_SCENE_FADE_STEP, DEMO_FADE_OUT_STEP);
    }
}

void race_timers_step() {
    w_cell_set(W_RACE_TIMER, std::max(w_cell(W_RACE_TIMER) - 1, 0));
    race_timer_shown_follow();
    w_cell_set(W_TRAIL_COUNT_SHOWN, w_cell(W_PLAY_FRAME_COUNTER));
}

void closing_text_check() {
    int32_t frames = w_cell(W_DEMO_SCENE_FRAMES);
    for (int32_t kind = 0; kind < 2; kind++) {
        if (frames != rom_table_byte(DEMO_CLOSING_FRAMES, kind, 0)) continue;
        w_cell_set(W_ATTRACT_SCENE_FLAG, 1);
        w_cell_set(W_DEMO_TEXT_KIND, kind);
        w_cell_set(W_DEMO_TEXT_TIMER, rom_table_byte(DEMO_CLOSING_LENGTHS, kind, 0) - 1);
        return;
    }
}

// One frame of a closing text: the flight stands.
void closing_text_frame() {
    if (debug_switch())
        text_print_hex(CLOSING_COLUMN, COUNTDOWN_ROW, 4, uint32_t(w_cell(W_DEMO_TEXT_TIMER)), 0);
    else
        area_sound_update();
    int32_t timer = w_cell(W_DEMO_TEXT_TIMER) - 1;
    w_cell_set(W_DEMO_TEXT_TIMER, timer);
    if (timer >= 0) return;
    text_print(CLOSING_COLUMN, CLOSING_ROW, DEMO_CLOSING_TEXT, 0);
    w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
    w_cell_set(W_DEMO_SCENE_FRAMES, w_cell(W_DEMO_SCENE_FRAMES) + 1);
}

// The scene fade: in by the step down to 0, out by the step; true once fading out has
// reached full.
bool scene_fade(int32_t base) {
    int32_t step = w_cell(W_SCENE_FADE_STEP);
    if (w_cell(W_SCENE_FADE_DIR) == 0) {
        w_cell_set(W_FADE_AMOUNT, std::max(wrap_sub(base, step), 0));
        return false;
    }
    int32_t fade = wrap_add(base, step);
    if (fade < FADE_FULL && fade >= 0) {
        w_cell_set(W_FADE_AMOUNT, fade);
        return false;
    }
    w_cell_set(W_FADE_AMOUNT, FADE_FULL);
    return true;
}

// ---- Model scenes -------------------------------------------------------------------

void model_scene_setup(int32_t fade_mode, int32_t next_phase) {
    w_cell_set(W_MODEL_SCENE_FRAMES, 0);
    w_cell_set(W_SCENE_FADE_DIR, 0);
    w_cell_set(W_SCENE_FADE_STEP, FADE_END);
    w_cell_set(W_WING_SET, 0);
    fade_black(fade_mode);
    race_timers_set();
    cgram_load_tile_block(COVER_BLOCK, COVER_TILE);
    palette_bank_load(0, 1);
    palette_bank_load(MODEL_PALETTE_5, 5);
    w_cell_set(W_ATTRACT_PHASE, next_phase);
}

// The mode's model drops in over the first 64 frames, rolling along the sine table; the
// fade follows the step; the scene ends when the fade out has reached full in its last
// segments.
void model_scene_common(int32_t model, bool may_end) {
    int32_t frames = w_cell(W_MODEL_SCENE_FRAMES);
    int32_t y = frames < MODEL_SWING_FRAMES
                    ? MODEL_Y_TOP - MODEL_Y_DROP * math_sin(std::max(frames, 0) * 256) / 0x8000
                    : MODEL_Y_TOP - MODEL_Y_DROP;
    int32_t roll = math_sin(wrap_mul(frames, 512)) / 16;
    dl_object_put(0, model, MODEL_X, y, MODEL_Z, 0, 0, roll, 0);
    if (debug_switch()) {
        const int32_t values[3] = {frames, w_cell(W_FADE_AMOUNT), w_cell(W_SCENE_FADE_STEP)};
        for (int32_t k = 0; k < 3; k++) text_print_hex(2, 15 + k, 4, uint32_t(values[k]), 0);
    }
    bool full = scene_fade(w_cell(W_FADE_AMOUNT));
    w_cell_set(W_MODEL_SCENE_FRAMES, wrap_add(frames, 1));
    if (full && may_end) {
        run_end_cleanup();
        attract_next_scene();
    }
}

}  // namespace

void attract_demo_setup() {
    w_cell_set(W_DEMO_SCENE_FRAMES, 0);
    w_cell_set(W_DEMO_TEXT_TIMER, -1);
    w_cell_set(W_DEMO_CURSOR, int32_t(DEMO_INPUT));
    w_cell_set(W_DEMO_PATH_LENGTH, DEMO_PATH_LENGTH);
    w_cell_set(W_DEMO_PATH_PROGRESS, 0);
    w_cell_set(W_DEMO_TEXT_INDEX, -1);
    w_cell_set(W_DEMO_TEXT_NEXT, rom_table_long(DEMO_TEXT_STARTS, 0, 0));
    textram_clear();
    w_cell_set(W_WING_SET, 0);
    w_cell_set(W_PLAY_FRAME_COUNTER, bus_read32(DEMO_INPUT));
    w_word_set(W_GAME_MODE, 0);
    course_start_position();
    gameplay_init_state_vars();
    race_timers_set();
    fade_black(FADE_MODE_BLACK);
    w_cell_set(W_SCENE_FADE_DIR, 0);
    w_cell_set(W_SCENE_FADE_STEP, FADE_FULL);
    cgram_load_tile_block(COVER_BLOCK, COVER_TILE);
    palette_bank_load(0, 1);
    palette_bank_load(DEMO_PALETTE_5, 5);
    w_cell_set(W_ATTRACT_PHASE, 5);
    attract_demo_run();
}

void attract_demo_run() {
    if (w_cell(W_ATTRACT_SCENE_FLAG) != 0) {
        closing_text_frame();
        return;
    }
    attract_demo_text();
    attract_demo_step();
    race_timers_step();
    closing_text_check();
    int32_t left = wrap_sub(w_cell(W_DEMO_PATH_LENGTH), w_cell(W_DEMO_PATH_PROGRESS));
    int32_t base = w_cell(W_FADE_AMOUNT);
    if (left < PATH_FADE_FRAMES) {
        w_cell_set(W_FADE_FLAGS, FADE_MODE_BLACK);
        base = 254 - 2 * std::max(left, -1);
    }
    if (scene_fade(base)) {
        w_cell_set(W_ATTRACT_SCENE_FLAG, 0);
        attract_next_scene();
    }
    w_cell_set(W_DEMO_SCENE_FRAMES, wrap_add(w_cell(W_DEMO_SCENE_FRAMES), 1));
}

void attract_model_scene_a_setup() {
    demo_course_start(MODEL_A_DEMO);
    model_scene_setup(FADE_MODE_BLACK, 17);
    attract_model_scene_a_run();
}

void attract_model_scene_a_run() {
    int32_t frames = w_cell(W_MODEL_SCENE_FRAMES);
    int32_t s = segment_of(MODEL_A_SEGMENTS, frames);
    model_scene_text(MODEL_A_TEXT_STARTS, MODEL_A_TEXT_BLOCKS);
    demo_world_frame();
    int32_t end = rom_table_long(MODEL_A_TEXT_STARTS, 0, 0);  // the long after the segments
    if (s == A_LAST_SEGMENT && int64_t(end) - frames <= A_FADE_FRAMES) {
        w_cell_set(W_SCENE_FADE_DIR, 1);
        w_cell_set(W_SCENE_FADE_STEP, A_FADE_STEP);
    }
    model_scene_common(MODEL_A, s == A_LAST_SEGMENT);
}

void attract_model_scene_b_setup() {
    model_scene_setup(FADE_MODE_WHITE, 19);
    attract_model_scene_b_run();
}

void attract_model_scene_b_run() {
    int32_t frames = w_cell(W_MODEL_SCENE_FRAMES);
    int32_t s = segment_of(MODEL_B_SEGMENTS, frames);
    if (s >= 0) {
        int32_t type = rom_table_long(MODEL_B_TYPES, s, 0);
        bool first = frames == rom_table_long(MODEL_B_SEGMENTS, s, 0);
        if (first && s < B_DEMO_SEGMENTS) demo_course_start(rom_table_long(MODEL_B_DEMOS, s, 0));
        w_cell_set(W_DEMO_CAMERA_TYPE, first ? wrap_add(type, B_TYPE_BASE) : type);
    }
    model_scene_text(MODEL_B_TEXT_STARTS, MODEL_B_TEXT_BLOCKS);
    demo_world_frame();
    if (s == B_LAST_SEGMENT) {
        int64_t left = int64_t(rom_table_long(MODEL_B_SEGMENTS, B_LAST_SEGMENT + 1, 0)) - frames;
        int32_t pitch = w_cell(W_CAMERA_PITCH);
        if (left <= B_FADE_FRAMES) {
            w_cell_set(W_SCENE_FADE_DIR, 1);
            w_cell_set(W_SCENE_FADE_STEP, B_FADE_STEP);
            w_cell_set(W_CAMERA_PITCH, math_sin(B_PITCH));
        } else if (left <= B_PITCH_FROM && left >= B_PITCH_TO) {
            w_cell_set(W_CAMERA_PITCH, wrap_add(pitch, wrap_sub(math_sin(B_PITCH), pitch) / 16));
        }
    }
    model_scene_common(MODEL_B, s > B_END_AFTER);
}


#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/course_select.h"
#include "game/modes/intro_screens.h"
#include "game/modes/select_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"

#include <algorithm>

namespace {

constexpr int32_t DIP_DEBUG = 0x10;
constexpr int32_t SOUND_INTRO = 63, SOUND_MODE_SELECT = 15, SOUND_MOVE = 16, SOUND_CONFIRM = 17;
constexpr int32_t SOUND_VOICE = 38, VOICE_MODE = 0x6B, VOICE_FRAME = 10;

// ---- Intro -------------------------------------------------------------------------------
constexpr int32_t INTRO_STEPS = 8, LAST_STEP = 7, TEXT_STEPS = 7;
constexpr rom_table STEP_STARTS = {0x398F4, 4, INTRO_STEPS};
constexpr rom_table STEP_TEXTS = {0x3991C, 4, TEXT_STEPS};
constexpr rom_table STEP_PLACES = {0x39938, 8, TEXT_STEPS};  // column, row
constexpr int32_t TEXT_START = 3;            // the text begins on frame 3
constexpr int32_t REVEAL_FRAMES = 16;         // one pixel row of the text per frame
constexpr int32_t TEXT_TILE = 352, BLINK_TILE = 576;
constexpr int32_t LOGO_MODEL = 39, LOGO_X = 0x8000, LOGO_Y = -0x88000, LOGO_Z = -0xBF600;
constexpr int32_t INTRO_VIEW_FOV = 1920;
constexpr int32_t SPRITE_FROM = 15;           // a step's sprites from its 16th frame

struct tile_load {
    int32_t block, tile;
};
constexpr tile_load INTRO_TILES[] = {{184, 288}, {179, 432}, {205, 480}};
constexpr int32_t INTRO_TEXT_PALETTE = 184, INTRO_BANK5_PALETTE = 244;
constexpr int32_t TITLE_BLOCK = 205, TITLE_COLUMN = 15, TITLE_ROW = 6, TITLE_TILE = 480;

// Steps 1 to 4: a still block (from block 179's tiles) and a blinking one.
struct step_blocks {
    int32_t still, still_column, blink, blink_column, row;
};
constexpr int32_t NONE = -1, STILL_TILE = 432;
constexpr step_blocks STEP_BLOCKS[5] = {
    {NONE, 0, NONE, 0, 0}, {250, 25, 201, 27, 14}, {249, 12, 199, 7, 14}, {NONE, 0, 200, 7, 14}, {NONE, 0, 204, 7, 14},
};
// Step 5 alternates two blocks every 16 frames.
constexpr int32_t STEP5_A = 243, STEP5_A_TILE = 528, STEP5_A_COLUMN = 21, STEP5_A_ROW = 19;
constexpr int32_t STEP5_B = 244, STEP5_B_TILE = 512, STEP5_B_COLUMN = 16, STEP5_B_ROW = 14;

// Sprites of steps 1 to 4: the step's picture alternating with 404 every 32 frames.
struct step_picture {
    int32_t tile, x;
};
constexpr step_picture STEP_PICTURES[5] = {{0, 0}, {406, 224}, {405, 224}, {408, 193}, {407, 224}};
constexpr int32_t PICTURE_OTHER = 404, PICTURE_X = 224, PICTURE_Y = 192, PICTURE_SIZE = 64;

// ---- Mode select ----------------------------------------------------------------------------
constexpr int32_t SELECT_TIMER_START = 599, ZOOM_STEP = 8, ZOOM_END = 256;
constexpr int32_t END_FRAMES = 45;
constexpr uint32_t POINTER_TARGETS = 0x35080, POINTER_BASE_Y = 0x35088;
constexpr int32_t HINT_BLOCK = 28, HINT_TILE = 320, HINT_COLUMN = 19, HINT_ROW = 28, HINT_BANK = 5;
constexpr int32_t POINTER_SPRITE = 343, POINTER_LAYER = 6, SPRITE_SIZE = 32;
constexpr int32_t SWING_MAX = 128, SWING_PHASE_STEP = 512;
constexpr int32_t CHOICE_DEPTH = 848, STAND_MODEL = 877;
struct choice {
    int32_t model, x, y, stand_x, stand_y;
};
constexpr choice CHOICES[2] = {{873, -208, 168, -192, 152}, {875, 208, 168, 224, 152}};
constexpr int32_t PORT_BUTTON_DOWN = 0x20, PORT_BUTTON_UP = 0x10;
constexpr int32_t PORT_DEBUG_UP = 0x80, PORT_DEBUG_DOWN = 0x40;

// ---- Day card -------------------------------------------------------------------------------
constexpr uint32_t DAY_BLOCKS = 0x39970, DAY_PLACES = 0x39984;  // long per day; column, row per day
constexpr int32_t DAY_TILE = 288, LAST_DAY = 3;
constexpr int32_t FINAL_BLOCK = 287, FINAL_TILE = 416, FINAL_COLUMN = 10, FINAL_ROW = 16, FINAL_BANK = 5;
constexpr int32_t CARD_FRAMES = 87, CARD_FIRST_FRAME = 3;
constexpr int32_t FADE_IN_STEP = 4, FADE_OUT_STEP = 6, FADE_END = 256;
constexpr uint32_t CARD_LEAVING = 0x10000;

bool debug_switch() {
    return w_cell(W_DIP_SWITCH_BITS) & DIP_DEBUG;
}

bool blink_on() {
    return !(w_cell(W_INTRO_STEP_FRAMES) & 0x20);
}

// The step's text block, NONE for a negative record (and for steps without a text).
int32_t step_text_block() {
    if (w_cell(W_INTRO_STEP_NUMBER) < 0 || w_cell(W_INTRO_STEP_NUMBER) >= TEXT_STEPS) return NONE;
    int32_t record = rom_table_long(STEP_TEXTS, w_cell(W_INTRO_STEP_NUMBER), 0);
    return record < 0 ? NONE : record;
}

void step_extra_blocks_draw() {
    int32_t s = w_cell(W_INTRO_STEP_NUMBER);
    if (s >= 1 && s <= 4) {
        const step_blocks& b = STEP_BLOCKS[s];
        if (w_cell(W_INTRO_STEP_FRAMES) == 0) cgram_load_tile_block(b.blink, BLINK_TILE);
        if (b.still != NONE) text_block_draw(b.still, b.still_column, b.row, STILL_TILE, 1);
        if (blink_on())
            text_block_draw(b.blink, b.blink_column, b.row, BLINK_TILE, 1);
        else
            text_block_clear(b.blink, b.blink_column, b.row);
    } else if (s == 5) {
        if (w_cell(W_INTRO_STEP_FRAMES) == 0) {
            cgram_load_tile_block(STEP5_A, STEP5_A_TILE);
            cgram_load_tile_block(STEP5_B, STEP5_B_TILE);
        }
        bool first = !(w_cell(W_INTRO_STEP_FRAMES) & 0x10);
        text_block_clear(first ? STEP5_B : STEP5_A, first ? STEP5_B_COLUMN : STEP5_A_COLUMN,
                         first ? STEP5_B_ROW : STEP5_A_ROW);
        if (first)
            text_block_draw(STEP5_A, STEP5_A_COLUMN, STEP5_A_ROW, STEP5_A_TILE, 1);
        else
            text_block_draw(STEP5_B, STEP5_B_COLUMN, STEP5_B_ROW, STEP5_B_TILE, 1);
    }
}

void sprite64(int32_t tile, int32_t x, int32_t y) {
    sprite_call(0, tile, x, y, 0, PICTURE_SIZE, PICTURE_SIZE, 0, 1);
}

void intro_debug_lines(int32_t frames) {
    const int32_t values[3] = {frames, w_cell(W_INTRO_STEP_NUMBER), w_cell(W_INTRO_STEP_FRAMES)};
    for (int32_t k = 0; k < 3; k++) text_print_hex(2, 2 + k, 4, uint32_t(values[k]), 0);
}

// ---- Mode select ----------------------------------------------------------------------------

// The handle (bit 1 choice 0, bit 0 the last) and port 0's cursor buttons pick a choice.
void mode_choose() {
    int32_t cursor = w_cell(W_SELECT_CURSOR), max = uint16_t(w_word(W_SELECT_MAX));
    uint32_t dir = uint32_t(w_cell(W_DIRECTION_REPEAT)) & 0xFFFF;
    uint32_t keys = uint32_t(w_cell(W_SWITCH_PORT0 + SP_REPEAT));
    int32_t chosen = cursor;
    if ((dir & DIR_TURN_HIGH) || (keys & PORT_BUTTON_DOWN)) chosen = 0;
    if ((dir & DIR_TURN_LOW) || (keys & PORT_BUTTON_UP)) chosen = max;
    if (chosen != cursor) {
        w_cell_set(W_SELECT_CURSOR, chosen);
        sound_play(SOUND_MOVE);
    }
    lamp_bit2_set(w_cell(W_FRAME_TICK) & 0x48);
    w_word_set(W_GAME_MODE, uint32_t(chosen));
    bool confirmed_now = false;
    if (select_press_or_start()) {
        sound_play(SOUND_CONFIRM);
        confirmed_now = true;
    }
    int32_t timer = w_cell(W_SELECT_TIMER) - 1;
    w_cell_set(W_SELECT_TIMER, timer);
    if (timer < 0 && !confirmed_now) {
        sound_play(SOUND_CONFIRM);
        confirmed_now = true;
    }
    if (confirmed_now) {
        w_word_set(W_SELECT_HOLD, 1);
        lamp_bit2_set(0);
    }
}

void mode_debug_stage() {
    uint32_t pressed = uint32_t(w_cell(W_SWITCH_PORT0 + SP_PRESSED));
    int32_t step = pressed & PORT_DEBUG_UP ? 1 : pressed & PORT_DEBUG_DOWN ? 2 : 0;
    uint32_t stage = uint32_t(uint16_t(w_word(W_COURSE_PAIR)));
    if (step != 0) {
        stage = (stage + uint32_t(step)) % 3;
        w_word_set(W_COURSE_PAIR, stage);
    }
    text_print_hex(5, 6, 1, stage + 1, 0);
}

void choices_draw(bool confirmed) {
    int32_t frames = w_cell(W_SELECT_FRAMES), cursor = w_cell(W_SELECT_CURSOR);
    for (int32_t n = 0; n < 2; n++) {
        uint32_t amp_word = W_SELECT_SWING_AMP + 2 * uint32_t(n), phase_cell = W_SELECT_SWING_PHASE + 4 * uint32_t(n);
        int32_t amp = w_word(amp_word);
        amp = cursor == n && !confirmed ? std::min(amp + 1, SWING_MAX) : std::max(amp - 1, 0);
        w_word_set(amp_word, amp);
        int32_t phase = wrap_add(w_cell(phase_cell), SWING_PHASE_STEP);
        w_cell_set(phase_cell, phase);
        int32_t roll = (math_sin(phase) * amp) >> 12;
        const choice& c = CHOICES[n];
        int32_t drop = confirmed && cursor != n ? frames * frames : 0;
        dl_object_put(0, c.model, c.x, c.y - drop, CHOICE_DEPTH, 0, 0, roll, 0);
        dl_object_put(0, STAND_MODEL, c.stand_x, c.stand_y - drop, CHOICE_DEPTH, 0, 0, roll, 0);
    }
}

void mode_pointer_draw() {
    int32_t frames = w_cell(W_SELECT_FRAMES), anim = w_cell(W_SELECT_ANIM);
    int32_t target = int32_t(bus_read32(POINTER_TARGETS + 4 * uint32_t(w_cell(W_SELECT_CURSOR))));
    int32_t x = w_cell(W_SELECT_POINTER_X);
    x = wrap_add(x, wrap_add(2 * frames, wrap_sub(target, x) / 16));
    w_cell_set(W_SELECT_POINTER_X, x);
    int32_t y = wrap_add(int32_t(bus_read32(POINTER_BASE_Y)), 8 * frames + math_sin(2048 * (anim & 31)) / 2048);
    w_cell_set(W_SELECT_POINTER_Y, y);
    sprite_call(POINTER_LAYER, POINTER_SPRITE, x, y, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
}

// ---- Day card -------------------------------------------------------------------------------

// The day's block and its place: the day word indexes the ROM as the bus answers.
struct day_card {
    int32_t block, column, row;
};
day_card day_card_of(int32_t day) {
    uint32_t d = uint32_t(day);
    return {int32_t(bus_read32(DAY_BLOCKS + 4 * d)), int32_t(bus_read32(DAY_PLACES + 8 * d)),
            int32_t(bus_read32(DAY_PLACES + 4 + 8 * d))};
}

}  // namespace

void intro_tiles_load() {
    textram_clear();
    for (const tile_load& t : INTRO_TILES) cgram_load_tile_block(t.block, t.tile);
    palette_bank_load(INTRO_TEXT_PALETTE, 1);
    palette_bank_load(INTRO_BANK5_PALETTE, 5);
}

void intro_text_draw() {
    if (w_cell(W_INTRO_STEP_NUMBER) >= 0 && w_cell(W_INTRO_STEP_FRAMES) == 0) textram_clear();
    int32_t block = step_text_block();
    if (block != NONE) {
        if (w_cell(W_INTRO_STEP_FRAMES) < REVEAL_FRAMES)
            cgram_load_block_at(block, TEXT_TILE, w_cell(W_INTRO_STEP_FRAMES));
        text_block_draw(block, rom_table_long(STEP_PLACES, w_cell(W_INTRO_STEP_NUMBER), 0),
                        rom_table_long(STEP_PLACES, w_cell(W_INTRO_STEP_NUMBER), 4), TEXT_TILE, 1);
    }
    step_extra_blocks_draw();
    text_block_draw(TITLE_BLOCK, TITLE_COLUMN, TITLE_ROW, TITLE_TILE, 1);
}

void intro_step_sprites() {
    int32_t s = w_cell(W_INTRO_STEP_NUMBER), f = w_cell(W_INTRO_STEP_FRAMES);
    if (f < SPRITE_FROM) return;
    if (s >= 1 && s <= 4) {
        if (f & 0x20)
            sprite64(PICTURE_OTHER, PICTURE_X, PICTURE_Y);
        else
            sprite64(STEP_PICTURES[s].tile, STEP_PICTURES[s].x, PICTURE_Y);
    } else if (s == 5) {
        int32_t tile = 424 - (f >> 2 & 7);
        sprite64(tile, tile == 419 ? 162 : 160, 160);
    } else if (s == 6) {
        sprite_call(0, 497, 160, 144, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
        sprite_call(0, 498, 416, 144, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
    }
}

void intro_sequence_run() {
    int32_t frames = w_cell(W_INTRO_STEP);  // intro_frames
    w_cell_set(W_INTRO_TEXT_FRAMES, frames - TEXT_START);
    uint32_t view = (DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current()) / 4;
    dsp_word_set(view + DL_VIEW_FOV_WORD, INTRO_VIEW_FOV);

    // Steps whose start has passed; -1 before the first.
    int32_t s = -1;
    while (s + 1 < INTRO_STEPS && rom_table_long(STEP_STARTS, s + 1, 0) <= frames) s++;
    w_cell_set(W_INTRO_STEP_NUMBER, s);
    w_cell_set(W_INTRO_STEP_FRAMES, s < 0 ? frames : wrap_sub(frames, rom_table_long(STEP_STARTS, s, 0)));

    if (frames == TEXT_START) intro_tiles_load();
    if (s == LAST_STEP || select_press_or_start()) w_cell_set(W_INTRO_TIMER, 1);  // intro_done
    if (w_cell(W_INTRO_TIMER) != 0) {
        w_cell_set(W_GAME_SUB_STATE, 12);
        sound_stop(SOUND_INTRO);
    }
    uint32_t tick = uint32_t(w_cell(W_FRAME_TICK));
    dl_object_put(0, LOGO_MODEL, LOGO_X, LOGO_Y, LOGO_Z, 0, int32_t(tick * 32 & 0xFFFF), 0, 0);
    if (frames >= TEXT_START) {
        intro_text_draw();
        intro_step_sprites();
    }
    lamp_bit2_set(frames & 0x20);
    if (debug_switch()) intro_debug_lines(frames);
    w_cell_set(W_INTRO_STEP, frames + 1);
}

void mode_select_enter() {
    textram_clear();
    camera_reset();
    sound_stop_all();
    w_cell_set(W_SELECT_FRAMES, 0);
    w_word_set(W_SELECT_MAX, 1);
    w_word_set(W_GAME_MODE, 0);
    w_cell_set(W_SELECT_ANIM, 0);
    for (uint32_t n = 0; n < 2; n++) {
        w_word_set(W_SELECT_SWING_AMP + 2 * n, 0);
        w_cell_set(W_SELECT_SWING_PHASE + 4 * n, 0);
    }
    w_word_set(W_SELECT_HOLD, 0);
    w_cell_set(W_SELECT_CURSOR, 0);
    w_cell_set(W_SELECT_TIMER, SELECT_TIMER_START);
    w_cell_set(W_SELECT_ZOOM, 0);
    w_cell_set(W_FADE_AMOUNT, 0);
    w_cell_set(W_SELECT_POINTER_X, int32_t(bus_read32(POINTER_TARGETS)));
    cgram_load_tile_block(HINT_BLOCK, HINT_TILE);
    palette_bank_load(HINT_BLOCK, HINT_BANK);
    w_cell_set(W_GAME_SUB_STATE, 13);
    sound_play(SOUND_MODE_SELECT);
    mode_select_run();
}

void mode_select_run() {
    int32_t anim = w_cell(W_SELECT_ANIM);
    bool confirmed = w_word(W_SELECT_HOLD) != 0;
    if (anim > 5 && w_cell(W_SELECT_FRAMES) < 3)
        text_block_draw(HINT_BLOCK, HINT_COLUMN, HINT_ROW, HINT_TILE, HINT_BANK);
    else
        text_block_clear(HINT_BLOCK, HINT_COLUMN, HINT_ROW);
    select_countdown_draw();

    if (confirmed) {
        w_cell_set(W_SELECT_ZOOM, std::min(w_cell(W_SELECT_ZOOM) + ZOOM_STEP, ZOOM_END));
        int32_t frames = select_press_or_start() ? END_FRAMES + 1 : w_cell(W_SELECT_FRAMES) + 1;
        w_cell_set(W_SELECT_FRAMES, frames);
        if (frames > END_FRAMES) w_cell_set(W_GAME_SUB_STATE, uint16_t(w_word(W_GAME_MODE)) == 1 ? 22 : 0);
    } else {
        mode_choose();
    }
    if (debug_switch()) mode_debug_stage();

    mode_pointer_draw();
    choices_draw(w_word(W_SELECT_HOLD) != 0);
    if (anim == VOICE_FRAME) sound_play_p(SOUND_VOICE << 16 | VOICE_MODE);
    if (w_word(W_SELECT_HOLD) == 0) select_handle_hint(anim);
    w_cell_set(W_SELECT_ANIM, anim + 1);
}

void pre_course_screen_run() {
    uint32_t state = uint32_t(w_cell(W_PRE_COURSE_STEP));  // day_card_state
    int32_t frame = int32_t(state & 0xFFFF);
    int32_t day = w_word(W_COURSE_PAIR + 2);
    day_card card = {};
    if (frame >= CARD_FIRST_FRAME) card = day_card_of(day);
    if (frame == CARD_FIRST_FRAME) {
        mixer_colour_set(0, 0, 0);
        textram_clear();
        cgram_load_tile_block(card.block, DAY_TILE);
        palette_bank_load(card.block, 1);
        if (day == LAST_DAY) cgram_load_tile_block(FINAL_BLOCK, FINAL_TILE);
        palette_bank_load(FINAL_BLOCK, FINAL_BANK);
    }
    if (frame >= CARD_FIRST_FRAME) {
        text_block_draw(card.block, card.column, card.row, DAY_TILE, 1);
        if (day == LAST_DAY) text_block_draw(FINAL_BLOCK, FINAL_COLUMN, FINAL_ROW, FINAL_TILE, FINAL_BANK);
    }
    if (select_press_or_start()) state |= CARD_LEAVING;
    int32_t fade = w_cell(W_FADE_AMOUNT);
    if (state & CARD_LEAVING) {
        fade += FADE_OUT_STEP;
        if (fade >= FADE_END) {
            fade = FADE_END - 1;
            w_cell_set(W_GAME_SUB_STATE, 0);
        }
    } else {
        fade = std::max(fade - FADE_IN_STEP, 0);
    }
    w_cell_set(W_FADE_AMOUNT, fade);
    frame = (frame + 1) & 0xFFFF;
    if (frame == CARD_FRAMES) state |= CARD_LEAVING;
    w_cell_set(W_PRE_COURSE_STEP, int32_t((state & ~0xFFFFu) | uint32_t(frame)));
}

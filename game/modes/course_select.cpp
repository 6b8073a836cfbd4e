
#include "board/bus.h"
#include "board/display_list.h"
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
#include "game/modes/select_ram.h"
#include "game/modes/test_env.h"
#include "game/services/digit_writers.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/node_lists.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t COURSES = 4;
constexpr int32_t LIST_ENTRIES = 4;   // select_course_list holds one course per byte
constexpr int32_t SELECT_TIMER_START = 599;
constexpr int32_t ZOOM_STEP = 8, ZOOM_END = 256;
constexpr int32_t ANIM_END = 256;     // select_anim above it ends the screen
constexpr int32_t CUE_FIRST = 240, CUE_AFTER_MOVE = 120;
constexpr int32_t DIP_DEBUG = 0x10;

constexpr int32_t SOUND_MOVE = 16, SOUND_CONFIRM = 17, SOUND_VOICE = 38;
constexpr int32_t VOICE_WELCOME = 0x6A, VOICE_HINT = 0x6C, VOICE_CHOSEN = 0x6E;
constexpr int32_t WELCOME_FRAME = 10, CHOSEN_ANIM = 128;

// Port 0's bits: the button, the cursor buttons (repeat word), the debug steps (new).
constexpr int32_t PORT_BUTTON = 0x01, PORT_DOWN = 0x20, PORT_UP = 0x10;
constexpr int32_t PORT_DEBUG_UP = 0x80, PORT_DEBUG_DOWN = 0x40;

// Text blocks: the "select" hint (bank 5) and the course name animation (bank 1).
constexpr int32_t HINT_BLOCK = 28, HINT_TILE = 320, HINT_COLUMN = 19, HINT_ROW = 28, HINT_BANK = 5;
constexpr int32_t NAME_BLOCK = 267, NAME_TILE = 288, NAME_TILE_STEP = 6, NAME_FRAMES = 4;
constexpr int32_t NAME_COLUMN = 33, NAME_ROW = 9, NAME_LOAD_FRAME = 3;
constexpr int32_t FINAL_BLOCK = 242, FINAL_TILE = 288, FINAL_COLUMN = 13, FINAL_ROW = 12;

// Models, all at depth 848 unless said.
constexpr int32_t DEPTH = 848;
constexpr int32_t MARKER_BACKDROP = 893, MARKER_MODE1 = 868, MARKER_DAY = 878;
constexpr int32_t MARKER_MODE0 = 870, MARKER_MODE0_DAY = 882, MARKER_FINAL = 865;
constexpr int32_t COURSE_MODEL_OTHER = 850, COURSE_MODEL_CHOSEN = 851, STAND_MODEL = 856;
constexpr int32_t CLEARED_MODEL = 831, CLEARED_DISTANCE = 220, CLEARED_TURN = 0x2000;
constexpr int32_t COURSE_SPACING = 288, COURSE_Y = 124, STAND_OFFSET = 16;
constexpr int32_t SWING_MAX = 128;
constexpr int32_t QUOTA_DIGIT_MODEL = 839, QUOTA_BACK_MODEL = 849, QUOTA_DEPTH = 448;
constexpr int32_t QUOTA_X[5] = {135, 92, 49, 6, -37};  // units first

// Pointer and hint sprites.
constexpr int32_t POINTER_SPACING = 192;
constexpr int32_t POINTER_TOP = 343, POINTER_BOTTOM = 344, POINTER_LAYER = 2;
constexpr int32_t POINTER_TOP_Y = 336, POINTER_BOTTOM_Y = 592;
constexpr uint32_t HANDLE_LEFT_LIST = 0x35190, HANDLE_RIGHT_LIST = 0x35198;
constexpr int32_t HANDLE_LAYER = 2, HINT_SPRITE = 427;
constexpr int32_t SPRITE_SIZE = 32;

// The clock: digits at (x, y, depth + zoom), its sprites at (e, f).
constexpr int32_t CLOCK_X = -88, CLOCK_Y = 150, CLOCK_DEPTH = 448, CLOCK_SPRITE_X = 464, CLOCK_SPRITE_Y = 32;

// Final-course card and course map.
constexpr int32_t CARD_TOP = 487, CARD_BOTTOM = 488, CARD_X = 48, CARD_TOP_Y = 144, CARD_BOTTOM_Y = 364;
constexpr int32_t MAP_TOP = 481, MAP_BOTTOM = 482, MAP_X = 64, MAP_TOP_Y = 144, MAP_BOTTOM_Y = 368;
constexpr int32_t CARD_LAYER = 6, MAP_SPRITE_SIZE = 28;
constexpr int32_t SCREEN_FRAMES = 256, FADE_OUT_STEP = 4, FADE_FULL = 255;
constexpr int32_t CONTINUE_STEPS_MAX = 3;
constexpr int32_t MAP_BALLOON = 912, MAP_BALLOON_BLINK = 913, MAP_BLINK_BITS = 0x18;

constexpr uint32_t QUOTA_TABLE = 0x15C328;
constexpr uint32_t QUOTA_REDUCTION = 0x15C4F8;
constexpr rom_table COURSE_FRAMES = {0x3508C, 32, COURSES};

bool confirmed() {
    return w_word(W_SELECT_HOLD) != 0;
}

bool debug_switch() {
    return w_cell(W_DIP_SWITCH_BITS) & DIP_DEBUG;
}

void fade_black_start() {
    w_cell_set(W_FADE_FLAGS, 3);
    w_cell_set(W_FADE_AMOUNT, 0);
}

// value moves a sixteenth of the way toward target, plus one step.
int32_t ease_toward(int32_t value, int32_t target) {
    int64_t d = int64_t(target) - value;
    if (d == 0) return value;
    return int32_t(value + d / 16 + (d > 0 ? 1 : -1));
}

int32_t course_entry(int32_t cursor) {
    if (cursor < 0 || cursor >= LIST_ENTRIES) return 0;
    return int32_t(uint32_t(w_cell(W_SELECT_COURSES)) >> (24 - 8 * cursor) & 0xFF);
}

void confirm(bool with_sound) {
    if (with_sound) sound_play(SOUND_CONFIRM);
    w_word_set(W_SELECT_HOLD, 1);
    lamp_bit2_set(0);
}

// One swing: amplitude toward `target_amp` by 1, the phase on by one (or held at 0 while
// an other course's amplitude is 0). Returns the roll angle.
int32_t course_swing(int32_t n, bool rising, bool keep_phase) {
    uint32_t amp_word = W_SELECT_SWING_AMP + 2 * uint32_t(n), phase_cell = W_SELECT_SWING_PHASE + 4 * uint32_t(n);
    int32_t amp = w_word(amp_word);
    amp = rising ? std::min(amp + 1, SWING_MAX) : std::max(amp - 1, 0);
    w_word_set(amp_word, amp);
    int32_t phase = w_cell(phase_cell);
    phase = keep_phase || amp != 0 ? wrap_add(phase, 1) : 0;
    w_cell_set(phase_cell, phase);
    int32_t index = amp * math_sin(wrap_mul(512, phase)) / 1024 / 32;
    return math_sin(2 * (index & ~1));  // an even index of the sine table's words
}

void course_models_draw() {
    int32_t m = uint16_t(w_word(W_GAME_MODE)), course = w_cell(W_COURSE_NUMBER), anim = w_cell(W_SELECT_ANIM);
    bool done = confirmed();
    dl_marker(0, MARKER_BACKDROP, 0, 0, DEPTH);
    dl_marker(0, m == 1 ? MARKER_MODE1 : MARKER_MODE0, 0, 0, DEPTH);
    dl_marker(0, m == 1 ? MARKER_DAY + w_word(W_COURSE_PAIR + 2) : MARKER_MODE0_DAY, 0, 0, DEPTH);

    int32_t x = wrap_add(wrap_mul(COURSE_SPACING, course - 1), w_cell(W_SELECT_SCROLL));
    int32_t roll = course >= 0 && course < SELECT_SWINGS ? course_swing(course, !done, true) : 0;
    dl_object_put(0, wrap_add(COURSE_MODEL_CHOSEN - m, wrap_mul(2, course)), x, COURSE_Y, DEPTH, 0, 0, roll, 0);
    dl_object_put(0, STAND_MODEL, x + STAND_OFFSET, COURSE_Y - STAND_OFFSET, DEPTH, 0, 0, roll, 0);

    for (int32_t i = 0; i < SELECT_SWINGS; i++) {
        if (i == course) continue;
        int32_t cx = COURSE_SPACING * (i - 1), y = COURSE_Y;
        int32_t r = course_swing(i, false, false);
        int32_t f = anim - 10 - 10 * i;
        if (done && f > 0) {
            y -= f * f;
            r = wrap_add(r, 2 * f * (cx / 4 - 112));
        }
        dl_object_put(0, COURSE_MODEL_OTHER + 2 * i + (1 - m), cx, y, DEPTH, 0, 0, r, 0);
        if (!(uint16_t(w_word(W_COURSES_LEFT)) >> i & 1)) {
            int32_t t = wrap_add(r, CLEARED_TURN);
            dl_object_put(0, CLEARED_MODEL, cx + CLEARED_DISTANCE * math_sin(t) / 32768,
                          y + CLEARED_DISTANCE * math_cos(t) / 32768, DEPTH, 0, 0, t, 0);
        }
        dl_object_put(0, STAND_MODEL, cx + STAND_OFFSET, y - STAND_OFFSET, DEPTH, 0, 0, r, 0);
    }
}

void pointer_draw() {
    int32_t course = w_cell(W_COURSE_NUMBER), anim = std::min(w_cell(W_SELECT_ANIM), ANIM_END);
    int32_t px = ease_toward(w_cell(W_SELECT_POINTER_X), wrap_mul(POINTER_SPACING, course));
    w_cell_set(W_SELECT_POINTER_X, px);
    int32_t py = -math_sin(wrap_mul(px, 0x8000) / POINTER_SPACING) / 512;
    if (confirmed()) py += 8 * anim;
    w_cell_set(W_SELECT_POINTER_Y, py);
    int32_t bob = math_sin(2048 * (w_cell(W_SELECT_FRAMES) & 31)) / 2048;
    int32_t x = wrap_add(px, 4 * anim);
    sprite_call(POINTER_LAYER, POINTER_TOP, x, py + bob + POINTER_TOP_Y, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
    sprite_call(POINTER_LAYER, POINTER_BOTTOM, x, py + bob + POINTER_BOTTOM_Y, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
    if (!confirmed()) select_handle_hint(w_cell(W_SELECT_FRAMES));
}

void quota_digits_draw(int32_t quota) {
    uint32_t q = uint32_t(std::max(quota, 0));
    for (int32_t x : QUOTA_X) {
        dl_marker(0, QUOTA_DIGIT_MODEL + int32_t(q % 10), x, 0, QUOTA_DEPTH);
        dl_marker(0, QUOTA_BACK_MODEL, x + 4, -5, QUOTA_DEPTH);
        q /= 10;
    }
}

// The cursor moves by the handle's new directions (bit 1 back, bit 0 on) and port 0's
// cursor buttons; the course under it becomes course_number.
void cursor_choose() {
    int32_t cursor = w_cell(W_SELECT_CURSOR), max = uint16_t(w_word(W_SELECT_MAX));
    uint32_t dir = uint32_t(w_cell(W_DIRECTION)) & 0xFFFF;
    uint32_t keys = uint32_t(w_cell(W_SWITCH_PORT0 + SP_REPEAT));
    int32_t moved = cursor;
    if ((dir & DIR_TURN_HIGH) || (keys & PORT_DOWN)) moved--;
    if ((dir & DIR_TURN_LOW) || (keys & PORT_UP)) moved++;
    moved = std::clamp(moved, 0, std::max(max - 1, 0));
    if (moved != cursor) {
        w_cell_set(W_SELECT_CURSOR, moved);
        w_word_set(W_POINT_COOLDOWN, w_cell(W_SELECT_FRAMES) + CUE_AFTER_MOVE);
        sound_play(SOUND_MOVE);
    }
    lamp_bit2_set(w_cell(W_FRAME_TICK) & 0x48);
    w_cell_set(W_COURSE_NUMBER, course_entry(moved));
    if (test_env.stage_debug && w_cell(W_SELECT_FRAMES) < 6)
        fprintf(stderr, "[STAGE] cursor=%d max=%ld avail=%08lX table=%08lX -> course=%ld\n", int(moved), long(max),
                long(uint16_t(w_word(W_COURSES_LEFT))), long(uint32_t(w_cell(W_SELECT_COURSES))),
                long(w_cell(W_COURSE_NUMBER)));
    if (debug_switch()) {
        uint32_t pressed = uint32_t(w_cell(W_SWITCH_PORT0 + SP_PRESSED));
        int32_t step = (pressed & PORT_DEBUG_UP ? 1 : 0) - (pressed & PORT_DEBUG_DOWN ? 1 : 0);
        if (step != 0) w_word_set(W_BALLOON_LAYOUT, (w_word(W_BALLOON_LAYOUT) + step) & 3);
        text_print_hex(5, 6, 1, uint32_t(w_word(W_BALLOON_LAYOUT) + 1), 0);
    }
}

// The screen's end once confirmed: the other courses drop, the chosen one scrolls to the
// left; a second press ends it at once.
void after_confirmation(bool confirmed_before) {
    w_cell_set(W_SELECT_ZOOM, std::min(w_cell(W_SELECT_ZOOM) + ZOOM_STEP, ZOOM_END));
    int32_t anim = w_cell(W_SELECT_ANIM);
    if (anim == CHOSEN_ANIM) sound_play_p(SOUND_VOICE << 16 | (VOICE_CHOSEN + uint16_t(w_word(W_GAME_MODE))));
    w_cell_set(W_SELECT_ANIM, ++anim);
    if (anim > ANIM_END) w_cell_set(W_GAME_SUB_STATE, 2);
    int32_t target = wrap_mul(-COURSE_SPACING, w_cell(W_COURSE_NUMBER)), scroll = w_cell(W_SELECT_SCROLL);
    if (scroll > target) w_cell_set(W_SELECT_SCROLL, std::max(ease_toward(scroll, target), target));
    if (confirmed_before && select_press_or_start()) w_cell_set(W_GAME_SUB_STATE, 2);
}

void course_list_build() {
    int32_t last = debug_switch() ? 3 : 2, count = 0;
    uint32_t list = 0;
    for (int32_t i = 0; i <= last; i++) {
        if (!(uint16_t(w_word(W_COURSES_LEFT)) >> i & 1)) continue;
        if (count < LIST_ENTRIES) list |= uint32_t(i) << (24 - 8 * count);
        count++;
    }
    w_cell_set(W_SELECT_COURSES, int32_t(list));
    w_word_set(W_SELECT_MAX, uint32_t(count));
}

void select_words_clear() {
    for (int32_t n = 0; n < SELECT_SWINGS; n++) {
        w_word_set(W_SELECT_SWING_AMP + 2 * uint32_t(n), 0);
        w_cell_set(W_SELECT_SWING_PHASE + 4 * uint32_t(n), 0);
    }
    for (uint32_t w : {W_SELECT_ANIM, W_SELECT_SCROLL, W_SELECT_POINTER_X, W_SELECT_POINTER_Y, W_SELECT_FRAMES})
        w_cell_set(w, 0);
    w_word_set(W_SELECT_HOLD, 0);
}

// Ends the screen after its frames, or at once on a press.
void card_frame_end(bool fade_out) {
    int32_t f = w_cell(W_SELECT_FRAMES) + 1;
    w_cell_set(W_SELECT_FRAMES, f);
    if (!fade_out) {
        if (f >= SCREEN_FRAMES || select_press_or_start()) w_cell_set(W_GAME_SUB_STATE, 2);
        return;
    }
    if (f <= SCREEN_FRAMES) return;
    int32_t fade = w_cell(W_FADE_AMOUNT) + FADE_OUT_STEP;
    if (fade > FADE_FULL) {
        fade = FADE_FULL;
        w_cell_set(W_GAME_SUB_STATE, 2);
    }
    w_cell_set(W_FADE_AMOUNT, fade);
}

}  // namespace

bool select_press_or_start() {
    return (w_cell(W_SWITCH_PORT0 + SP_PRESSED) & PORT_BUTTON) || (w_cell(W_START_EDGE) & 1);
}

void select_countdown_draw() {
    number_sprite_draw(w_cell(W_SELECT_TIMER), CLOCK_X, CLOCK_Y, CLOCK_DEPTH + w_cell(W_SELECT_ZOOM), CLOCK_SPRITE_X,
                       CLOCK_SPRITE_Y);
}

void select_handle_hint(int32_t frames) {
    uint32_t entry = 2 * (uint32_t(frames) >> 5 & 3);
    sprite_call(HANDLE_LAYER, int16_t(bus_read16(HANDLE_LEFT_LIST + entry)), 192, 368, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
    sprite_call(HANDLE_LAYER, int16_t(bus_read16(HANDLE_RIGHT_LIST + entry)), 336, 384, 0, SPRITE_SIZE, SPRITE_SIZE, 0,
                1);
    sprite_call(HANDLE_LAYER, HINT_SPRITE, 152, 444, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
}

// The quota table is indexed by the settings' quota index, the course and the stage:
// the bus answers any address, so odd words in work RAM read whatever lies there.
int32_t select_stage_quota(int32_t course, int32_t steps) {
    uint32_t option = uint32_t(w_cell(W_MODE_SETTING)) & 0xFFFF;
    uint32_t stage = uint32_t(w_word(W_COURSE_PAIR));
    uint32_t at = QUOTA_TABLE + 8 * option + 72 * uint32_t(course) + 24 * stage;
    return wrap_sub(int32_t(bus_read32(at)), wrap_mul(steps, int32_t(bus_read32(QUOTA_REDUCTION))));
}

void course_select_setup() {
    course_list_build();
    w_cell_set(W_SELECT_CURSOR, 0);
    select_words_clear();
    textram_clear();
    w_word_set(W_FOG_ENABLE, 0);
    w_cell_set(W_SELECT_TIMER, SELECT_TIMER_START);
    w_cell_set(W_SELECT_ZOOM, 0);
    fade_black_start();
    player_model_setup_select();
    w_word_set(W_POINT_COOLDOWN, CUE_FIRST);
    cgram_load_tile_block(HINT_BLOCK, HINT_TILE);
    palette_bank_load(HINT_BLOCK, HINT_BANK);
}

void course_select_stage_cursor() {
    int32_t f = w_cell(W_SELECT_FRAMES);
    bool confirmed_before = confirmed();
    if (f == NAME_LOAD_FRAME) {
        for (int32_t k = 0; k < NAME_FRAMES; k++) cgram_load_tile_block(NAME_BLOCK + k, NAME_TILE + NAME_TILE_STEP * k);
        palette_bank_load(NAME_BLOCK, 1);
    }
    select_countdown_draw();

    if (!confirmed_before) cursor_choose();
    if (select_press_or_start() && !confirmed_before) confirm(true);
    int32_t timer = w_cell(W_SELECT_TIMER) - 1;
    w_cell_set(W_SELECT_TIMER, timer);
    if (timer < 0 && !confirmed()) confirm(true);

    if (!confirmed() && uint16_t(w_word(W_GAME_MODE)) == 0 && f >= NAME_LOAD_FRAME) {
        int32_t k = w_cell(W_FRAME_TICK) >> 3 & 3;
        text_block_draw(NAME_BLOCK + k, NAME_COLUMN, NAME_ROW, NAME_TILE + NAME_TILE_STEP * k, 1);
    }
    if (!confirmed())
        text_block_draw(HINT_BLOCK, HINT_COLUMN, HINT_ROW, HINT_TILE, HINT_BANK);
    else
        text_block_clear(HINT_BLOCK, HINT_COLUMN, HINT_ROW);

    if (confirmed()) after_confirmation(confirmed_before);
    course_models_draw();
    pointer_draw();
    if (uint16_t(w_word(W_GAME_MODE)) == 1) quota_digits_draw(select_stage_quota(w_cell(W_COURSE_NUMBER), 0));

    if (f == WELCOME_FRAME) sound_play_p(SOUND_VOICE << 16 | VOICE_WELCOME);
    if (!confirmed() && f == w_word(W_POINT_COOLDOWN)) sound_play_p(SOUND_VOICE << 16 | VOICE_HINT);
    w_cell_set(W_SELECT_FRAMES, f + 1);
}

void course_select_setup2() {
    w_word_set(W_FOG_ENABLE, 0);
    w_cell_set(W_COURSE_NUMBER, 3);
    w_cell_set(W_COURSE_PAIR, 3);
    w_word_set(W_BALLOON_LAYOUT, -1);
    w_cell_set(W_SELECT_ANIM, 0);
    w_cell_set(W_SELECT_FRAMES, 0);
    fade_black_start();
    mixer_colour_set(0, 0, 0);
    textram_clear();
    cgram_load_tile_block(FINAL_BLOCK, FINAL_TILE);
    palette_bank_load(FINAL_BLOCK, 1);
}

void course_select_title() {
    dl_marker(0, MARKER_BACKDROP, 0, 0, DEPTH);
    dl_marker(0, MARKER_DAY + w_word(W_COURSE_PAIR + 2), 0, 0, DEPTH);
    dl_marker(0, MARKER_FINAL, 0, 0, DEPTH);
    sprite_call(CARD_LAYER, CARD_TOP, CARD_X, CARD_TOP_Y, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
    sprite_call(CARD_LAYER, CARD_BOTTOM, CARD_X, CARD_BOTTOM_Y, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
    text_block_draw(FINAL_BLOCK, FINAL_COLUMN, FINAL_ROW, FINAL_TILE, 1);
    card_frame_end(true);
}

void course_select_fade() {
    textram_clear();
    w_word_set(W_FOG_ENABLE, 0);
    w_cell_set(W_SELECT_ANIM, 0);
    w_cell_set(W_SELECT_FRAMES, 0);
    fade_black_start();
    mixer_colour_set(0, 0, 0);
}

void course_map_draw() {
    int32_t course = w_cell(W_COURSE_NUMBER);
    if (w_cell(W_SELECT_FRAMES) == 3) textram_clear();
    dl_marker(0, MARKER_BACKDROP, 0, 0, DEPTH);
    dl_marker(0, MARKER_DAY + w_word(W_COURSE_PAIR + 2), 0, 0, DEPTH);
    dl_marker(0, MARKER_MODE1, 0, 0, DEPTH);
    sprite_call(CARD_LAYER, wrap_add(MAP_TOP, wrap_mul(2, course)), MAP_X, MAP_TOP_Y, 0, MAP_SPRITE_SIZE, MAP_SPRITE_SIZE, 0, 1);
    sprite_call(CARD_LAYER, wrap_add(MAP_BOTTOM, wrap_mul(2, course)), MAP_X, MAP_BOTTOM_Y, 0, MAP_SPRITE_SIZE, MAP_SPRITE_SIZE, 0,
                1);
    course_map_packets(w_cell(W_SELECT_FRAMES) / 2);
    if (uint16_t(w_word(W_GAME_MODE)) == 1) {
        int32_t continues = std::min<int32_t>(uint16_t(w_word(W_COURSE_LEFT)), CONTINUE_STEPS_MAX);
        quota_digits_draw(select_stage_quota(course, continues));
    }
    card_frame_end(false);
}

void course_map_packets(int32_t n) {
    course_map_frame frame;
    if (course_map_frame_read(COURSE_FRAMES.address, w_cell(W_COURSE_NUMBER), &frame)) course_map_objects(frame, n);
}

bool course_map_frame_read(uint32_t frames, int32_t course, course_map_frame* frame) {
    const rom_table table = {frames, 32, COURSES};
    if (rom_table_record(table, course) == 0) return false;
    int32_t* fields[8] = {&frame->x0, &frame->y0, &frame->depth, &frame->scale,
                          &frame->x_max, &frame->x_min, &frame->y_max, &frame->y_min};
    for (uint32_t k = 0; k < 8; k++) *fields[k] = rom_table_long(table, course, 4 * k);
    return true;
}

void course_map_plot(const course_map_frame& f, int32_t px, int32_t pz, int32_t model) {
    int32_t x = wrap_add(f.x0, int32_t(int64_t(f.scale) * px / 256));
    int32_t y = wrap_add(f.y0, int32_t(int64_t(f.scale) * pz / 256));
    if (x < f.x_min || x > f.x_max || y < f.y_min || y > f.y_max) return;
    dl_marker(0, model, x, y, f.depth);
}

void course_map_objects(const course_map_frame& f, int32_t n) {
    uint32_t tick = uint32_t(w_cell(W_FRAME_TICK));
    auto plot = [&](int32_t wx, int32_t wz, int32_t model) { course_map_plot(f, wx >> 8, wz >> 8, model); };
    auto blink_model = [&](int32_t value) {
        return value > 0 || !(tick & MAP_BLINK_BITS) ? MAP_BALLOON : MAP_BALLOON_BLINK;
    };

    const rom_table records = {uint32_t(w_cell(W_BALLOON_TABLE)), BALLOON_RECORD_SIZE, 0x10000};
    int32_t first = uint16_t(w_word(W_BALLOON_FIRST));
    int32_t count = std::clamp(w_cell(W_BALLOON_COUNT), 0, BALLOONS_PER_LAYOUT);
    for (int32_t i = 0; i < count; i++) {
        int32_t state = w_word(W_BALLOON_STATES + 2 * uint32_t(i));
        if (state != 0 && state >= -64 * n) continue;
        if (rom_table_record(records, first + i) == 0) continue;
        plot(rom_table_long(records, first + i, 4), rom_table_long(records, first + i, 12),
             blink_model(rom_table_long(records, first + i, 16)));
    }
    for (int32_t i = 0; i < MOVING_OBJECTS; i++) {
        uint32_t o = moving_object(i);
        if (w_cell(o + MO_STATUS) < 0) continue;  // gone, or not in this layout
        int32_t dx, dz;
        polar_to_xy(w_cell(o + MO_HEADING), n, &dx, &dz);
        plot(wrap_add(w_cell(o + MO_POSITION), dx), wrap_add(w_cell(o + MO_POSITION + 8), dz),
             blink_model(w_cell(o + MO_VALUE)));
    }
}

#include "game/modes/continue_screens.h"

#include "base/env_switch.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/results_drawing.h"
#include "game/modes/results_ram.h"
#include "game/modes/results_screens.h"
#include "game/modes/service_toolkit.h"
#include "game/modes/title_screen.h"
#include "game/services/coin_ram.h"
#include "game/services/course_timers.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/services/top_hooks.h"
#include "game/world/camera.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int32_t SUB_COURSE_SELECT = 0, SUB_GAME_OVER = 10, SUB_NAME_ENTRY = 16, SUB_CONTINUE_RUN = 29;
constexpr int32_t SUB_TOTAL_RUN = 31;
constexpr int32_t STATE_ATTRACT = 0, STATE_ATTRACT_DEMO = 10;
constexpr int32_t SOUND_CHOICE = 16, SOUND_CONTINUED = 15, SOUND_RESULTS = 67;
constexpr int32_t SOUND_RESULTS_AT = 89;
constexpr int32_t FADE_FULL = 255, FADE_DONE = 256;

// Frames by the continue-time setting; the demo table follows at 0x15C508.
constexpr rom_table CONTINUE_TIMES = {0x15C4FC, 4, 3};
constexpr uint32_t ROM_QUOTA_DEDUCTION = 0x15C4F8;
constexpr uint32_t ROM_CYCLE_ENTRY = 0x37958;           // the palette entry that cycles
constexpr uint32_t ROM_CYCLE_COLOURS = 0x3795A;         // 8 x (R, G, B, unused)
constexpr uint32_t ROM_HANDLE_LEFT = 0x35190, ROM_HANDLE_RIGHT = 0x35198;
constexpr uint32_t TEXT_FREE_PLAY = 0x3ACB0, TEXT_CREDIT = 0x3ACBA, TEXT_COIN = 0x3ACC4;
constexpr int32_t CREDIT_ROW = 28, CREDITS_SHOWN = 9;

constexpr int32_t PRESS_BIT = 0x01, BUTTON_CONTINUE = 0x20, BUTTON_GIVE_UP = 0x10;
constexpr int32_t HANDLE_CONTINUE = 0x2, HANDLE_GIVE_UP = 0x1;
constexpr int32_t DEMO_SKIP_BIT = 0x100;  // port 0, a button no device answers

constexpr int32_t SPIN_MODEL = 39;

bool start() {
    return w_cell(W_START_EDGE) & 1;
}
bool press() {
    return w_cell(W_SWITCH_PORT0 + SP_PRESSED) & PRESS_BIT;
}
uint32_t tick() {
    return uint32_t(w_cell(W_FRAME_TICK));
}

// The model 39 spinning behind the game-over and continue screens.
void spin_model() {
    dl_object_put(0, SPIN_MODEL, 0x8000, -0x88000, -0xBF600, 0, int32_t(tick() * 32 & 0xFFFF), 0, 0);
}

// The screens' sound counter (the upper half of W 0x15F5C), + 1; returns its old value.
int32_t sound_counter_step() {
    int32_t was = w_word(W_POINT_COOLDOWN);
    w_word_set(W_POINT_COOLDOWN, was + 1);
    return was;
}

// ---- Continue ----------------------------------------------------------------------
int32_t credits() {
    return int16_t(w_cell(W_COIN_COUNT));
}
bool payable() {
    return free_play_on() || credits() >= w_word(W_COIN_VALUE2);
}
// A setting outside the table takes its first time rather than none at all.
int32_t continue_time() {
    int32_t setting = w_word(W_GAME_VALUE1);
    if (rom_table_record(CONTINUE_TIMES, setting) == 0) {
        static bool warned;
        if (!warned)
            printf("[GUARD] continue_screen: continue-time setting %d outside its table -- the first time taken\n",
                   int(setting));
        warned = true;
        setting = 0;
    }
    return rom_table_long(CONTINUE_TIMES, setting, 0);
}
void reveal_restart() {
    w_word_set(W_CONTINUE_REVEAL, 15);
}

// The coin counts after this frame's screen: the credits "then" are one more.
void coin_check() {
    if (!(w_cell(W_COIN_EDGE) & COIN_EDGE_BITS)) return;
    w_cell_set(W_CONTINUE_TIMER, continue_time());
    if (credits() + 1 == w_word(W_COIN_VALUE2)) {
        w_word_set(W_NEEDLE, 1);
        reveal_restart();
    }
}

void choice_follow_controls() {
    int32_t handle = w_word(W_DIRECTION + 2), buttons = w_cell(W_SWITCH_PORT0 + SP_REPEAT);
    int32_t was = w_word(W_NEEDLE), now = was;
    if ((handle & HANDLE_CONTINUE) || (buttons & BUTTON_CONTINUE)) now = 1;
    if ((handle & HANDLE_GIVE_UP) || (buttons & BUTTON_GIVE_UP)) now = 0;
    if (now == was) return;
    w_word_set(W_NEEDLE, now);
    sound_play(SOUND_CHOICE);
}

// Start or the button: true when the continue was paid (the screen is over).
bool choice_confirm() {
    bool pay = payable() && w_word(W_NEEDLE) == 1;
    if (start()) {
        if (w_word(W_NEEDLE) == 0)
            w_cell_set(W_CONTINUE_TIMER, 0);
        else if (!pay)
            w_cell_set(W_CONTINUE_TIMER, w_cell(W_CONTINUE_TIMER) / 60 * 60);
    } else if (press()) {
        if (w_word(W_NEEDLE) == 0) w_cell_set(W_CONTINUE_TIMER, 0);
    } else {
        return false;
    }
    if (!pay) return false;
    continue_credits_update();
    return true;
}

// The notice before a continue is payable: the quota deduction of a continue.
void deduction_notice() {
    text_block_draw(212, 2, 24, 416, 1);
    text_block_draw(227, 24, 24, 448, 1);
    uint32_t deduction = uint32_t(std::max(int32_t(bus_read32(ROM_QUOTA_DEDUCTION)), 0));
    for (int32_t column : {22, 20, 18}) {
        int32_t digit = int32_t(deduction % 10);
        text_block_draw(251 + digit, column, 23, 480 + 6 * digit, 5);
        deduction /= 10;
    }
}

void seconds_left() {
    int32_t seconds = std::clamp(w_cell(W_CONTINUE_TIMER) / 60, 0, 99);
    text_block_draw(230 + seconds % 10, 19, 13, 352 + 4 * (seconds % 10), 1);
    if (seconds >= 10) text_block_draw(230 + seconds / 10, 17, 13, 352 + 4 * (seconds / 10), 1);
}

struct choice_side {
    int32_t plain, plain_column, plain_row, plain_tile, plain_palette;
    int32_t lit, lit_column, lit_row, lit_tile;
};
constexpr choice_side GIVE_UP_SIDE = {283, 5, 13, 480, 5, 285, 6, 14, 672};
constexpr choice_side CONTINUE_SIDE = {284, 23, 13, 576, 7, 286, 24, 14, 736};
constexpr int32_t LIT_PALETTE = 9;
constexpr int32_t REVEAL_BLOCKS[5] = {283, 284, 285, 286, 28};
constexpr int32_t REVEAL_TILES[5] = {480, 576, 672, 736, 800};
constexpr int32_t REVEAL_BANKS[4][2] = {{283, 5}, {284, 7}, {285, 9}, {28, 11}};

void side_draw(const choice_side& s, bool lit) {
    if (lit)
        text_block_draw(s.lit, s.lit_column, s.lit_row, s.lit_tile, LIT_PALETTE);
    else
        text_block_draw(s.plain, s.plain_column, s.plain_row, s.plain_tile, s.plain_palette);
}

void choice_draw() {
    int32_t reveal = w_word(W_CONTINUE_REVEAL);
    if (reveal < 0) {
        text_block_clear(GIVE_UP_SIDE.plain, GIVE_UP_SIDE.plain_column, GIVE_UP_SIDE.plain_row);
        text_block_clear(CONTINUE_SIDE.plain, CONTINUE_SIDE.plain_column, CONTINUE_SIDE.plain_row);
        bool flash = (w_word(W_CONTINUE_REVEAL + 2) & 0x18) == 0x18;
        bool on_continue = w_word(W_NEEDLE) == 1;
        side_draw(on_continue ? CONTINUE_SIDE : GIVE_UP_SIDE, true);
        side_draw(on_continue ? GIVE_UP_SIDE : CONTINUE_SIDE, flash);
        text_block_draw(28, 19, 26, 800, 11);
    } else {
        textram_clear();
        for (int i = 0; i < 5; i++) cgram_load_block_at(REVEAL_BLOCKS[i], REVEAL_TILES[i], reveal);
        w_word_set(W_CONTINUE_REVEAL, --reveal);
        if (reveal < 0)
            for (const auto& bank : REVEAL_BANKS) palette_bank_load(bank[0], bank[1]);
    }
    int32_t entry = int32_t(2 * ((tick() >> 5) & 3));
    sprite_call(2, int16_t(bus_read16(ROM_HANDLE_LEFT + uint32_t(entry))), 192, 336, 0, 32, 32, 0, 1);
    sprite_call(2, int16_t(bus_read16(ROM_HANDLE_RIGHT + uint32_t(entry))), 336, 352, 0, 32, 32, 0, 1);
    sprite_call(2, 427, 152, 412, 0, 32, 32, 0, 1);
}

void missing_credits_draw() {
    if (tick() & 0x20) {
        text_block_clear(26, 8, 18);
        text_block_clear(251, 16, 17);
        return;
    }
    int32_t missing = std::clamp(w_word(W_COIN_VALUE2) - credits(), 0, 9);
    text_block_draw(26, 8, 18, 816, 3);
    text_block_draw(251, 16, 17, 480 + 6 * missing, 5);
}

void cycle_colour() {
    uint32_t entry = uint32_t(bus_read16(ROM_CYCLE_ENTRY)) & 0xFFFF;
    uint32_t colour = ROM_CYCLE_COLOURS + 4 * ((tick() >> 6) & 7);
    service_palette_set(entry, bus_read8(colour) & 0xFF, bus_read8(colour + 1) & 0xFF, bus_read8(colour + 2) & 0xFF);
}

void credit_line() {
    if (free_play_on()) {
        text_print(28, CREDIT_ROW, TEXT_FREE_PLAY, 0);
        return;
    }
    text_print_signed(32, CREDIT_ROW, 4, std::min(credits(), CREDITS_SHOWN), 0);
    text_print_hex(37, CREDIT_ROW, 1, uint32_t(w_word(W_COIN_VALUE2)), 0);
    text_print(25, CREDIT_ROW, TEXT_CREDIT, 0);
    text_print(36, CREDIT_ROW, TEXT_COIN, 0);
}

}  // namespace

void game_over_screen() {
    int32_t step = w_word(W_RESULTS_STEP_WORD), timer = w_cell(W_RESULTS_TIMER);
    bool coin = w_cell(W_COIN_EDGE) & COIN_EDGE_FIRST;
    if (step == 0) {
        w_cell_set(W_FADE_AMOUNT, (4 * timer) & 0xFFFF);
        if (--timer < 0) {
            w_cell_set(W_TIME_SCORE, w_cell(W_ENDING_TOTAL));
            step = 2;
            timer = 180;
        }
    } else if (step == 2) {
        if (w_cell(W_START_SWITCH) & 1) {
            step = coin ? 4 : 3;
            timer = 62;
        } else if (coin) {
            step = 3;
            timer = 62;
        } else if (--timer < 0) {
            step = 3;
            timer = 63;
        }
    } else {
        fade_colour_set(0);
        w_cell_set(W_FADE_AMOUNT, 4 * (63 - timer));
        if (--timer < 0) {
            w_cell_set(W_FADE_AMOUNT, FADE_FULL);
            course_timer_update();
            if (w_cell(W_END_FLAG) == 1) {
                w_cell_set(W_GAME_STATE, STATE_ATTRACT_DEMO);
                w_cell_set(W_ARMED_FLAG, 1);
            } else {
                w_cell_set(W_GAME_STATE, STATE_ATTRACT);
            }
        }
    }
    w_word_set(W_RESULTS_STEP_WORD, step);
    w_cell_set(W_RESULTS_TIMER, timer);
    sprite_call(7, 349, 64, 128, 0, 32, 32, 0, 1);
    sprite_call(7, 350, 320, 128, 0, 32, 32, 0, 1);
    spin_model();
    if (step > 0) w_cell_set(W_GAME_OVER_FRAMES, w_cell(W_GAME_OVER_FRAMES) + 1);
}

void continue_screen_enter() {
    textram_clear();
    title_cgram_load();
    w_cell_set(W_CONTINUE_TIMER, continue_time());
    w_cell_set(W_CONTINUE_REVEAL, 0x000F0000);
    w_cell_set(W_CONTINUE_ENABLED, 0x00010000);
    w_word_set(W_NEEDLE, 1);
    sound_play_once();
    w_cell_set(W_GAME_SUB_STATE, SUB_CONTINUE_RUN);
    continue_screen_run();
}

void continue_screen_run() {
    coin_check();
    if (payable()) {
        w_word_set(W_CONTINUE_ENABLED + 2, 1);
        choice_follow_controls();
    }
    if (choice_confirm()) return;
    spin_model();
    text_block_draw(183, 11, 8, 288, 1);
    if (w_word(W_CONTINUE_ENABLED + 2) == 0 && !free_play_on() && w_word(W_COURSE_LEFT) <= 2)
        deduction_notice();
    seconds_left();
    if (payable())
        choice_draw();
    else
        missing_credits_draw();
    cycle_colour();
    credit_line();
    w_cell_set(W_CONTINUE_TIMER, w_cell(W_CONTINUE_TIMER) - 1);
    if (w_cell(W_CONTINUE_TIMER) < 0) {
        w_cell_set(W_ENDING_TOTAL, wrap_add(w_cell(W_ENDING_TOTAL), w_cell(W_TIME_SCORE)));
        sound_once_flag_clear();
        results_multi_game_end();
    }
    w_word_set(W_CONTINUE_ENABLED, w_word(W_NEEDLE));
    w_word_set(W_CONTINUE_REVEAL + 2, w_word(W_CONTINUE_REVEAL + 2) + 1);
    if (sound_counter_step() == SOUND_RESULTS_AT) sound_play(SOUND_RESULTS);
    continue_debug_print();
}

void continue_credits_update() {
    if (!free_play_on()) w_cell_set(W_COIN_COUNT, credits() - w_word(W_COIN_VALUE2));
    course_timer_step();
    w_word_set(W_STAGE_WORD, w_word(W_STAGE_WORD) + 1);
    w_word_set(W_COURSE_LEFT, w_word(W_COURSE_LEFT) + 1);
    textram_clear();
    w_cell_set(W_GAME_SUB_STATE, SUB_COURSE_SELECT);
    sound_once_flag_clear();
    sound_play(SOUND_CONTINUED);
}

void continue_debug_print() {
    static const bool on = [] {
        const char* v = env_text("SKYVOLTA_CONTDBG");
        return v && v[0] != '0';
    }();
    if (!on) return;
    printf(
        "C f=%u sub=%ld coins=%d t=%ld sel=%d cnt=%d blk=%d prev=%d en=%d ba6=%04X b3a=%04X b82=%04X s5c=%ld "
        "e6a=%d e14=%d fp=%d need=%d eb16=%ld f3c=%ld c8=%ld tot=%ld sc=%ld quota=%ld\n",
        host_frame, long(w_cell(W_GAME_SUB_STATE)), int(credits()), long(w_cell(W_CONTINUE_TIMER)),
        int(w_word(W_NEEDLE)), int(w_word(W_CONTINUE_REVEAL)), int(w_word(W_CONTINUE_REVEAL + 2)),
        int(w_word(W_CONTINUE_ENABLED)), int(w_word(W_CONTINUE_ENABLED + 2)), unsigned(w_cell(W_START_EDGE) & 0xFFFF),
        unsigned(w_cell(W_SWITCH_PORT0 + SP_PRESSED) & 0xFFFF), unsigned(w_cell(W_COIN_EDGE) & 0xFFFF),
        long(w_word(W_POINT_COOLDOWN)), int(w_word(W_COURSE_LEFT)), int(w_word(W_STAGE_WORD)), int(w_word(W_FREE_PLAY)),
        int(w_word(W_COIN_VALUE2)), long(w_cell(W_FADE_AMOUNT)), long(w_cell(W_SCENE_FADE_DIR)),
        long(w_cell(W_TOTAL_FRAMES)), long(w_cell(W_ENDING_TOTAL)), long(w_cell(W_TIME_SCORE)),
        long(w_cell(W_STAGE_QUOTA)));
}

void total_screen_enter() {
    start_lamp_idle();
    camera_reset();
    w_cell_set(W_FADE_AMOUNT, FADE_FULL);
    w_cell_set(W_FADE_FLAGS, 3);
    w_cell_set(W_SCENE_FADE_DIR, 0);
    w_cell_set(W_SCENE_FADE_STEP, 8);
    w_cell_set(W_TOTAL_FRAMES, 0);
    results_digits_set(w_cell(W_ENDING_TOTAL));
    w_cell_set(W_GAME_SUB_STATE, SUB_TOTAL_RUN);
    total_screen_run();
}

void total_screen_run() {
    constexpr int32_t SHOW_FRAMES = 240, FADE_OUT_STEP = 8, DEPTH = 848, SCORE_DEPTH = 304;
    for (int32_t model : {869, 883, 893}) dl_marker(0, model, 0, 0, DEPTH);
    screen_banner_setup();
    int32_t total = w_cell(W_ENDING_TOTAL);
    results_score_draw(wrap_mul(8, total), total, -118, -16, -16, SCORE_DEPTH);
    sprite_call(7, 495, 480, 282, 0x6B00, 48, 48, 0, 1);
    int32_t frames = w_cell(W_TOTAL_FRAMES) + 1;
    w_cell_set(W_TOTAL_FRAMES, frames);
    if (frames > SHOW_FRAMES) {
        w_cell_set(W_SCENE_FADE_DIR, 1);
        w_cell_set(W_FADE_AMOUNT, w_cell(W_FADE_AMOUNT) + FADE_OUT_STEP);
        if (w_cell(W_FADE_AMOUNT) >= FADE_DONE) {
            w_cell_set(W_FADE_AMOUNT, FADE_FULL);
            sound_stop_unless_held(SOUND_RESULTS);
            w_cell_set(W_GAME_SUB_STATE, SUB_GAME_OVER);
        }
    } else {
        w_cell_set(W_FADE_AMOUNT, std::max(w_cell(W_FADE_AMOUNT) - w_cell(W_SCENE_FADE_STEP), 0));
    }
    int32_t counter = sound_counter_step() + 1;
    if (counter == 1) sound_stop_unless_held(SOUND_RESULTS);
    if (counter == 3) sound_play(SOUND_RESULTS);
    continue_debug_print();
}

void demo_flight_screen_run() {
    constexpr int32_t CAPTION = 246, CAPTION_TILE = 624, CAPTION_PALETTE = 5, FADE_IN_FRAMES = 128;
    int32_t frames = w_cell(W_DEMO_SCREEN_FRAMES);
    if (frames >= 3) {
        if ((frames - 3) & 0x28)
            text_block_draw(CAPTION, 30, 2, CAPTION_TILE, CAPTION_PALETTE);
        else
            text_block_clear(CAPTION, 30, 2);
    }
    game_top.attract_demo_flight();
    bool skip = w_cell(W_SWITCH_PORT0 + SP_PRESSED) & DEMO_SKIP_BIT;
    if (skip || start() || frames >= DEMO_FRAMES_MAX - FADE_IN_FRAMES) w_cell_set(W_SCENE_FADE_DIR, 1);
    w_cell_set(W_DEMO_SCREEN_FRAMES, frames + 1);
    if (w_cell(W_SCENE_FADE_DIR) == 0) {
        w_cell_set(W_FADE_AMOUNT, 0);
        return;
    }
    w_cell_set(W_FADE_AMOUNT, w_cell(W_FADE_AMOUNT) + 2);
    if (w_cell(W_FADE_AMOUNT) < FADE_DONE) return;
    w_cell_set(W_FADE_AMOUNT, FADE_FULL);
    bool placed = ranking_position_find(w_cell(W_COURSE_NUMBER), w_cell(W_ENDING_TOTAL)) != 0;
    if (placed && w_word(W_COURSE_GRADE) == 5) {
        w_cell_set(W_GAME_SUB_STATE, SUB_NAME_ENTRY);
        w_cell_set(W_ATTRACT_SEQ_INDEX, 6);
        w_cell_set(W_ATTRACT_PHASE, 6);
    } else {
        w_cell_set(W_GAME_SUB_STATE, SUB_GAME_OVER);
        w_cell_set(W_ATTRACT_SEQ_INDEX, 15);
        w_cell_set(W_ATTRACT_PHASE, 2);
    }
}

#include "game/modes/ending_phases.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/runtime_services.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_flights.h"
#include "game/modes/ending_landing.h"
#include "game/modes/ending_portrait.h"
#include "game/modes/ending_ram.h"
#include "game/modes/test_env.h"
#include "game/services/ending_emitters.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/object_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/top_hooks.h"
#include "game/world/course_start.h"
#include "game/world/gameplay_state.h"
#include "game/world/stage_flyin.h"
#include "game/world/world_stand_ins.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

constexpr int32_t SUB_RESULTS = 6;
constexpr int32_t SUB_RACE = 3;
constexpr int32_t SUB_RESULTS_TALLY = 7;
constexpr int32_t SUB_ENDING_RUN = 15;
constexpr int32_t SUB_NAME_ENTRY = 16;
constexpr int32_t STATE_GAMEPLAY = 3;
constexpr int32_t FADE_FULL = 255;
constexpr int32_t FIRST_UNFADED_PHASE = 5;
constexpr int32_t RE_ENTER_PLAY_FRAMES = -271;
constexpr int32_t LAST_COURSE = 3;
constexpr int32_t LOOP_SOUNDS[2] = {64, 45};  // started by phases 0 and 1

// Text layer registers; text RAM's layout is board/text_print.h's.
constexpr uint32_t TEXT_RAM = 0x89E000;
constexpr uint32_t TEXT_SCROLL_X = 0x8A0000;
constexpr uint32_t TEXT_SCROLL_Y = 0x8A0002;
constexpr int32_t ROLL_SCROLL_X = 860;

// Roll record fields.
constexpr uint32_t ROLL_FIRST = 0, ROLL_LENGTH = 4, ROLL_COLUMN = 8, ROLL_PALETTE = 10, ROLL_TEXT = 12,
                   ROLL_MODEL = 16, ROLL_KIND = 18;
constexpr int32_t ROLL_NO_MODEL = 0x8000;
constexpr int32_t ROLL_ANIMATED = 1;

// The handler of each phase; the phases' scenes live in their own files.
void (*const PHASE_HANDLERS[ENDING_PHASES])() = {
    ending_fly_in, ending_phase1, ending_phase2, ending_staff_roll, ending_phase4, ending_phase5, ending_phase6,
    ending_landing, ending_portrait, ending_bad_ending, ending_phase10, ending_re_enter, ending_end_card,
};

int32_t phase_of_word() {
    return int32_t(uint32_t(wram_long(W_ENDING_MODE)) >> 16);
}

// The debug start phase: the host's request (used once) or SKYVOLTA_ENDING_PHASE; -1
// when neither names a phase 0..12.
int32_t debug_start_phase() {
    char text[16];
    const char* s = nullptr;
    if (requested_ending_phase >= 0) {
        snprintf(text, sizeof text, "%d", requested_ending_phase);
        requested_ending_phase = -1;
        s = text;
    } else {
        s = env_text("SKYVOLTA_ENDING_PHASE");
    }
    if (!s || !*s) return -1;
    char* end;
    long n = strtol(s, &end, 10);
    return *end == '\0' && n >= 0 && n < ENDING_PHASES ? int32_t(n) : -1;
}

void text_cell_put(int32_t column, int32_t row, uint32_t cell) {
    if (column < 0 || column >= TEXT_COLUMNS) return;
    bus_write16(TEXT_RAM + uint32_t(row) * 128 + uint32_t(column) * 2, cell);
}

// The record's text into row (b / 8 + 42) mod 64 from its column, one cell per byte.
void roll_text_put(int32_t record, int32_t b) {
    int32_t row = ((b * 16 + 5376) & 0x1F80) / 128;
    int32_t column = rom_table_word(ROM_ROLL_RECORDS, record, ROLL_COLUMN);
    int32_t palette = rom_table_word(ROM_ROLL_RECORDS, record, ROLL_PALETTE) & 0xFFFF;
    uint32_t colour = uint32_t(rom_table_word(ROM_ROLL_PALETTES, palette, 0));
    uint32_t text = uint32_t(rom_table_long(ROM_ROLL_RECORDS, record, ROLL_TEXT));
    for (int32_t k = 0; k < TEXT_COLUMNS; k++) {
        int c = bus_read8(text + uint32_t(k));
        if (c <= 0 || c > 0xFF) break;
        text_cell_put(column + k, row, (uint32_t(c) + colour) & 0xFFFF);
    }
}

// The record's model, travelling up with the scrolling text.
void roll_model_put(int32_t record, int32_t b, int32_t l) {
    int32_t model = rom_table_word(ROM_ROLL_RECORDS, record, ROLL_MODEL) & 0xFFFF;
    if (model & ROLL_NO_MODEL) return;
    if (rom_table_word(ROM_ROLL_RECORDS, record, ROLL_KIND) == ROLL_ANIMATED)
        model = wrap_add(model, rom_table_word(ROM_ROLL_ANIMATION, (b / 16) % 6, 0));
    int32_t column = rom_table_word(ROM_ROLL_RECORDS, record, ROLL_COLUMN);
    int32_t rise = wrap_add(wram_long(W_BAND_HEIGHT + 4), 3780);
    int32_t y = wrap_add(wrap_sub(wram_long(W_BAND_HEIGHT + 8), wrap_mul(wrap_mul(l - b + 336, rise), 2) / 256), 3792);
    const int32_t words[11] = {model, wrap_mul(column - 20, wrap_add(wram_long(W_BAND_HEIGHT), 260)), y, 8192, 0,
                               0x5FFF, 0, 0x5FFF, 0, 0x5FFF, 0};
    dl_emit(words, 11);
}

void re_enter_setup() {
    wram_long_set(W_COURSE_NUMBER, LAST_COURSE);
    wram_long_set(W_PLAY_FRAME_COUNTER, RE_ENTER_PLAY_FRAMES);
    w_word_set(W_GAME_MODE, 1);
    course_start_position();
    gameplay_init_state_vars();
    game_top.flyin_setup();
}

}  // namespace

int32_t ending_phase_end(int32_t p) {
    return rom_table_word(ROM_PHASE_ENDS, p + 1, 0) & 0xFFFF;
}

int32_t ending_counter_now() {
    return wram_long(W_ENDING_MODE) & 0xFFFF;
}

void ending_phase_set(int32_t p, int32_t c) {
    wram_long_set(W_ENDING_MODE, int32_t((uint32_t(p) << 16) | (uint32_t(c) & 0xFFFF)));
}

void ending_init() {
    w_word_set(W_ENDING_LOCAL_FRAME, 0);
    w_word_set(W_SWAY_LEFT, 0);
    if (wram_long(W_END_FLAG) == 1)
        ending_phase_set(0, 0);
    else
        ending_phase_set(PHASE_BAD_ENDING, BAD_ENDING_FIRST);
    int32_t n = debug_start_phase();
    if (n >= 0) ending_phase_set(n, n == 0 ? 0 : ending_phase_end(n - 1));
    const char* total = env_text("SKYVOLTA_ENDING_TOTAL");
    if (total && *total) wram_long_set(W_ENDING_TOTAL, int32_t(strtol(total, nullptr, 10)));

    textram_clear();
    sound_stop_upper();
    mixer_colour_set(0, 0, 0);

    w_cell_set(W_FADE_AMOUNT, FADE_FULL);
    w_cell_set(W_FADE_FLAGS, 3);
    wram_long_set(W_COURSE_NUMBER, LAST_COURSE);
    w_word_set(W_FOG_ENABLE, 1);
    wram_long_set(W_LOOKAHEAD_FAST_AVOID, 0);
    wram_long_set(W_LOOKAHEAD_IMPACT, 0);
    for (uint32_t target : {W_ENDING_IK_D, W_ENDING_IK_C, W_ENDING_IK_B, W_ENDING_IK_A}) wram_long_set(target, 0);
    w_word_set(W_FADE_STEP, 0x10);
    w_word_set(W_OBJECT_MODE, 0);

    wram_long_set(W_GAME_SUB_STATE, SUB_ENDING_RUN);
    start_lamp_blink(6);
    if (n >= FIRST_UNFADED_PHASE) {  // a scene entered in the middle starts visible
        w_cell_set(W_FADE_AMOUNT, 0);
        w_word_set(W_VIEW_CENTRE + 2, 161);
        w_word_set(W_VIEW_WIDTH, 0xD7);
        w_word_set(W_OBJECT_MODE, 0xF);
    }
    ending_phase_dispatch();
}

void ending_roll_emit() {
    const int32_t header[5] = {DL_HEADER_11_HUD, 0, DL_LINK, 0, DL_END};
    dl_emit(header, 5);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11_HUD);
    int32_t b = ending_counter_now();
    bool active = false;
    for (int32_t r = 0; r < int32_t(ROM_ROLL_RECORDS.count); r++) {
        int32_t l = rom_table_long(ROM_ROLL_RECORDS, r, ROLL_FIRST);
        if (l < 0) break;
        int32_t d = rom_table_long(ROM_ROLL_RECORDS, r, ROLL_LENGTH);
        if (int64_t(b) < int64_t(l) - 1 || int64_t(b) > int64_t(l) + d) continue;
        active = true;
        if (int64_t(b) == int64_t(l) - 1) continue;
        if (b == l) roll_text_put(r, b);
        roll_model_put(r, b, l);
    }
    dl_bank_end();
    if (active) {
        bus_write16(TEXT_SCROLL_Y, uint32_t((b & 0x1FF) * 2));
        if ((b & 1) == 0) {
            int32_t row = ((b * 16 - 256) & 0x1F80) / 128;
            for (int32_t c = 0; c < TEXT_COLUMNS; c++) text_cell_put(c, row, TEXT_BLANK_CELL);
        }
    } else {
        bus_write16(TEXT_SCROLL_Y, 0);
    }
    bus_write16(TEXT_SCROLL_X, ROLL_SCROLL_X);
}

void ending_phase_dispatch() {
    static int32_t logged_phase = -1;
    wram_long_set(W_DL_LAST_BANK, 0);
    wram_long_set(W_DL_LAST_HEADER, 0);
    ending_roll_emit();

    int32_t phase = phase_of_word();
    if (phase < ENDING_PHASES && PHASE_HANDLERS[phase]) PHASE_HANDLERS[phase]();

    if (wram_long(W_DL_LAST_BANK) != 0) {
        dl_bank_end();
        wram_long_set(W_DL_LAST_BANK, 0);
    }
    camera_viewport_write();

    // Advance: the handler may have moved the phase word.
    phase = phase_of_word();
    int32_t counter = ending_counter_now();
    int32_t end;
    if (w_cell(W_START_EDGE) & 1) {
        phase = PHASE_RE_ENTER;
        counter = END_CARD_FIRST;
        end = ending_phase_end(PHASE_RE_ENTER);
    } else {
        counter = (counter + 1) & 0xFFFF;
        // Phase 12 never ends by the counter; only the word -1 (phase 0xFFFF) reads the
        // word before the table. Phases 13 .. 0xFFFE read nothing.
        end = phase < PHASE_END_CARD ? ending_phase_end(phase) : phase == 0xFFFF ? ending_phase_end(-1) : -1;
    }
    if (counter == end) {
        wram_long_set(W_GAME_SUB_STATE, SUB_ENDING_RUN);
        phase = (phase + 1) & 0xFFFF;
    }
    ending_phase_set(phase, counter);

    if (verbose_enabled() && phase != logged_phase) {
        fprintf(stderr, "[ENDPH] f%u phase=%d ctr=%d sub=%d fade=%d\n", host_frame, phase, counter,
                wram_long(W_GAME_SUB_STATE), int(int16_t(w_cell(W_FADE_AMOUNT))));
        logged_phase = phase;
    }
    nop_hook_select();
}

void ending_re_enter() {
    if (ending_counter_now() == RE_ENTER_FIRST)
        re_enter_setup();
    else
        stage_flyin_run();
    if (wram_long(W_GAME_SUB_STATE) == 0) ending_phase_set(phase_of_word(), RE_ENTER_FIRST - 1);
}

void ending_end_card() {
    if (wram_long(W_GAME_STATE) != STATE_GAMEPLAY) {
        wram_long_set(W_ENDING_MODE, -1);
        return;
    }
    wram_long_set(W_COURSE_NUMBER, LAST_COURSE);
    w_cell_set(W_FADE_AMOUNT, FADE_FULL);
    int32_t colour = wram_long(W_END_FLAG) == 1 ? FADE_FULL : 0;  // white after a good ending
    fade_colour_set(colour);
    wram_long_set(W_GAME_SUB_STATE, SUB_RESULTS);
    start_lamp_idle();
    for (int32_t id : LOOP_SOUNDS) sound_stop(id);
}

void story_end_test_hook() {
    static bool fired;
    int32_t sub = wram_long(W_GAME_SUB_STATE);
    if (test_env.hiscore >= 0 && sub == SUB_RESULTS_TALLY) wram_long_set(W_TIME_SCORE, int32_t(test_env.hiscore));
    if (test_env.story_end < 0 || fired || sub != SUB_RACE || w_word(W_GAME_MODE) == 0) return;
    fired = true;
    w_word_set(W_GAME_MODE + 2, 1);
    w_word_set(W_STAGE_WORD, 0);
    wram_long_set(W_ENDING_TOTAL, test_env.story_end);
    if (test_env.story_end_flag >= 0) wram_long_set(W_END_FLAG, test_env.story_end_flag);
    wram_long_set(W_GAME_SUB_STATE, SUB_NAME_ENTRY);
    printf("[TEST] f%u: story end -> name entry (sub 16), total %ld\n", host_frame, long(test_env.story_end));
}

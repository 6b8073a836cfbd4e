#include "game/modes/service_mode.h"

#include "base/env_switch.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram_cell.h"
#include "game/modes/service_old_form.h"
#include "game/modes/service_pages.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"
#include "game/services/sound_commands.h"
#include "game/services/top_hooks.h"

#include <cstdio>

namespace {

constexpr int32_t SERVICE_RUN_STATE = 7;
constexpr uint32_t REENTRY_FRAMES = 600;
constexpr uint32_t SWITCH_SERVICE = 4;  // coin_switch_word bits
constexpr uint32_t SWITCH_TEST = 8;
constexpr uint32_t PORT2_LEAVE = 0x100;
constexpr int HANDLE_PAGE = 32;

// service_page_handlers: entry 2k enters page pair k, 2k + 1 runs it.
constexpr service_page_handler SERVICE_PAGE_HANDLERS[SERVICE_PAGES] = {
    service_main_menu_enter, service_main_menu_run,  // 0/1 main menu
    coin_options_enter, coin_options_run,            // 2/3
    game_options_enter, game_options_run,            // 4/5
    io_menu_enter, io_menu_run,                      // 6/7 I/O test menu
    input_test_enter, input_test_run,                // 8/9
    io_value_enter, io_value_run,                    // 10/11
    output1_enter, output1_run,                      // 12/13
    output2_enter, output2_run,                      // 14/15
    pattern_test_enter, pattern_test_run,            // 16/17
    sound_test_enter, sound_test_run,                // 18/19
    bookkeeping_enter, bookkeeping_run,              // 20/21
    board_menu_enter, board_menu_run,                // 22/23 board test menu
    dsp_test_enter, dsp_test_run,                    // 24/25
    bookkeeping_clear_enter, bookkeeping_clear_run,  // 26/27
    factory_reset_enter, factory_reset_run,          // 28/29
    rom_check_enter, rom_check_run,                  // 30/31
    handle_adjust_enter, handle_adjust_run,          // 32/33
};

bool switch_on(uint32_t bit) {
    return (uint32_t(w_cell(W_COIN_SWITCH)) & bit) != 0;
}

// Under SKYVOLTA_TMLOG: one line whenever the page, its cursor or the switches change.
void dispatch_trace() {
    static const bool on = env_on("SKYVOLTA_TMLOG", true);
    static int last_page = -1, last_cursor = -1;
    static uint32_t last_signature = ~0u;
    if (!on) return;
    uint32_t edge = uint32_t(w_cell(W_DIRECTION)) & 0xFFFF, rep = uint32_t(w_cell(W_DIRECTION_REPEAT)) & 0xFFFF;
    uint32_t start = uint32_t(w_cell(W_START_EDGE)) & 0xFFFF, sw = uint32_t(w_cell(W_COIN_SWITCH)) & 0xFFFF;
    uint32_t signature = rep << 4 | edge | (sw << 9 & 0x1FE00) | (start << 8 & 0x100);
    int page = testmode_page(), cursor = page < SERVICE_PAGES ? testmode_cursor_get() : -1;
    if (page == last_page && cursor == last_cursor && signature == last_signature) return;
    fprintf(stderr, "[TM] f%u page %d cursor %d  edge %X rep %X start %X sw %X svc %X\n",
            unsigned(w_cell(W_FRAME_TICK)), page, cursor, unsigned(edge), unsigned(rep), unsigned(start),
            unsigned(sw), unsigned(w_cell(W_START_SWITCH) & 0xFFFF));
    last_page = page;
    last_cursor = cursor;
    last_signature = signature;
}

void testmode_leave() {
    int page = testmode_page();
    if (page == 3) testmode_save_coin_options();
    if (page == 5) testmode_save_game_options();
    page &= ~1;
    if (page == 24 || page == 30) page = 22;
    testmode_set_page(page);
    service_restart();
}

}  // namespace

void service_restart() {
    service_long_set(W_TEST_EXIT_FRAME, service_long(W_FRAME_COUNTER));
    service_word_set(W_SERVICE_EXIT_MARK, 1);
    eeprom_sync_all();
    game_top.service_flag_set();  // the frame step resets with the settings kept
}

void testmode_init() {
    dl_buffers_invalidate();
    mixer_colour_set(0, 0, 0);
    wram_long_set(W_GAME_STATE, SERVICE_RUN_STATE);
    int page = (service_old_form ? testmode_page() & 0xFFFF : testmode_page()) & ~1;
    bool fresh = uint32_t(service_long(W_FRAME_COUNTER)) > uint32_t(service_long(W_TEST_EXIT_FRAME)) + REENTRY_FRAMES;
    if (fresh) page = 0;
    if (switch_on(SWITCH_SERVICE)) page = HANDLE_PAGE;
    else if (!fresh && page == HANDLE_PAGE) page = 0;
    testmode_set_page(page);
    service_word_set(W_FADE_AMOUNT, 0);
    service_word_set(W_SCENE_WORD, 0);
    service_word_set(W_ATTRACT_SCENE_FLAG, 0);
    sound_stop_all();
    start_lamp_idle();
    lamp_bit2_set(0);
    palette_copy();
}

void testmode_dispatch() {
    dispatch_trace();
    int page = testmode_page();
    const service_page_handler* handlers = service_old_form ? SERVICE_STATE_HANDLERS : SERVICE_PAGE_HANDLERS;
    if (page >= 0 && page < SERVICE_PAGES) handlers[page]();
    if (switch_on(SWITCH_TEST)) return;
    bool port2_leave = uint32_t(w_cell(W_SWITCH_PORT0 + SWITCH_PORT_STRIDE + SP_CURRENT)) & PORT2_LEAVE;
    if (w_cell(W_STOP_FLAG) != 0 && !port2_leave) return;
    testmode_leave();
}

// Each state reads SKYVOLTA_OLD_TESTMODE once, at its first call.
void service_mode_init() {
    static const bool old_form = env_present("SKYVOLTA_OLD_TESTMODE");
    service_old_form = old_form;
    testmode_init();
}

void service_mode_run() {
    static const bool old_form = env_present("SKYVOLTA_OLD_TESTMODE");
    service_old_form = old_form;
    testmode_dispatch();
}

// Stays empty: the DSP test runs one test per frame, with no frame count of its own.
void testmode_vblank_hook() {}

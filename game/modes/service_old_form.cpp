#include "game/modes/service_old_form.h"

#include "board/bus.h"
#include "board/text_print.h"
#include "game/modes/service_pages.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t OLD_COIN_VALUES = 0x36714;  // two records before the new form's list
constexpr int REPORTED_NAMES = 8;

void old_main_menu_enter() {
    textram_clear();
    testmode_set_page(1);
}

void old_coin_options_enter() {
    coin_options_enter_from(OLD_COIN_VALUES);
}

bool old_exit_pressed() {
    return testmode_exit_pressed(0) == 1;
}

void old_input_test_run() {
    input_test_draw();
    if (old_exit_pressed() || (port1_repeat() & 0x100)) testmode_set_page(6);
}

// The I/O value test without a baseline: the value itself and the steps.
void old_io_value_run() {
    int step = service_word(W_SCRATCH_28);
    io_value_draw(step, 0, uint32_t(bus_read16(WRAM_BASE + W_IO_VALUE)) & 0xFFFF);
    if (testmode_select_pressed()) {
        io_value_prompts_clear();
        service_word_set(W_SCRATCH_28, step >= 2 ? 0 : step + 1);
    }
    if (old_exit_pressed() || (port1_current() & 0x180) == 0x180) testmode_set_page(6);
}

// "[TITLE]" once per name while fewer than eight are remembered, then every new call.
void title_report(const char* name) {
    static const char* remembered[REPORTED_NAMES];
    static int count;
    for (int i = 0; i < count; i++)
        if (strcmp(remembered[i], name) == 0) return;
    if (count < REPORTED_NAMES) remembered[count++] = name;
    printf("[TITLE] sub-state handler not yet transcribed: %s\n", name);
    fflush(stdout);
}

// 0x01B16E: the first output page's step (screen flip), not transcribed.
void screen_flip_run() { title_report("service_screen_flip_run @0x01B16E"); }
// 0x01B25C: the second output page's step (stereo), not transcribed.
void stereo_toggle_run() { title_report("service_stereo_toggle_run @0x01B25C"); }
// 0x01C058: the handle-adjust page's step (slot 0x21), not transcribed.
void slot_21_run() { title_report("slot 0x21 @0x01C058"); }

}  // namespace

const service_page_handler SERVICE_STATE_HANDLERS[SERVICE_PAGES] = {
    old_main_menu_enter, service_main_menu_run,      // 0/1
    old_coin_options_enter, coin_options_run,        // 2/3
    game_options_enter, game_options_run,            // 4/5
    io_menu_enter, io_menu_run,                      // 6/7
    input_test_enter, old_input_test_run,            // 8/9
    io_value_enter, old_io_value_run,                // 10/11
    output1_enter, screen_flip_run,                  // 12/13
    output2_enter, stereo_toggle_run,                // 14/15
    pattern_test_enter, pattern_test_run,            // 16/17
    sound_test_enter, sound_test_run,                // 18/19
    bookkeeping_enter, bookkeeping_run,              // 20/21
    board_menu_enter, board_menu_draw,               // 22/23: no cursor, no selection
    dsp_test_enter, dsp_test_run,                    // 24/25 (never reached)
    bookkeeping_clear_enter, bookkeeping_clear_run,  // 26/27
    factory_reset_enter, factory_reset_run,          // 28/29 (never reached)
    rom_check_enter, rom_check_run,                  // 30/31 (never reached)
    handle_adjust_enter, slot_21_run,                // 32/33
};

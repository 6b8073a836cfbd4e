#include "host/input_logs.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "host/host_ram.h"
#include "host/input_update.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t MENU_STICK_PHASE = 40;  // frames per steering value of the drive

FILE* input_log;

unsigned commsram_word(uint32_t offset) {
    return unsigned(commsram[offset]) << 8 | commsram[offset + 1];
}

bool on_select_screen(int32_t sub) {
    return w_cell(W_GAME_STATE) == STATE_GAMEPLAY && (sub == 0 || sub == 1 || sub == 12 || sub == 13);
}

}  // namespace

void input_log_open() {
    const char* path = env_text("SKYVOLTA_SNDCMDLOG");
    if (!path || !*path) return;
    input_log = fopen(path, "w");
    if (!input_log) {
        fprintf(stderr, "[INPUT] cannot write %s: %s\n", path, strerror(errno));
        return;
    }
    setvbuf(input_log, nullptr, _IOLBF, 0);
}

void input_log_frame() {
    if (!input_log) return;
    fprintf(input_log, "%u %04X %04X %04X %04X %04X %04X %04X\n", host_frame, commsram_word(CR_SWITCH_BYTE0),
            commsram_word(CR_SWITCH_BYTE1), commsram_word(CR_ANALOG_WORDS), commsram_word(CR_ANALOG_WORDS + 2),
            commsram_word(CR_ANALOG_WORDS + 4), commsram_word(CR_ANALOG_WORDS + 6), commsram_word(CR_LAMP_WORD));
}

void menu_stick_test() {
    static int mode = -1;  // 0 off
    static int32_t last_sub = -1, last_cursor = -1, last_held = -1;
    if (mode < 0) {
        int n = env_int("SKYVOLTA_TEST_MENUSTICK", 0);
        mode = !env_present("SKYVOLTA_TEST_MENUSTICK") ? 0 : n == 0 ? 1 : n;
    }
    if (mode == 0) return;
    int32_t sub = w_cell(W_GAME_SUB_STATE);
    if (!on_select_screen(sub)) return;
    if (mode > 1) {
        static const int drive[3] = {ADC_MIN, ADC_MAX, ADC_CENTRE};
        set_analog_inputs(drive[host_frame % (3 * MENU_STICK_PHASE) / MENU_STICK_PHASE], ADC_CENTRE);
    }
    int32_t cursor = w_cell(W_SELECT_CURSOR);
    uint32_t direction = uint32_t(w_cell(W_DIRECTION));
    int32_t held = int32_t(direction >> 16);
    if (sub == last_sub && cursor == last_cursor && held == last_held) return;
    last_sub = sub, last_cursor = cursor, last_held = held;
    printf("[MENUSTK] f%u sub=%ld cursor=%ld/max=%ld dirHI=%04lX heldLO=%04lX m2BDC=%08lX adc=%ld ctr=%ld\n",
           host_frame, long(sub), long(cursor), long(uint16_t(w_word(W_SELECT_MAX))), long(held),
           long(direction & 0xFFFF), long(uint32_t(w_cell(W_DIRECTION_REPEAT))), long(w_cell(W_HANDLE_TURN)),
           long(w_cell(W_DIRECTION_HOLD)));
}

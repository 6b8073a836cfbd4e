#include "tests/game/modes/ending_fixture.h"

#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "game/modes/ending_phases.h"
#include "game/services/flight_ram.h"
#include "game/services/object_ram.h"

void ending_board(int32_t flag) {
    screen_start();
    wram_long_set(W_GAME_STATE, 3);
    wram_long_set(W_GAME_SUB_STATE, 14);
    wram_long_set(W_END_FLAG, flag);
    w_write16(WRAM_BASE + W_GAME_MODE, 1);
}

void ending_start(int32_t flag) {
    ending_board(flag);
    ending_frame();
}

void ending_jump(int32_t p, int32_t c) {
    ending_phase_set(p, c);
}

void ending_enter(int32_t flag, int32_t p, int32_t c) {
    ending_start(flag);
    ending_phase_set(p, c);
}

void ending_dispatch() {
    wram_long_set(W_GAME_SUB_STATE, 15);
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    ending_phase_dispatch();
}

void ending_frame(const screen_input& in) {
    wram_export();
    screen_frame(in);
}

int32_t ending_phase() {
    return int32_t(uint32_t(wram_long(W_ENDING_MODE)) >> 16);
}

int32_t ending_counter() {
    return wram_long(W_ENDING_MODE) & 0xFFFF;
}

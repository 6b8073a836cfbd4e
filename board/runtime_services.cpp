#include "board/runtime_services.h"

#include "base/env_switch.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/sprite_records.h"
#include "board/stub_report.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint32_t HANDSHAKE_STATUS = 0x850008;
constexpr uint32_t HANDSHAKE_DATA = 0x85000C;

bool handshake_ready() {
    uint32_t low = uint32_t(bus_read32(HANDSHAKE_STATUS)) & 0xFFFF;
    return low == 529 || low == 530;
}

}  // namespace

void main_loop() {
    stub_report("main_loop", 0x00BF2A, "the ROM's own frame loop; ours in main supersedes it");
}

void nop_hook_race(int32_t, int32_t) {}
void nop_hook_select() {}
void nop_hook_objects() {}

int32_t null_handler() {
    return 0;
}

void board_handshake_clear() {
    if (handshake_ready()) bus_write32(HANDSHAKE_DATA, 0);
}

void board_handshake_write(int32_t value) {
    if (handshake_ready()) bus_write32(HANDSHAKE_DATA, uint32_t(value));
}

void watchdog_spin_forever() {
    printf("  [WARN] watchdog_spin_forever bypassed\n");
}

void call_trace(const char* routine_name, int32_t id, int32_t parameter) {
    static const bool on = env_present("SKYVOLTA_SNDTRIG");
    if (!on) return;
    fprintf(stderr, "T fc=%d st=%d sub=%d fn=%s id=%x ", wram_long(W_FRAME_TICK), wram_long(W_GAME_STATE),
            wram_long(W_GAME_SUB_STATE), routine_name, unsigned(id) & 0xFFFF);
    if (parameter < 0)
        fprintf(stderr, "par=-1\n");
    else
        fprintf(stderr, "par=%x\n", unsigned(parameter) & 0xFFFF);
}

void sound_call_trace(const char* routine_name, int32_t id, int32_t parameter) {
    call_trace(routine_name, id, parameter);
}

int32_t fixed_mul(int32_t a, int32_t b) {
    return int32_t((int64_t(a) * b) >> 16);
}

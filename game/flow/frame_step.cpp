#include "game/flow/frame_step.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "dsp/master.h"
#include "game/flow/frame_interrupt.h"
#include "game/flow/game_flow.h"
#include "game/flow/game_init.h"
#include "game/flow/game_state_dispatch.h"
#include "game/services/coin_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint8_t reset_pending = 0;

namespace {

constexpr uint32_t IO_LOOP_ACK = 0x700014;
constexpr uint32_t FEED_DIR_MAX = 250;

// The settings block kept over a reset, in both images.
void reset_with_settings_kept() {
    static int64_t slots[SETTINGS_BLOCK_SIZE];
    static uint8_t bytes[SETTINGS_BLOCK_SIZE];
    memcpy(slots, wram + W_SETTINGS_BLOCK, sizeof slots);
    memcpy(bytes, wram_bytes + W_SETTINGS_BLOCK, sizeof bytes);
    game_init();
    memcpy(wram + W_SETTINGS_BLOCK, slots, sizeof slots);
    memcpy(wram_bytes + W_SETTINGS_BLOCK, bytes, sizeof bytes);
    fprintf(stderr, "[RESET] the program restarted (entry_reset 0x00BC4C), settings kept\n");
}

// The big-endian long of the byte image at work-RAM offset x.
uint32_t byte_long(uint32_t x) {
    return uint32_t(wram_bytes[x]) << 24 | uint32_t(wram_bytes[x + 1]) << 16 | uint32_t(wram_bytes[x + 2]) << 8 |
           wram_bytes[x + 3];
}

void byte_long_set(uint32_t x, uint32_t v) {
    for (uint32_t i = 0; i < 4; i++) wram_bytes[x + i] = uint8_t(v >> (24 - 8 * i));
}

// SKYVOLTA_NO_COINUPDATE: neither the test switch nor the coins are looked at.
bool coin_update_on() {
    static const bool off = env_present("SKYVOLTA_NO_COINUPDATE");
    return !off;
}

void inputs_latch() {
    static const bool no_input_read = env_present("SKYVOLTA_NO_INPUTREAD");
    input_latch_reset();
    if (!no_input_read) switch_edges_update();
    if (menu_stick_enabled) analog_inputs_read();
    encoder_counters_update();
}

long cell(uint32_t x) {
    return long(w_cell(x));
}

// SKYVOLTA_LOOPDBG: the race-end words every 60th frame, the results words every 30th,
// and every change of state or sub-state.
void loop_debug_log() {
    static const bool on = env_present("SKYVOLTA_LOOPDBG");
    static long last_state = -1, last_sub = -1;
    if (!on) return;
    long state = cell(W_GAME_STATE), sub = cell(W_GAME_SUB_STATE);
    if (host_frame % 60 == 0)
        printf("[LOOP]   f%-5u endflag=%ld dist(W15FE2)=%ld thresh(W0E4C)=%ld timer=%ld\n", host_frame, cell(0x0E18),
               cell(0x15FE2), cell(0x0E4C), cell(0x0E44));
    if (state == 3 && sub > 5 && host_frame % 30 == 0)
        printf("[RES] f%u sub=%ld e18=%ld e44=%ld e4c=%ld e50=%ld p16978=%ld p16974=%ld p1697c=%ld p16720=%ld "
               "eb16=%ld\n",
               host_frame, sub, cell(0x0E18), cell(0x0E44), cell(0x0E4C), cell(0x0E50), cell(0x16978), cell(0x16974),
               cell(0x1697C), cell(0x16720), cell(0xEB16));
    if (state != last_state || sub != last_sub) {
        printf("[LOOP] f%-5u state %ld->%ld  sub %ld->%ld   timer=%ld endflag=%ld dist=%ld thresh=%ld\n", host_frame,
               last_state, state, last_sub, sub, cell(0x0E44), cell(0x0E18), cell(0x15FE2), cell(0x0E4C));
        fflush(stdout);
        last_state = state;
        last_sub = sub;
    }
}

void text_count_log() {
    static const bool on = env_present("SKYVOLTA_CMDDUMP");
    static uint32_t calls;
    if (!on || calls++ % 60) return;
    int non_zero = 0;
    for (uint8_t b : textram) non_zero += b != 0;
    printf("[CMD] textram non-zero words: %d / 0x2000\n", non_zero);
}

void verbose_frame_log() {
    if (!verbose_enabled()) return;
    if (host_frame < 5 || host_frame % 20 == 0)
        printf("    [DBG] frame=%d state=%d sub=%d fog=(%d,%d,%d) fade=%d cr=%d armed=%d in=%04x/%04x edge=%04x/%04x "
               "adc=(%d,%d)\n",
               int(host_frame), w_cell(W_GAME_STATE), w_cell(W_GAME_SUB_STATE) & 0xFFFF, mixer_registers[0x05],
               mixer_registers[0x06], mixer_registers[0x07], mixer_registers[0x12], w_cell(W_COIN_COUNT),
               w_cell(W_ARMED_FLAG), w_cell(W_COIN_SWITCH), w_cell(W_START_SWITCH), w_cell(W_COIN_EDGE),
               w_cell(W_START_EDGE), w_cell(W_HANDLE_TURN), w_cell(W_HANDLE_PITCH));
    if (host_frame % 60 == 0) {
        int32_t cam[3], player[3];
        for (uint32_t i = 0; i < 3; i++) {
            cam[i] = wram_long(W_CAMERA_X + 4 * i);
            player[i] = wram_long(W_PLAYER_X + 4 * i);
        }
        printf("    [CAM] cam=(%d,%d,%d) player=(%d,%d,%d) d=(%d,%d,%d) hdg=%d pitch=%d\n", cam[0], cam[1], cam[2],
               player[0], player[1], player[2], int32_t(uint32_t(cam[0]) - uint32_t(player[0])),
               int32_t(uint32_t(cam[1]) - uint32_t(player[1])), int32_t(uint32_t(cam[2]) - uint32_t(player[2])),
               wram_long(W_CAMERA_HEADING) & 0xFFFF, wram_long(W_CAMERA_PITCH) & 0xFFFF);
    }
}

void dump_file(const char* path, const uint8_t* first, size_t n, const uint8_t* second = nullptr, size_t m = 0) {
    FILE* f = fopen(path, "wb");
    if (!f) return;
    fwrite(first, 1, n, f);
    if (second) fwrite(second, 1, m, f);
    fclose(f);
}

// SKYVOLTA_FEEDDUMP=DIR:FRAME (split at the last ':'): the live 2D inputs of that host
// frame as side files.
void feed_dump() {
    const char* v = env_text("SKYVOLTA_FEEDDUMP");
    const char* colon = v ? strrchr(v, ':') : nullptr;
    if (!colon || strtol(colon + 1, nullptr, 10) != long(host_frame)) return;
    char dir[FEED_DIR_MAX + 1];
    snprintf(dir, sizeof dir, "%.*s", int(colon - v), v);
    char path[FEED_DIR_MAX + 64];
    int n = int(host_frame);
    snprintf(path, sizeof path, "%s/sprite_f%d.bin", dir, n);
    dump_file(path, sprite_ram, sizeof sprite_ram);
    snprintf(path, sizeof path, "%s/cgram_f%d.bin", dir, n);
    dump_file(path, CGRAM, sizeof CGRAM, textram, sizeof textram);
    snprintf(path, sizeof path, "%s/vicsd_f%d.bin", dir, n);
    dump_file(path, sprite_attributes, sizeof sprite_attributes);
    snprintf(path, sizeof path, "%s/pal_f%d.bin", dir, n);
    dump_file(path, palette_ram, sizeof palette_ram);
    printf("[FEED] dumped live 2D feed at frame %d -> %s\n", n, dir);
}

}  // namespace

void game_frame() {
    if (!frame_due) return;
    frame_due = 0;
    if (reset_pending) {
        reset_pending = 0;
        reset_with_settings_kept();
    }
    wram_import();
    vblank_interrupt();
    wram_export();
    master_run_frame();
    bus_write8(IO_LOOP_ACK, 0);
    dsp_word_set(DSP_WORD_BUSY, 1);

    uint32_t tick = byte_long(W_FRAME_TICK) + 1;
    byte_long_set(W_FRAME_TICK, tick);
    frame_trace_hook(tick);
    wram_bytes[W_DL_BUFFER_INDEX + 3] ^= 1;  // only reaches the slot under SKYVOLTA_BUF_LEGACY
    wram_import();

    inputs_latch();
    loop_debug_log();
    text_count_log();
    sprite_list_upload();
    mixer_fade_update();
    sound_defer_tick();
    if (coin_update_on()) test_switch_check();
    verbose_frame_log();
    game_state_dispatch(wram_long(W_GAME_STATE));

    camera_rotation_words_emit();
    if (coin_update_on()) coin_credit_update();
    dl_terminate();
    feed_dump();
    wram_export();
    dsp_word_set(DSP_WORD_BUSY, 0);
}

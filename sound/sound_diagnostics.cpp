// Sound-board diagnostics around the frame run: what the game and the driver changed in
// commsram, the mailbox, the per-60-frame MCU line and the share dumps.
#include "sound/sound_diagnostics.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/game_state_ram.h"
#include "board/sprite_records.h"
#include "board/wram_cell.h"
#include "sound/audio_output.h"
#include "sound/chip_ring.h"
#include "sound/chip_window_log.h"
#include "sound/sound_board.h"
#include "sound/sound_state_hash.h"

#include <cstdlib>
#include <cstring>

bool sound_log_enabled = false;
bool mcu_log_enabled = false;
char share_dump_prefix[1024];

namespace {

constexpr uint32_t SFR_COUNT_START = 0x40;
constexpr uint32_t SFR_TIMER_B0_RELOAD = 0x50;  // 16 bits, low byte first
constexpr uint32_t SFR_TIMER_B0_MODE = 0x5B;
constexpr int MCU_LOG_BYTES_LISTED = 12;
constexpr uint32_t MAILBOX_BYTES = 64;
constexpr uint32_t SLOT_WATCH_DEFAULT = 27;
constexpr uint32_t SLOT_COUNT = sizeof(board_memory_block::commsram) / 2;
constexpr uint32_t SHARE_DUMP_LATER = 300;  // host frames from "play" to "play300"

struct diag_log_slot {
    FILE* file;
    char buffer[1 << 20];
};
diag_log_slot log_slots[DIAG_LOG_COUNT];

enum class watch_state { unread, off, on };

struct frame_diag_state {
    uint8_t last_commsram[sizeof(board_memory_block::commsram)];  // as it stood after the last run
    bool first_run_done;
    watch_state slot_watch;
    uint32_t watched[5];
    uint16_t watched_word[5];
    uint8_t last_count_start;
    uint64_t last_control_writes, last_voice_writes, last_irq_count;
    int64_t share_play_frame;  // host frame of the "play" dump, -1 before it
};
frame_diag_state diag;

long wram_value(uint32_t x) {
    return long(w_cell(x));
}

uint16_t game_word(uint32_t offset) {
    return uint16_t(commsram[offset] << 8 | commsram[offset + 1]);
}

// SKYVOLTA_SLOTWATCH: set and not beginning with '0' turns the watch on; a number from 4
// up replaces slot 27, as long as the slot lies inside commsram.
void slot_watch_read() {
    const char* v = env_text("SKYVOLTA_SLOTWATCH");
    diag.slot_watch = v && v[0] != '0' ? watch_state::on : watch_state::off;
    uint32_t slots[5] = {0, 1, 2, 3, SLOT_WATCH_DEFAULT};
    long n = v ? strtol(v, nullptr, 10) : 0;
    if (n > 3 && n < long(SLOT_COUNT)) slots[4] = uint32_t(n);
    for (int k = 0; k < 5; k++) {
        diag.watched[k] = slots[k];
        diag.watched_word[k] = game_word(2 * slots[k]);
    }
}

void slot_watch(const char* side) {
    if (diag.slot_watch != watch_state::on) return;
    for (int k = 0; k < 5; k++) {
        uint16_t now = game_word(2 * diag.watched[k]);
        if (now == diag.watched_word[k]) continue;
        fprintf(stderr, "[SLOT] f%-6u st=%ld/%ld  %s slot %d  %04X -> %04X\n", host_frame,
                wram_value(W_GAME_STATE), wram_value(W_GAME_SUB_STATE), side, int(diag.watched[k]),
                diag.watched_word[k], now);
        diag.watched_word[k] = now;
    }
}

void commsram_change_listing() {
    uint32_t changed = 0;
    for (uint32_t i = 0; i < sizeof diag.last_commsram; i++) {
        if (commsram[i] == diag.last_commsram[i]) continue;
        if (changed++ < MCU_LOG_BYTES_LISTED)
            fprintf(stderr, "[MCU]   68K wrote commsram[%04X] %02X -> %02X\n", i, diag.last_commsram[i], commsram[i]);
    }
    if (changed) fprintf(stderr, "[MCU]   (%u bytes changed by the 68K this frame)\n", changed);
}

void mailbox_log() {
    FILE* f = diag_log(DIAG_LOG_MAILBOX);
    if (!f) return;
    for (uint32_t off = 0; off < MAILBOX_BYTES; off += 2) {
        uint16_t now = game_word(off);
        if (now == uint16_t(diag.last_commsram[off] << 8 | diag.last_commsram[off + 1])) continue;
        fprintf(f, "MBOX off=%x val=%04x fc=%ld st=%ld ph=%ld\n", off, now, wram_value(W_FRAME_TICK),
                wram_value(W_GAME_STATE), wram_value(W_ATTRACT_PHASE));
    }
    fflush(f);
}

// "play" at the first frame of a race (state 3/3), "play300" 300 host frames later if
// the race still runs then.
void share_dumps() {
    if (!share_dump_prefix[0] || wram_value(W_GAME_STATE) != 3 || wram_value(W_GAME_SUB_STATE) != 3) return;
    if (diag.share_play_frame < 0) {
        diag.share_play_frame = host_frame;
        mcu_share_dump(share_dump_prefix, "play");
    } else if (int64_t(host_frame) == diag.share_play_frame + SHARE_DUMP_LATER) {
        mcu_share_dump(share_dump_prefix, "play300");
    }
}

void mcu_frame_log() {
    const m377_state& s = mcu_cpu;
    uint8_t count_start = s.sfr[SFR_COUNT_START];
    if (mcu_log_enabled && count_start != diag.last_count_start) {
        fprintf(stderr, "[MCU] f%u  count-start %02X -> %02X  (pc=%04X)\n", host_frame, diag.last_count_start,
                count_start, s.pc);
        diag.last_count_start = count_start;
    }
    if (mcu_log_enabled && host_frame % 60 == 0)
        fprintf(stderr,
                "[MCU] f%-5u st=%ld/%ld  +%ld ctrl +%ld voice  +%llu irq  cnt_start=%02X  $82=%02X $83=%02X  "
                "B0mode=%02X B0reload=%04X\n",
                host_frame, wram_value(W_GAME_STATE), wram_value(W_GAME_SUB_STATE),
                long(chip_writes.control - diag.last_control_writes), long(chip_writes.voice - diag.last_voice_writes),
                (unsigned long long)(s.irq_count - diag.last_irq_count), count_start,
                mcu_iram[0x82 - MCU_IRAM_FIRST], mcu_iram[0x83 - MCU_IRAM_FIRST], s.sfr[SFR_TIMER_B0_MODE],
                unsigned(s.sfr[SFR_TIMER_B0_RELOAD] | s.sfr[SFR_TIMER_B0_RELOAD + 1] << 8));
    diag.last_control_writes = chip_writes.control;
    diag.last_voice_writes = chip_writes.voice;
    diag.last_irq_count = s.irq_count;
}

}  // namespace

void sound_diag_switches_read() {
    sound_log_enabled = env_present("SKYVOLTA_SNDLOG");
    mcu_log_enabled = env_present("SKYVOLTA_MCULOG");
    const char* prefix = env_text("SKYVOLTA_SHAREDUMP");
    snprintf(share_dump_prefix, sizeof share_dump_prefix, "%s", prefix ? prefix : "");
}

FILE* diag_log_open(diag_log_file which, const char* path) {
    static bool close_registered = false;
    diag_log_slot& slot = log_slots[which];
    if (slot.file) fclose(slot.file);
    slot.file = fopen(path, "w");
    if (!slot.file) return nullptr;
    setvbuf(slot.file, slot.buffer, _IOFBF, sizeof slot.buffer);
    if (!close_registered) close_registered = atexit(diag_logs_close) == 0;
    return slot.file;
}

FILE* diag_log(diag_log_file which) {
    return log_slots[which].file;
}

void diag_logs_close() {
    for (diag_log_slot& slot : log_slots) {
        if (slot.file) fclose(slot.file);
        slot.file = nullptr;
    }
}

void sound_diag_driver_start() {
    diag_logs_close();
    memset(&diag, 0, sizeof diag);
    diag.slot_watch = watch_state::unread;
    diag.last_count_start = 0xFF;
    diag.share_play_frame = -1;
    chip_writes = {};
    sound_state_hash_reset();
    chip_window_log_start();
}

void sound_diag_before_run() {
    if (mcu_log_enabled) commsram_change_listing();
    if (!diag.first_run_done) {
        diag.first_run_done = true;
        slot_watch_read();
        const char* mailbox = env_text("SKYVOLTA_MBOXLOG");
        if (mailbox) diag_log_open(DIAG_LOG_MAILBOX, mailbox);
    }
    slot_watch("68K");
    mailbox_log();
}

void sound_diag_after_run() {
    chip_trace_frame_line();
    memcpy(diag.last_commsram, commsram, sizeof diag.last_commsram);
    slot_watch("MCU");
    share_dumps();
    mcu_frame_log();
}

void mcu_share_dump(const char* prefix, const char* tag) {
    char path[1200];
    snprintf(path, sizeof path, "%s_%s.bin", prefix, tag);
    FILE* f = fopen(path, "wb");
    if (!f) return;
    uint8_t swapped[sizeof(board_memory_block::commsram)];
    for (uint32_t i = 0; i < sizeof swapped; i++) swapped[i] = commsram[i ^ 1];
    fwrite(swapped, 1, sizeof swapped, f);
    fclose(f);
    char text_path[1200];
    snprintf(text_path, sizeof text_path, "%s_%s_q904.txt", prefix, tag);
    // Without a chip only the binary file exists, and the line names it.
    fprintf(stderr, "[MCU] wrote %s\n", chip_regs_dump(text_path) ? text_path : path);
}

bool chip_regs_dump(const char* path) {
    if (!chip_present.load()) return false;
    FILE* f = fopen(path, "w");
    if (!f) return false;
    audio_lock(&chip_ring.lock);
    for (uint32_t v = 0; v < Q904_VOICES; v++) {
        fprintf(f, "v%02u", v);
        for (uint32_t r = 0; r < 8; r++) fprintf(f, " %04X", q904_read(&q904, 8 * v + r));
        fputc('\n', f);
    }
    audio_unlock(&chip_ring.lock);
    fclose(f);
    return true;
}

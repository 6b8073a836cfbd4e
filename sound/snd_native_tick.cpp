// The driver's top level: the idle loop, the timer tick and its body, the mailbox walk
// over the command slots, the start of a new command and the per-slot level.
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"
#include "sound/sound_board.h"
#include "sound/sound_cpu_run.h"

#include <algorithm>

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_z = m377_flag_z, flag_m = m377_flag_m;
constexpr uint16_t widths = m377_flag_m | m377_flag_x;

// The status bits the tick clears around its call: M, X, D, Z and C.
constexpr uint16_t tick_cleared = m377_flag_m | m377_flag_x | m377_flag_d | m377_flag_z | m377_flag_c;
constexpr uint16_t tick_status = 0x0100;  // interrupt level 1, everything else clear

// One 16-bit add the driver makes with CLC first: memory word at address += amount.
uint32_t add_to_word(m377_state* s, uint32_t address, uint32_t amount) {
    s->ps &= ~flag_c;
    uint32_t value = snd_adc16(s, snd_bus_read16(s, address), amount);
    snd_bus_write16(s, address, value);
    return value;
}

}  // namespace

// 0xC12B: the idle loop (LDA D+0x83, BEQ back) while the flag is 0, skipped in one step
// to the next thing that can happen.
int idle_wait(m377_state* s) {
    if (!(s->ps & flag_m) || snd_peek8(s, snd_dp(s, DRV_IDLE_FLAG)))
        return snd_count_declined(SND_COUNTER_IDLE_WAIT);
    s->a &= 0xFF00;
    s->ps = uint16_t((s->ps & ~m377_flag_n) | flag_z);
    uint64_t until = std::min(m377_next_event(s), mcu_slice_end());
    s->cycles = until > s->cycles && until != UINT64_MAX ? until : s->cycles + 9;
    return snd_count_ran(SND_COUNTER_IDLE_WAIT);
}

// 0xC258: the timer interrupt; the registers saved around the subroutine at 0xBFBA.
int tick(m377_state* s) {
    s->ps &= ~tick_cleared;
    for (uint16_t reg : {s->a, s->b, s->x, s->y, s->dpr}) snd_push16(s, reg);
    snd_push8(s, s->dt);
    s->dt = 0;
    s->dpr = 0;
    s->a = 0x0100;
    s->ps = tick_status;
    if (snd_call_driver(s, snd_bus_read16(s, DRV_TICK_WORD))) return 1;
    s->ps &= ~tick_cleared;
    s->dt = uint8_t(snd_pull8(s));
    for (uint16_t* reg : {&s->dpr, &s->y, &s->x, &s->b, &s->a}) *reg = uint16_t(snd_pull16(s));
    s->ps = uint16_t(snd_pull16(s));
    s->pc = uint16_t(snd_pull16(s));
    s->pg = uint8_t(snd_pull8(s));
    return snd_count_ran(SND_COUNTER_TICK);
}

// 0xD684: driver time, the busy byte and the main work once per tick.
int tick_body(m377_state* s) {
    bool busy = snd_peek8(s, snd_dp(s, DRV_BUSY)) != 0;
    bool left_to_driver = snd_peek8(s, DRV_QUIET_BYTE) == 0x5A ||
                          (snd_peek8(s, DRV_ID_BYTES) == 0xAA && snd_peek8(s, DRV_ID_BYTES + 1) == 0x99) ||
                          !(s->s & 1);
    if (!busy && left_to_driver) return snd_count_declined(SND_COUNTER_TICK_BODY);
    s->ps &= ~widths;
    s->a = uint16_t(add_to_word(s, snd_dp(s, DRV_TIME), 64));
    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_BUSY)));
    if (s->a & 0xFF) return snd_return_counted(s, SND_COUNTER_TICK_BODY);
    // The checks that let this routine run, as the driver makes them.
    snd_lda8(s, snd_bus_read8(s, DRV_QUIET_BYTE));
    snd_compare(s, s->a, 0x5A, false);
    snd_lda8(s, snd_bus_read8(s, DRV_ID_BYTES));
    snd_compare(s, s->a, 0xAA, false);
    if ((s->a & 0xFF) == 0xAA) {
        snd_lda8(s, snd_bus_read8(s, DRV_ID_BYTES + 1));
        snd_compare(s, s->a, 0x99, false);
    }

    snd_bus_write8(s, snd_dp(s, DRV_BUSY), 1);
    s->dt = 0;
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, 0);
    snd_load16(s, &s->dpr, 0);
    snd_load16(s, &s->a, s->s);
    snd_bus_write16(s, snd_dp(s, DRV_SAVED_S), s->a);
    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, DRV_PAN_MASK_SOURCE));
    snd_bus_write8(s, snd_dp(s, DRV_PAN_MASK), s->a);
    snd_narrow_a(s, false);
    if (snd_call_vector(s, DRV_VEC_MAIN_WORK)) return 1;

    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, DRV_PAIR_FIRST));
    snd_compare(s, s->a, snd_bus_read8(s, DRV_PAIR_SECOND), false);
    snd_narrow_a(s, false);
    if (!(s->ps & flag_z) && snd_call_driver(s, DRV_PAIR_ROUTINE)) return 1;
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SAVED_S)));
    s->s = s->a;
    snd_narrow_a(s, true);
    snd_bus_write8(s, snd_dp(s, DRV_BUSY), 0);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, s->s);
    return snd_return_counted(s, SND_COUNTER_TICK_BODY);
}

// 0xD6E3: the walk over the command slots.
int mailbox(m377_state* s) {
    s->ps &= ~widths;
    snd_bus_write16(s, snd_dp(s, DRV_CHANNEL_AREA), DRV_CHANNELS);
    snd_bus_write16(s, snd_dp(s, DRV_TRACK), DRV_TRACKS);
    snd_bus_write8(s, snd_dp(s, DRV_SLOT_COUNTER), 0);
    snd_bus_write16(s, snd_dp(s, DRV_SLOT_WORD), DRV_SLOT_WORDS);
    for (;;) {
        snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
        snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, 0)) & DRV_CMD_NEW);
        if (s->a) {
            if (snd_call_vector(s, DRV_VEC_NEW_COMMAND)) return 1;
        } else {
            snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, DRV_SLOT_LINK)));
            snd_load16(s, &s->x, s->a);
            snd_load16(s, &s->b, snd_bus_read16(s, snd_field(s, s->x, 0)));  // the owner's command word
            snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
            snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, TRK_COMMAND)));
            if (s->a & 0x8000) {
                snd_bus_write16(s, snd_field(s, s->x, TRK_COMMAND), s->b);
                if (snd_call_vector(s, DRV_VEC_SLOT_WORK)) return 1;
                snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
                if (snd_call_driver(s, DRV_SLOT_LEVEL)) return 1;
            }
        }
        // The slot counter is a byte: a count of 0 walks 256 slots.
        snd_narrow_a(s, true);
        snd_step_memory(s, snd_dp(s, DRV_SLOT_COUNTER), 1, false);
        snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_SLOT_COUNTER)));
        snd_compare(s, s->a, snd_bus_read8(s, DRV_SLOT_COUNT), false);
        snd_narrow_a(s, false);
        if (s->ps & flag_z) break;
        s->a = uint16_t(add_to_word(s, snd_dp(s, DRV_CHANNEL_AREA), DRV_CHANNEL_AREA_SIZE));
        s->a = uint16_t(add_to_word(s, snd_dp(s, DRV_TRACK), DRV_TRACK_SIZE));
        snd_step_memory(s, snd_dp(s, DRV_SLOT_WORD), 1, true);
        snd_step_memory(s, snd_dp(s, DRV_SLOT_WORD), 1, true);
    }
    if (snd_call_vector(s, DRV_VEC_AFTER_SLOTS)) return 1;
    snd_narrow_a(s, true);
    return snd_return_counted(s, SND_COUNTER_MAILBOX);
}

// 0xD745 (timed): the track's level byte from its level source.
int slot_level(m377_state* s) {
    if ((s->ps & widths) || (snd_peek16(s, snd_field(s, s->x, TRK_COMMAND)) & 0x3000))
        return snd_count_declined(SND_COUNTER_SLOT_LEVEL);
    uint32_t source = snd_bus_read16(s, snd_field(s, s->x, TRK_LEVEL_SOURCE));
    uint32_t level = snd_bus_read8(s, uint32_t(s->dt) << 16 | source);
    snd_bus_write8(s, snd_field(s, s->x, TRK_LEVEL), level);
    s->a = uint16_t(level);
    snd_set_nz(s, level, false);
    // The driver's instructions besides their bus accesses: 5 + 14 + 3 + 2 cycles and
    // 3 + 8 + 2 + 1 program bytes.
    s->cycles += 24;
    s->fetch_count += 14;
    return snd_return_counted(s, SND_COUNTER_SLOT_LEVEL);
}

// 0xD788: a slot whose command word has the new bit: its track set to the command's
// sequence, its channels inactive.
int new_command(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(SND_COUNTER_NEW_COMMAND);
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, TRK_COMMAND)));
    if ((s->a & 0x8000) && snd_call_vector(s, DRV_VEC_RESTART)) return 1;

    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, 0)) & DRV_CMD_CHILD);
    if (!s->a) {  // started by the game: the slot owns itself
        snd_load16(s, &s->a, s->x);
        snd_bus_write16(s, snd_field(s, s->x, DRV_SLOT_LINK), s->a);
    }
    uint32_t word = snd_bus_read16(s, snd_field(s, s->x, 0));
    snd_load16(s, &s->a, (word & 0x3FFF) | DRV_CMD_RUNNING);
    snd_bus_write16(s, snd_field(s, s->x, 0), s->a);
    snd_push16(s, s->a);
    snd_load16(s, &s->a, s->a & DRV_CMD_NUMBER);
    snd_bus_write16(s, snd_dp(s, DRV_SCRATCH), s->a);

    // The command table entry: 3 bytes at the table's offset + 3n in bank 0x21.
    s->a = uint16_t(snd_asl(s, s->a, 1, true));
    s->a = uint16_t(snd_adc16(s, s->a, snd_bus_read16(s, snd_dp(s, DRV_SCRATCH))));
    s->a = uint16_t(snd_adc16(s, s->a, snd_bus_read16(s, DRV_COMMAND_BANK)));
    snd_load16(s, &s->x, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, DRV_COMMAND_BANK + s->x));
    snd_load16(s, &s->y, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, DRV_COMMAND_BANK + 2 + s->x));

    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
    snd_bus_write16(s, snd_field(s, s->x, TRK_SEQUENCE), s->y);
    snd_load16(s, &s->y, snd_bus_read16(s, snd_dp(s, DRV_TIME)));
    snd_bus_write16(s, snd_field(s, s->x, TRK_TIME), s->y);
    snd_bus_write8(s, snd_field(s, s->x, TRK_BANK), s->a);
    for (uint32_t field : TRK_CLEARED_AT_START) snd_bus_write16(s, snd_field(s, s->x, field), 0);
    snd_load16(s, &s->a, snd_pull16(s));
    snd_bus_write16(s, snd_field(s, s->x, TRK_COMMAND), s->a);

    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA)));
    for (snd_load16(s, &s->y, 8); s->y; snd_load16(s, &s->y, s->y - 1u)) {
        snd_bus_write8(s, snd_field(s, s->x, CH_STATE), 0);
        snd_step_x(s, DRV_CHANNEL_SIZE);
    }
    return snd_return_counted(s, SND_COUNTER_NEW_COMMAND);
}

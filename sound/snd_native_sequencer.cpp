// The sequencer's step of one track: command bytes through the handler table until a
// wait byte, then the track's next step scheduled.
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"
#include "sound/sound_cpu_run.h"

#include <cstdio>

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_v = m377_flag_v, flag_z = m377_flag_z;
constexpr uint16_t widths = m377_flag_m | m377_flag_x;

// Commands one step may run before it hands the track back to the emulated loop: a
// sequence without a wait byte would otherwise hold the main thread for good.
constexpr uint32_t most_commands_per_step = 65536;
constexpr uint32_t command_loop = 0xDA11;
constexpr uint32_t extended_step = 0xDA2E;  // +0x0D nonzero
constexpr uint32_t held_step = 0xDA92;      // +0x1B nonzero

// Step 4: one command byte run through its handler; non-zero when the call did not
// come back cleanly.
int run_command(m377_state* s, uint32_t byte) {
    snd_load16(s, &s->y, s->y + 1u);
    snd_bus_write8(s, snd_dp(s, DRV_COMMAND_BYTE), byte);
    uint32_t code = byte & 0x3F;
    uint32_t handler = snd_bus_read16(s, DRV_HANDLERS + 2 * code);
    if (snd_trace_on())
        printf("[SEQ] cmd %02X at Y=%04X bank %02X handler %04X\n", byte, (s->y - 1u) & 0xFFFF, s->dt, handler);
    snd_seq_command_runs[code]++;
    s->a = uint16_t(handler);
    s->ps &= ~(flag_c | flag_v);
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
    return snd_call_driver(s, handler);
}

// Steps 6 and 7: the next step's time, the read address kept, DT = 0.
int schedule(m377_state* s) {
    snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, TRK_BYTE_1B)));
    if (s->a & 0xFF) return snd_bail(s, held_step, SND_COUNTER_SEQUENCER);
    snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, TRK_EXTENDED)));
    if (s->a & 0xFF) return snd_bail(s, extended_step, SND_COUNTER_SEQUENCER);
    uint32_t factor = snd_bus_read8(s, snd_field(s, s->x, TRK_STEP_A));
    snd_bus_write16(s, snd_dp(s, DRV_STEP_FACTOR), factor);
    uint32_t count = snd_bus_read8(s, snd_field(s, s->x, TRK_STEP_B));
    uint32_t time = snd_bus_read16(s, snd_field(s, s->x, TRK_TIME));
    time = (time + factor * count) & 0xFFFF;
    snd_bus_write16(s, snd_field(s, s->x, TRK_TIME), time);
    s->a = uint16_t(time);
    snd_bus_write16(s, snd_field(s, s->x, TRK_SEQUENCE), s->y);
    s->dt = 0;
    snd_set_nz(s, s->y, true);
    s->ps &= ~(flag_c | flag_v);
    return snd_return_counted(s, SND_COUNTER_SEQUENCER);
}

}  // namespace

// 0xD9D0: X = the track record, B = its owner's command word (bit 15: still running).
int sequencer(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(SND_COUNTER_SEQUENCER);
    s->b = uint16_t(snd_asl(s, s->b, 1, true));
    if (!(s->ps & flag_c)) {
        snd_push16(s, s->y);
        return snd_bail(s, DRV_STOP_TRACK, SND_COUNTER_SEQUENCER);
    }
    uint32_t time = snd_bus_read16(s, snd_field(s, s->x, TRK_TIME));
    s->ps |= flag_c;
    s->a = uint16_t(snd_adc16(s, time, ~snd_bus_read16(s, snd_dp(s, DRV_TIME))));
    if (s->a && !(s->a & 0x8000)) return snd_return_counted(s, SND_COUNTER_SEQUENCER);
    snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, TRK_BANK)));
    s->dt = uint8_t(s->a);
    snd_load16(s, &s->y, snd_bus_read16(s, snd_field(s, s->x, TRK_SEQUENCE)));
    snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, TRK_WAIT)));
    if (s->a & 0xFF) {
        snd_step_memory(s, snd_field(s, s->x, TRK_WAIT), -1, false);
        return schedule(s);
    }
    for (uint32_t commands = 0;; commands++) {
        if (commands == most_commands_per_step) return snd_bail(s, command_loop, SND_COUNTER_SEQUENCER);
        snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
        uint32_t byte = snd_read_dt(s, 0);
        snd_compare(s, byte, 0x80, true);
        if (byte & 0x80) {
            snd_load16(s, &s->y, s->y + 1u);
            s->a = uint16_t(byte & 0x7F);
            snd_bus_write8(s, snd_field(s, s->x, TRK_WAIT), s->a);
            return schedule(s);
        }
        // A command that ends the step itself (a return at depth 0 stops the track)
        // leaves its call without returning.
        if (run_command(s, byte)) return s->halted ? 1 : snd_count_ran(SND_COUNTER_SEQUENCER);
    }
}

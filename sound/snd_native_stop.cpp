// Stopping the current slot's track, and a slot with every slot it started.
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_z = m377_flag_z;
constexpr uint16_t widths = m377_flag_m | m377_flag_x;

// The chip's register block of the voice numbered at 0x00CC: X = 16n.
void x_to_voice_block(m377_state* s) {
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_VOICE_NUMBER)));
    s->a = uint16_t(snd_asl(s, s->a, 4, true));
    snd_load16(s, &s->x, s->a);
}

// One active channel (X) released: its voice's events dropped, the voice stopped at
// once, released through its envelope or keyed off, then the driver's release vectors.
int release_channel(m377_state* s) {
    snd_bus_write8(s, snd_field(s, s->x, CH_STATE), 0);
    snd_narrow_a(s, false);
    snd_bus_write16(s, snd_dp(s, DRV_SAVED_CHANNEL), s->x);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, CH_VOICE)) & 0xFF);
    snd_bus_write16(s, snd_dp(s, DRV_VOICE_NUMBER), s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, CH_VOICE_RECORD)));
    snd_load16(s, &s->x, s->a);
    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, VC_EVENT_READ)));
    snd_bus_write8(s, snd_field(s, s->x, VC_EVENT_WRITE), s->a);
    snd_narrow_a(s, false);
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SAVED_CHANNEL)));
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, CH_STOP_MODE)) & 0x7F);
    if (s->a) {
        x_to_voice_block(s);
        snd_load16(s, &s->a, 0);
        snd_bus_write16(s, DRV_CHIP + DRV_CHIP_FLAGS + s->x, 0);
    } else {
        snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, CH_VOICE_RECORD)));
        snd_load16(s, &s->x, s->a);
        snd_narrow_a(s, true);
        snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, VC_ENVELOPE)));
        if (s->a & 0xFF) {
            snd_bus_write8(s, snd_field(s, s->x, VC_RELEASE), 1);
            snd_narrow_a(s, false);
        } else {
            snd_narrow_a(s, false);
            x_to_voice_block(s);
            uint32_t flags = DRV_CHIP + DRV_CHIP_FLAGS + s->x;
            snd_load16(s, &s->a, snd_bus_read16(s, flags) & 0xFFFD);
            snd_bus_write16(s, flags, s->a);
        }
    }
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SAVED_CHANNEL)));
    if (snd_call_vector(s, DRV_VEC_RELEASED) || snd_call_vector(s, DRV_VEC_RELEASED_AFTER)) return 1;
    snd_narrow_a(s, true);
    snd_compare(s, s->a, 0, false);
    snd_narrow_a(s, false);
    if (!(s->ps & flag_z) && snd_call_vector(s, DRV_VEC_RELEASED_LEVEL)) return 1;
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SAVED_CHANNEL)));
    return 0;
}

// Stops the current slot (0x00D0, 0x00D6, 0x00D8, 0x00E0): its claims, its active
// channels, its command word, link and track. Non-zero when a driver call failed.
int stop_common(m377_state* s) {
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SLOT_COUNTER)) & 0xFF);
    snd_load16(s, &s->x, s->a);
    for (snd_load16(s, &s->y, 32); s->y; snd_load16(s, &s->y, s->y - 1u)) {
        snd_narrow_a(s, true);
        snd_lda8(s, 0);
        snd_bus_write8(s, DRV_CLAIMS + s->x, 0);
        snd_narrow_a(s, false);
        snd_step_x(s, DRV_CLAIM_ROW);
    }
    snd_bus_write16(s, snd_dp(s, DRV_SCRATCH), 0);
    snd_bus_write16(s, snd_dp(s, DRV_CHANNEL_COUNT), 8);
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA)));
    do {
        snd_narrow_a(s, true);
        snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, CH_STATE)));
        if (s->a & 0xFF) {
            if (release_channel(s)) return 1;
        } else {
            snd_narrow_a(s, false);
        }
        snd_step_x(s, DRV_CHANNEL_SIZE);
    } while (snd_step_memory(s, snd_dp(s, DRV_CHANNEL_COUNT), -1, true));
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, 0)) & 0x7FFF);
    snd_bus_write16(s, snd_field(s, s->x, 0), s->a);
    snd_bus_write16(s, snd_field(s, s->x, DRV_SLOT_LINK), 0);
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_TRACK)));
    snd_bus_write16(s, snd_field(s, s->x, TRK_COMMAND), 0);
    return 0;
}

}  // namespace

// 0xE18D: entered with Y on the stack above the return address.
int stop_track(m377_state* s) {
    if (s->ps & m377_flag_x) return snd_count_declined(SND_COUNTER_STOP_TRACK);
    snd_narrow_a(s, false);
    if (stop_common(s)) return 1;
    snd_load16(s, &s->y, snd_pull16(s));
    s->dt = 0;
    return snd_return_counted(s, SND_COUNTER_STOP_TRACK);
}

// 0xD982: the current slot and every running or new slot linked to it.
int stop_slot_children(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(SND_COUNTER_STOP_SLOT);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
    snd_bus_write16(s, snd_dp(s, DRV_STOP_OWNER), s->a);
    snd_push16(s, snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA)));
    snd_push16(s, snd_bus_read16(s, snd_dp(s, DRV_SLOT_COUNTER)));
    snd_bus_write16(s, snd_dp(s, DRV_SLOT_COUNTER), 0);
    snd_bus_write16(s, snd_dp(s, DRV_CHANNEL_AREA), DRV_CHANNELS);
    snd_bus_write16(s, snd_dp(s, DRV_SLOT_WORD), DRV_SLOT_WORDS);
    do {
        snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
        snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, 0)) & (DRV_CMD_RUNNING | DRV_CMD_NEW));
        if (s->a) {
            snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, DRV_SLOT_LINK)));
            snd_compare(s, s->a, snd_bus_read16(s, snd_dp(s, DRV_STOP_OWNER)), true);
            if (s->ps & flag_z) {
                if (stop_common(s)) return 1;
                snd_load16(s, &s->y, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
                s->dt = 0;
            }
        }
        snd_step_memory(s, snd_dp(s, DRV_SLOT_WORD), 1, true);
        snd_step_memory(s, snd_dp(s, DRV_SLOT_WORD), 1, true);
        snd_narrow_a(s, true);
        snd_step_memory(s, snd_dp(s, DRV_SLOT_COUNTER), 1, false);
        snd_narrow_a(s, false);
        s->ps &= ~flag_c;
        snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA)));
        s->a = uint16_t(snd_adc16(s, s->a, DRV_CHANNEL_AREA_SIZE));
        snd_bus_write16(s, snd_dp(s, DRV_CHANNEL_AREA), s->a);
        snd_compare(s, s->a, DRV_CHANNELS + 32 * DRV_CHANNEL_AREA_SIZE, true);
    } while (!(s->ps & flag_z));
    snd_load16(s, &s->a, snd_pull16(s));
    snd_bus_write16(s, snd_dp(s, DRV_SLOT_COUNTER), s->a);
    snd_load16(s, &s->a, snd_pull16(s));
    snd_bus_write16(s, snd_dp(s, DRV_CHANNEL_AREA), s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_STOP_OWNER)));
    snd_bus_write16(s, snd_dp(s, DRV_SLOT_WORD), s->a);
    return snd_return_counted(s, SND_COUNTER_STOP_SLOT);
}

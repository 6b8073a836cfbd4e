// The voice allocator's steps: channels of the 32 slots claim the Q904's 32 voices;
// each voice has an owning channel (0x4F00 + 2v) and, per slot, a claim priority
// (0x8800 + 32v + s) with the claiming channel's number 0x400 above it.
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_z = m377_flag_z, flag_m = m377_flag_m, flag_x = m377_flag_x;

int declined() {
    return snd_count_declined(SND_COUNTER_VOICE_ALLOC);
}

int done(m377_state* s) {
    return snd_return_counted(s, SND_COUNTER_VOICE_ALLOC);
}

// CLC, ADC #amount on A at 16 bits.
void add_to_a(m377_state* s, uint32_t amount) {
    s->ps &= ~flag_c;
    s->a = uint16_t(snd_adc16(s, s->a, amount));
}

// STA dp,X at 8 bits: A's low byte to X + D + n.
void store_byte(m377_state* s, uint32_t n, uint32_t value) {
    snd_narrow_a(s, true);
    snd_lda8(s, value);
    snd_bus_write8(s, snd_field(s, s->x, n), s->a);
    snd_narrow_a(s, false);
}

}  // namespace

// 0xD8A0, X = the channel record: the slot's claim on the channel's voice.
int voice_alloc_d8a0(m377_state* s) {
    if (s->ps & (flag_m | flag_x)) return declined();
    snd_load16(s, &s->a, s->x);
    snd_load16(s, &s->a, snd_lsr(s, s->a, 5, true) & 7);  // the channel's number in its slot
    snd_narrow_a(s, true);
    snd_bus_write8(s, snd_dp(s, DRV_CLAIM_CHANNEL), s->a);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_field(s, s->x, CH_VOICE)) & 0xFF);
    s->a = uint16_t(snd_asl(s, s->a, 5, true));
    add_to_a(s, DRV_CLAIMS);
    snd_push16(s, s->a);  // the voice's claim row
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SLOT_COUNTER)) & 0xFF);
    s->ps &= ~flag_c;
    s->a = uint16_t(snd_adc16(s, s->a, snd_bus_read16(s, (s->s + 1u) & 0xFFFF)));
    snd_load16(s, &s->x, s->a);
    store_byte(s, 0, snd_bus_read8(s, snd_dp(s, DRV_CLAIM_PRIORITY)));
    snd_load16(s, &s->a, s->x);
    add_to_a(s, DRV_CLAIM_TO_CHANNEL);
    snd_load16(s, &s->x, s->a);
    store_byte(s, 0, snd_bus_read8(s, snd_dp(s, DRV_CLAIM_CHANNEL)));
    snd_load16(s, &s->x, snd_pull16(s));
    return done(s);
}

// 0xD8CF, X = the channel record: the channel takes its voice from the owner it had.
int voice_alloc_d8cf(m377_state* s) {
    if ((s->ps & (flag_m | flag_x)) != flag_m) return declined();
    snd_bus_write8(s, snd_field(s, s->x, CH_STATE), 0xFF);
    snd_bus_write16(s, snd_dp(s, DRV_OWNER_ENTRY), s->x);
    snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, CH_VOICE)));
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, s->a & 0xFF);
    s->a = uint16_t(snd_asl(s, s->a, 1, true));
    s->a = uint16_t(snd_adc16(s, s->a, DRV_OWNERS));
    snd_load16(s, &s->y, s->a);  // the voice's owner entry
    snd_load16(s, &s->x, snd_bus_read16(s, snd_field(s, s->y, 0)));
    snd_compare(s, s->x, snd_bus_read16(s, snd_dp(s, DRV_OWNER_ENTRY)), true);
    if (!(s->ps & flag_z)) {
        snd_compare(s, s->x, 0, true);
        if (!(s->ps & flag_z)) snd_bus_write8(s, snd_field(s, s->x, CH_STATE), 0);  // the old owner loses it
        snd_load16(s, &s->x, s->y);
        snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_OWNER_ENTRY)));
        snd_bus_write16(s, snd_field(s, s->x, 0), s->a);
    }
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_OWNER_ENTRY)));
    snd_narrow_a(s, true);
    return done(s);
}

// 0xD8F9: the voice numbered at 0x00CC has no owner; A = X = its claim row.
int voice_alloc_d8f9(m377_state* s) {
    if (s->ps & flag_x) return declined();
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_VOICE_NUMBER)));
    s->a = uint16_t(snd_asl(s, s->a, 1, true));
    add_to_a(s, DRV_OWNERS);
    snd_bus_write16(s, snd_dp(s, DRV_OWNER_ENTRY), s->a);
    snd_load16(s, &s->x, s->a);
    snd_bus_write16(s, snd_field(s, s->x, 0), 0);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_VOICE_NUMBER)));
    s->a = uint16_t(snd_asl(s, s->a, 5, true));
    add_to_a(s, DRV_CLAIMS);
    snd_load16(s, &s->x, s->a);
    return done(s);
}

// 0xD912, X = a claim row: the strongest of its first (0x4482) claims, the first of
// equal ones; A = its priority, B = its index (0 when none is above 0), 0x00DE its
// address (unchanged when none), N and Z from the index.
int voice_alloc_d912(m377_state* s) {
    if (s->ps & flag_x) return declined();
    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, DRV_VOICE_COUNT));
    snd_lda8(s, s->a - 1u);
    snd_bus_write8(s, snd_dp(s, DRV_SCRATCH), s->a);  // counts down to 0xFF: a count of 0 scans 256
    snd_load16(s, &s->y, 0);
    snd_lda8(s, 0);
    s->b = uint16_t((s->b & 0xFF00) | (s->y & 0xFF));
    for (;;) {
        snd_compare(s, s->a, snd_bus_read8(s, snd_field(s, s->x, 0)), false);
        if (!(s->ps & flag_c)) {  // strictly above the best so far
            snd_lda8(s, snd_bus_read8(s, snd_field(s, s->x, 0)));
            snd_bus_write16(s, snd_dp(s, DRV_BEST_CLAIM), s->x);
            s->b = uint16_t((s->b & 0xFF00) | (s->y & 0xFF));
            snd_set_nz(s, s->b, false);
        }
        snd_load16(s, &s->x, s->x + 1u);
        snd_load16(s, &s->y, s->y + 1u);
        snd_step_memory(s, snd_dp(s, DRV_SCRATCH), -1, false);
        if (snd_bus_read8(s, snd_dp(s, DRV_SCRATCH)) == 0xFF) break;
    }
    snd_compare(s, s->b, 0, false);
    return done(s);
}

// 0xD936: the voice whose owner entry 0x00CA names goes to the strongest claim found:
// channel f (its channel number) of slot s (its column).
int voice_alloc_d936(m377_state* s) {
    if (s->ps & flag_x) return declined();
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_BEST_CLAIM)) & 0x1F);
    s->a = uint16_t(snd_asl(s, s->a, 3, true));
    snd_push16(s, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_BEST_CLAIM)));
    add_to_a(s, DRV_CLAIM_TO_CHANNEL);  // its carry joins the channel index below
    snd_load16(s, &s->x, s->a);
    snd_load16(s, &s->a, snd_pull16(s));
    snd_narrow_a(s, true);
    uint32_t k = snd_adc8(s, s->a, snd_bus_read8(s, snd_field(s, s->x, 0)));
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, k);
    s->a = uint16_t(snd_asl(s, s->a, 5, true));
    s->a = uint16_t(snd_adc16(s, s->a, DRV_CHANNELS));
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_OWNER_ENTRY)));
    snd_bus_write16(s, snd_field(s, s->x, 0), s->a);
    snd_load16(s, &s->x, s->a);
    snd_bus_write8(s, snd_field(s, s->x, CH_STATE), 0xFF);
    snd_load16(s, &s->a, s->x);
    return done(s);
}

// 0xD95B, X = a channel record: cleared, and its own instrument record.
int voice_alloc_d95b(m377_state* s) {
    if ((s->ps & (flag_m | flag_x)) != flag_m) return declined();
    snd_bus_write8(s, snd_field(s, s->x, CH_INSTRUMENT), 0);
    snd_narrow_a(s, false);
    for (uint32_t field : {0x00, 0x02, 0x04, 0x06, 0x08, 0x0A, 0x0C, 0x0E, 0x12, 0x14, 0x16, 0x18, 0x1C, 0x1E})
        snd_bus_write16(s, snd_field(s, s->x, field), 0);
    snd_load16(s, &s->a, s->x);
    snd_bus_write16(s, snd_field(s, s->x, CH_INSTRUMENT_RECORD), s->a);
    snd_narrow_a(s, true);
    return done(s);
}

// The voices' volume envelopes (the steps toward each target of the script, the hold
// with its release counter, the end) and pan scripts (the step counter before a
// script's first glide, the step reader with its loop, the two glides and the output
// through the pan routine into the voice's levels).
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_z = m377_flag_z;
constexpr uint16_t widths = m377_flag_m | m377_flag_x;

// The longest run of script bytes a routine reads before handing the voice back.
constexpr int SCRIPT_READS_MAX = 256;

constexpr uint32_t ENVELOPE_RISING = 0xEF48;
constexpr uint32_t ENVELOPE_FALLING = 0xEF5C;
constexpr uint32_t ENVELOPE_HOLDING = 0xEF6D;
constexpr uint32_t ENVELOPE_STEP_ZERO = 0xEFBC;     // a step byte 0: the emulated code's
constexpr uint32_t ENVELOPE_RELEASE_ZERO = 0xEF8C;  // a 0 met by the release scan
constexpr uint32_t ENVELOPE_HOLD = 0xFE, ENVELOPE_END = 0xFF;
constexpr uint32_t DRV_RATE_INDEX = 0xC6;           // the step's rate byte while it is read
constexpr uint32_t DRV_VEC_PAN = 0x012C;
constexpr uint32_t DRV_RATE_TABLE = 0xF206;  // words, by rate byte
constexpr uint32_t LEVELS_FROM_SCRATCH = 0xE987;
constexpr uint32_t PAN_GLIDE_IN = 0xED7B;    // a step toward its target: distance shrinking
constexpr uint32_t PAN_GLIDE_OUT = 0xED8B;   // a step with a negative distance growing to 0
constexpr uint32_t PAN_LOOPED = 0xEDA3;      // the voice's +0x00 word after a loop
constexpr uint32_t PAN_COUNTING = 0xECD9;    // steps still to wait
constexpr uint32_t PAN_LOOP = 0x84;
constexpr uint32_t PAN_SPECIAL_FIRST = 0x80, PAN_SPECIAL_END = 0x85;
// Script bytes 0x80-0x83: the emulated code's steps.
constexpr uint32_t PAN_SPECIAL[4] = {0xED3F, 0xED0B, 0xED31, 0xED12};

uint32_t field(const m377_state* s, uint32_t n) {
    return snd_field(s, s->x, n);
}

uint32_t script_peek(const m377_state* s, uint32_t address) {
    return snd_peek8(s, uint32_t(DRV_DATA_BANK) << 16 | (address & 0xFFFF));
}

// True when the envelope pairs read from `address` reach a step or a mark within the
// bound: a pair whose target is `level` reads on (read without cycles).
bool envelope_reads_bounded(const m377_state* s, uint32_t address, uint32_t level) {
    for (int n = 0; n < SCRIPT_READS_MAX; n++, address += 2) {
        uint32_t f = script_peek(s, address);
        if (!f || f == ENVELOPE_HOLD || f == ENVELOPE_END || script_peek(s, address + 1) != level) return true;
    }
    return false;
}

// True when the release check finds its mark, and the steps after it, within the bound.
bool release_bounded(const m377_state* s) {
    if (snd_peek8(s, field(s, VC_RELEASE)) != 1) return true;
    uint32_t address = snd_peek16(s, field(s, VC_ENVELOPE_READ));
    for (int n = 0; n < SCRIPT_READS_MAX; n++, address += 2) {
        uint32_t f = script_peek(s, address);
        if (!f || f == ENVELOPE_END) return true;
        if (f == ENVELOPE_HOLD)
            return envelope_reads_bounded(s, address + 1, snd_peek8(s, field(s, VC_ENVELOPE_TARGET)));
    }
    return false;
}

// The step after a reached target, or the release check, bounded (see the rulings on
// native loops): `reached` as the step will find it.
bool envelope_step_bounded(const m377_state* s, bool reached) {
    if (!reached) return release_bounded(s);
    return envelope_reads_bounded(s, snd_peek16(s, field(s, VC_ENVELOPE_READ)),
                                  snd_peek8(s, field(s, VC_ENVELOPE_TARGET)));
}

// The envelope routines run with an 8-bit accumulator and 16-bit index.
bool envelope_entry(const m377_state* s) {
    return (s->ps & widths) == m377_flag_m;
}

// A = the rate table's word for the byte in A's low byte (16-bit A; X kept), as the
// driver's ASL / TAX / LDA table,X / LDX voice sequence does it.
void rate_table_load(m377_state* s) {
    snd_load16(s, &s->a, s->a & 0xFF);
    s->a = uint16_t(snd_asl(s, s->a, 1, true));
    uint16_t voice = s->x;
    snd_load16(s, &s->x, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, DRV_RATE_TABLE + s->x));
    snd_load16(s, &s->x, voice);
}

void increment_y(m377_state* s, int delta) {
    snd_load16(s, &s->y, (s->y + delta) & 0xFFFF);
}

// The end: the voice's chip "flags" cleared (it stops), its live flag cleared.
int volume_envelope_common(m377_state* s) {
    snd_narrow_a(s, false);
    uint16_t voice = s->x;
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
    snd_load16(s, &s->a, 0);
    snd_bus_write16(s, field(s, DRV_CHIP_FLAGS), 0);
    snd_load16(s, &s->x, voice);
    snd_narrow_a(s, true);
    snd_bus_write8(s, field(s, VC_LIVE), 0);
    return snd_return_counted(s, SND_COUNTER_VOLUME_ENVELOPE);
}

// The step reader: Y = the script address, DT = 0x21, 8-bit accumulator. Pairs (rate
// byte, target) whose target is the level are passed over; the caller's pre-scan
// bounds the loop.
int volume_envelope_body(m377_state* s) {
    for (;;) {
        snd_lda8(s, snd_read_dt(s, 0));
        uint32_t f = s->a & 0xFF;
        if (!f) return snd_bail(s, ENVELOPE_STEP_ZERO, SND_COUNTER_VOLUME_ENVELOPE);
        snd_compare(s, f, ENVELOPE_END, false);
        if (f == ENVELOPE_END) return volume_envelope_common(s);
        snd_compare(s, f, ENVELOPE_HOLD, false);
        if (f == ENVELOPE_HOLD) {
            snd_narrow_a(s, false);
            snd_bus_write16(s, field(s, VC_ENVELOPE_STEP), ENVELOPE_HOLDING);
            snd_narrow_a(s, true);
            return snd_return_counted(s, SND_COUNTER_VOLUME_ENVELOPE);
        }
        snd_bus_write8(s, snd_dp(s, DRV_RATE_INDEX), f);
        snd_lda8(s, snd_read_dt(s, 1));
        increment_y(s, 2);
        snd_bus_write16(s, field(s, VC_ENVELOPE_READ), s->y);
        snd_bus_write8(s, field(s, VC_ENVELOPE_TARGET), s->a);
        snd_compare(s, s->a & 0xFF, snd_bus_read8(s, field(s, VC_ENVELOPE_LEVEL)), false);
        if (!(s->ps & flag_z)) break;
    }
    snd_narrow_a(s, false);
    snd_bus_write16(s, field(s, VC_ENVELOPE_STEP), s->ps & flag_c ? ENVELOPE_RISING : ENVELOPE_FALLING);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_RATE_INDEX)));
    rate_table_load(s);
    snd_bus_write16(s, field(s, VC_ENVELOPE_RATE), s->a);
    snd_narrow_a(s, true);
    return snd_return_counted(s, SND_COUNTER_VOLUME_ENVELOPE);
}

// The level at its target (low byte 0x80), then the next step: the one after the hold
// mark at Y (a release), else the one at +0x20.
int envelope_reached(m377_state* s, bool released) {
    snd_lda8(s, snd_bus_read8(s, field(s, VC_ENVELOPE_TARGET)));
    snd_bus_write8(s, field(s, VC_ENVELOPE_LEVEL), s->a);
    snd_lda8(s, 0x80);
    snd_bus_write8(s, field(s, VC_ENVELOPE_LEVEL - 1), s->a);
    if (released) {
        increment_y(s, 1);
    } else {
        snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_ENVELOPE_READ)));
        s->dt = DRV_DATA_BANK;
    }
    return volume_envelope_body(s);
}

// The release counter: counted down while below 0x80; at 1 the release starts at the
// script's next hold mark (the steps after it) or end.
int release_check(m377_state* s) {
    snd_lda8(s, snd_bus_read8(s, field(s, VC_RELEASE)));
    uint32_t was = s->a & 0xFF;
    if (!was) return snd_return_counted(s, SND_COUNTER_VOLUME_ENVELOPE);
    snd_step_memory(s, field(s, VC_RELEASE), -1, false);
    snd_compare(s, was, 0x80, false);
    if (was >= 0x80) return snd_return_counted(s, SND_COUNTER_VOLUME_ENVELOPE);
    snd_compare(s, was, 1, false);
    if (was != 1) return snd_return_counted(s, SND_COUNTER_VOLUME_ENVELOPE);
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_ENVELOPE_READ)));
    s->dt = DRV_DATA_BANK;
    for (;;) {  // bounded by the caller's pre-scan
        snd_lda8(s, snd_read_dt(s, 0));
        uint32_t f = s->a & 0xFF;
        if (!f) return snd_bail(s, ENVELOPE_RELEASE_ZERO, SND_COUNTER_VOLUME_ENVELOPE);
        snd_compare(s, f, ENVELOPE_HOLD, false);
        if (f == ENVELOPE_HOLD) return envelope_reached(s, true);
        snd_compare(s, f, ENVELOPE_END, false);
        if (f == ENVELOPE_END) return volume_envelope_common(s);
        increment_y(s, 2);
    }
}

// True when the pan script read from `address` reaches a step within the bound: only the
// loop byte reads on, from the loop point +0x3E (read without cycles).
bool pan_reads_bounded(const m377_state* s, uint32_t address) {
    uint32_t loop = snd_peek16(s, field(s, VC_PAN_LOOP));
    for (int n = 0; n < SCRIPT_READS_MAX; n++, address = loop)
        if (script_peek(s, address) != PAN_LOOP) return true;
    return false;
}

// The pan routines run with an 8-bit accumulator and 16-bit index.
bool pan_entry(const m377_state* s) {
    return (s->ps & widths) == m377_flag_m;
}

// SEC, SBC at 8 bits into A's low byte.
void subtract_from_a8(m377_state* s, uint32_t value) {
    s->ps |= flag_c;
    s->a = uint16_t((s->a & 0xFF00) | snd_adc8(s, s->a, ~value & 0xFF));
}

// The position short of the target by the distance through the pan routine, then the
// voice's levels (0xE987 goes on).
int pan_script_common(m377_state* s) {
    snd_lda8(s, snd_bus_read8(s, field(s, VC_PAN_TARGET)));
    subtract_from_a8(s, snd_bus_read8(s, field(s, VC_PAN_DISTANCE + 1)));
    if (snd_call_vector(s, DRV_VEC_PAN)) return 1;
    snd_narrow_a(s, false);
    s->pc = uint16_t(LEVELS_FROM_SCRATCH);
    return snd_count_ran(SND_COUNTER_PAN_SCRIPT);
}

// The step reader: Y = the read address, DT = 0x21, 8-bit accumulator. The caller's
// pre-scan bounds the loop.
int pan_script_body(m377_state* s) {
    for (;;) {
        snd_lda8(s, snd_read_dt(s, 0));
        uint32_t c = s->a & 0xFF;
        snd_compare(s, c, PAN_LOOP, false);
        if (c != PAN_LOOP) break;
        snd_lda8(s, 0);
        snd_bus_write8(s, field(s, VC_PAN_STEPS), 0);
        snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_PAN_LOOP)));
        snd_bus_write16(s, field(s, VC_PAN_READ), s->y);
        increment_y(s, -1);
        snd_lda8(s, snd_read_dt(s, 0));
        increment_y(s, 1);
        snd_bus_write8(s, field(s, VC_PAN_DISTANCE + 1), s->a);
        snd_bus_write8(s, field(s, VC_PAN_TARGET), s->a);
        snd_narrow_a(s, false);
        snd_bus_write16(s, field(s, 0x00), PAN_LOOPED);
        snd_narrow_a(s, true);
    }
    uint32_t c = s->a & 0xFF;
    snd_compare(s, c, PAN_SPECIAL_FIRST, false);
    if (c >= PAN_SPECIAL_FIRST) {
        snd_compare(s, c, PAN_SPECIAL_END, false);
        if (c < PAN_SPECIAL_END) {
            uint32_t k = c - PAN_SPECIAL_FIRST;
            for (uint32_t i = 0; i <= k && i < 3; i++) snd_compare(s, c, PAN_SPECIAL_FIRST + i, false);
            return snd_bail(s, PAN_SPECIAL[k], SND_COUNTER_PAN_SCRIPT);
        }
        snd_lda8(s, c ^ 0xFF);
        snd_lda8(s, (s->a + 1) & 0xFF);
    }
    snd_narrow_a(s, false);
    snd_bus_write16(s, field(s, VC_PAN_VOLUME), c < PAN_SPECIAL_FIRST ? PAN_GLIDE_IN : PAN_GLIDE_OUT);
    rate_table_load(s);
    snd_bus_write16(s, field(s, VC_PAN_RATE), s->a);
    snd_narrow_a(s, true);
    snd_lda8(s, snd_read_dt(s, 1));
    subtract_from_a8(s, snd_bus_read8(s, field(s, VC_PAN_TARGET)));
    snd_bus_write8(s, field(s, VC_PAN_DISTANCE + 1), s->a);
    snd_lda8(s, snd_read_dt(s, 1));
    snd_bus_write8(s, field(s, VC_PAN_TARGET), s->a);
    snd_bus_write8(s, field(s, VC_PAN_DISTANCE), 0);
    increment_y(s, 2);
    snd_bus_write16(s, field(s, VC_PAN_READ), s->y);
    return pan_script_common(s);
}

// The next step from the read address +0x6A.
int pan_script_next(m377_state* s) {
    snd_narrow_a(s, true);
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_PAN_READ)));
    s->dt = DRV_DATA_BANK;
    return pan_script_body(s);
}

}  // namespace

// 0xEF48 (8-bit accumulator): X = the voice: the attenuation rises by the rate; at or
// past the target the next step, else the release check.
int volume_envelope_ef48(m377_state* s) {
    uint32_t sum = snd_peek16(s, field(s, VC_ENVELOPE_LEVEL - 1)) + snd_peek16(s, field(s, VC_ENVELOPE_RATE));
    bool reached = sum > 0xFFFF || (sum >> 8) >= snd_peek8(s, field(s, VC_ENVELOPE_TARGET));
    if (!envelope_entry(s) || !envelope_step_bounded(s, reached))
        return snd_count_declined(SND_COUNTER_VOLUME_ENVELOPE);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_ENVELOPE_LEVEL - 1)));
    s->ps &= ~flag_c;
    s->a = uint16_t(snd_adc16(s, s->a, snd_bus_read16(s, field(s, VC_ENVELOPE_RATE))));
    snd_bus_write16(s, field(s, VC_ENVELOPE_LEVEL - 1), s->a);
    snd_narrow_a(s, true);
    if (s->ps & flag_c) return envelope_reached(s, false);
    snd_lda8(s, snd_bus_read8(s, field(s, VC_ENVELOPE_LEVEL)));
    snd_compare(s, s->a & 0xFF, snd_bus_read8(s, field(s, VC_ENVELOPE_TARGET)), false);
    if (s->ps & flag_c) return envelope_reached(s, false);
    return release_check(s);
}

// 0xEF5C (8-bit accumulator): the attenuation falls by the rate.
int volume_envelope_ef5c(m377_state* s) {
    uint32_t level = snd_peek16(s, field(s, VC_ENVELOPE_LEVEL - 1)), rate = snd_peek16(s, field(s, VC_ENVELOPE_RATE));
    bool reached = level < rate || snd_peek8(s, field(s, VC_ENVELOPE_TARGET)) >= ((level - rate) >> 8);
    if (!envelope_entry(s) || !envelope_step_bounded(s, reached))
        return snd_count_declined(SND_COUNTER_VOLUME_ENVELOPE);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_ENVELOPE_LEVEL - 1)));
    s->ps |= flag_c;
    s->a = uint16_t(snd_adc16(s, s->a, ~snd_bus_read16(s, field(s, VC_ENVELOPE_RATE)) & 0xFFFF));
    snd_bus_write16(s, field(s, VC_ENVELOPE_LEVEL - 1), s->a);
    snd_narrow_a(s, true);
    if (!(s->ps & flag_c)) return envelope_reached(s, false);
    snd_lda8(s, snd_bus_read8(s, field(s, VC_ENVELOPE_TARGET)));
    snd_compare(s, s->a & 0xFF, snd_bus_read8(s, field(s, VC_ENVELOPE_LEVEL)), false);
    if (s->ps & flag_c) return envelope_reached(s, false);
    return release_check(s);
}

// 0xEF6D (8-bit accumulator): held: only the release counter runs.
int volume_envelope_ef6d(m377_state* s) {
    if (!envelope_entry(s) || !release_bounded(s)) return snd_count_declined(SND_COUNTER_VOLUME_ENVELOPE);
    return release_check(s);
}

// 0xEF9D (8-bit accumulator): X = the voice, Y = its script (bank 0x21 in DT): the next
// step, the hold point or the end.
int volume_envelope_ef9d(m377_state* s) {
    if (!envelope_entry(s) ||
        !envelope_reads_bounded(s, s->y, snd_peek8(s, field(s, VC_ENVELOPE_LEVEL))) || s->dt != DRV_DATA_BANK)
        return snd_count_declined(SND_COUNTER_VOLUME_ENVELOPE);
    return volume_envelope_body(s);
}

// 0xEFAE: X = the voice: its envelope ended, the voice stops and is free.
int volume_envelope_efae(m377_state* s) {
    if (s->ps & m377_flag_x) return snd_count_declined(SND_COUNTER_VOLUME_ENVELOPE);
    return volume_envelope_common(s);
}

// 0xECD4 (8-bit accumulator): X = the voice: the steps a script waits before its first
// glide; the last one reads the first step.
int pan_script_ecd4(m377_state* s) {
    if (!pan_entry(s) || (snd_peek8(s, field(s, VC_PAN_STEPS)) == 1 &&
                          !pan_reads_bounded(s, snd_peek16(s, field(s, VC_PAN_READ)))))
        return snd_count_declined(SND_COUNTER_PAN_SCRIPT);
    snd_step_memory(s, field(s, VC_PAN_STEPS), -1, false);
    if (!(s->ps & flag_z)) return snd_bail(s, PAN_COUNTING, SND_COUNTER_PAN_SCRIPT);
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_PAN_READ)));
    s->dt = DRV_DATA_BANK;
    snd_lda8(s, snd_read_dt(s, 0));
    snd_bus_write8(s, field(s, VC_PAN_DISTANCE + 1), s->a);
    snd_lda8(s, 0x80);
    snd_bus_write8(s, field(s, VC_PAN_DISTANCE), s->a);
    return pan_script_body(s);
}

// 0xED7B (8-bit accumulator): X = the voice: the distance to the target shrinks by the
// step; a step larger than what is left reads the next.
int pan_script_ed7b(m377_state* s) {
    uint32_t distance = snd_peek16(s, field(s, VC_PAN_DISTANCE)), rate = snd_peek16(s, field(s, VC_PAN_RATE));
    if (!pan_entry(s) || (distance < rate && !pan_reads_bounded(s, snd_peek16(s, field(s, VC_PAN_READ)))))
        return snd_count_declined(SND_COUNTER_PAN_SCRIPT);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_PAN_DISTANCE)));
    snd_compare(s, s->a, snd_bus_read16(s, field(s, VC_PAN_RATE)), true);
    if (!(s->ps & flag_c)) return pan_script_next(s);
    s->a = uint16_t(snd_adc16(s, s->a, ~snd_bus_read16(s, field(s, VC_PAN_RATE)) & 0xFFFF));
    snd_bus_write16(s, field(s, VC_PAN_DISTANCE), s->a);
    snd_narrow_a(s, true);
    return pan_script_common(s);
}

// 0xED8B (8-bit accumulator): X = the voice: a negative distance grows by the step; at
// 0 or past it the next step is read.
int pan_script_ed8b(m377_state* s) {
    uint32_t distance = snd_peek16(s, field(s, VC_PAN_DISTANCE)), rate = snd_peek16(s, field(s, VC_PAN_RATE));
    if (!pan_entry(s) || ((!distance || distance + rate > 0xFFFF) &&
                          !pan_reads_bounded(s, snd_peek16(s, field(s, VC_PAN_READ)))))
        return snd_count_declined(SND_COUNTER_PAN_SCRIPT);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_PAN_DISTANCE)));
    if (!s->a) return pan_script_next(s);
    s->ps &= ~flag_c;
    s->a = uint16_t(snd_adc16(s, s->a, snd_bus_read16(s, field(s, VC_PAN_RATE))));
    if (s->ps & flag_c) return pan_script_next(s);
    snd_bus_write16(s, field(s, VC_PAN_DISTANCE), s->a);
    snd_narrow_a(s, true);
    return pan_script_common(s);
}

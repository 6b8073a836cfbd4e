// Support of the readable sound-driver routines: bus, stack and flag operations,
// declining and bailing, the timed window, the cost check and the statistics.
#include "sound/snd_native.h"

#include "base/env_switch.h"
#include "sound/m37702_bus.h"
#include "sound/sound_board.h"
#include "sound/sound_cpu_run.h"

#include <cstdio>
#include <cstdlib>

const char* const snd_counter_names[SND_COUNTER_COUNT] = {
    "voice_volume_from_channel 0xE97E",
    "voice_volume_from_scratch 0xE987",
    "pitch_glide 0xEBB8",
    "pitch_envelope 0xEBFD",
    "pan_to_speakers 0xE87E",
    "slot_level 0xD745",
    "tick 0xC258 (untimed)",
    "tick_body 0xD684 (untimed)",
    "mailbox 0xD6E3 (untimed)",
    "channels 0xE46E (untimed)",
    "channel_update 0xE8DB (untimed)",
    "hook fx1 +0x5C 0xEF45",
    "hook fx4 +0x5A 0xE9D6",
    "hook volume +0x60 0xECAA",
    "pan_then_volume 0xECC4",
    "note_event 0xE4E7 (untimed)",
    "key_on 0xE5A7 (untimed)",
    "sequencer 0xD9D0 (untimed)",
    "sequence commands (readable ones)",
    "idle wait 0xC12B (skipped to next event)",
    "new command 0xD788 (untimed)",
    "stop track 0xE18D (untimed)",
    "stop slot + children 0xD982 (untimed)",
    "voice allocator (6 routines, untimed)",
    "volume envelope (untimed)",
    "sample change 0xF013/0xF064 (untimed)",
    "sample streaming 0xEB29 (untimed)",
    "fixed pan 0xE7FE (untimed)",
    "pan script 0xECD4/0xED7B/0xED8B (untimed)",
};
uint64_t snd_ran[SND_COUNTER_COUNT + 1];
uint64_t snd_declined[SND_COUNTER_COUNT];
uint64_t snd_seq_command_runs[64];
bool snd_notimed = false;
bool snd_notimed_read = false;

namespace {

// "Set, not empty and not beginning with '0'".
bool counter_valid(int index) {
    return index >= 0 && index < SND_COUNTER_COUNT;
}

}  // namespace

int snd_window_ok(m377_state* s, uint32_t cost) {
    if (!snd_notimed_read) {
        snd_notimed_read = true;
        snd_notimed = env_present("SKYVOLTA_SNDNOTIMED");
    }
    if (snd_notimed) return 0;
    uint64_t end = s->cycles + cost;
    if (end < m377_next_event(s) && end < mcu_slice_end()) return 1;
    snd_ran[SND_WINDOW_DENIED]++;
    return 0;
}

int snd_cost_check(m377_state* s, uint32_t site, uint64_t start, uint32_t declared) {
    uint64_t cost = s->cycles - start;
    if (cost <= declared) return 0;
    fprintf(stderr, "[SND] readable routine at %06X cost %llu cycles, declared at most %u -- raise SND_ENTRY's maxcyc\n",
            site, (unsigned long long)cost, declared);
    s->halted = 1;
    s->halt_pc = site;
    s->halt_code = m377_halt_over_cost;
    return 1;
}

int snd_count_ran(int index) {
    static bool stats_checked = false;
    if (!stats_checked) {
        stats_checked = true;
        if (env_on("SKYVOLTA_SNDSTATS", true)) atexit(snd_stats_print);
    }
    if (counter_valid(index)) snd_ran[index]++;
    return 1;
}

int snd_count_declined(int index) {
    if (counter_valid(index)) snd_declined[index]++;
    return 0;
}

bool snd_trace_on() {
    static int trace = -1;
    if (trace < 0) trace = env_on("SKYVOLTA_SNDTRACE", true);
    return trace;
}

int snd_bail(m377_state* s, uint32_t address, int index) {
    s->pc = uint16_t(address);
    snd_count_declined(index);
    if (snd_trace_on()) printf("[SEQ] bail to %04X Y=%04X\n", address & 0xFFFF, s->y);
    return 1;
}

int snd_return_counted(m377_state* s, int index) {
    s->pc = uint16_t(m377_pull16(s));
    return snd_count_ran(index);
}

int snd_return_from_driver_call(m377_state* s) {
    return snd_return_counted(s, SND_COUNTER_SEQ_COMMANDS);
}

int snd_call_vector(m377_state* s, uint32_t vector) {
    return snd_call_driver(s, m377_read16(s, vector));
}

void snd_stats_print() {
    fprintf(stderr, "[SND] readable routines (ran / declined), atomic window denied %llu times:\n",
            (unsigned long long)snd_ran[SND_WINDOW_DENIED]);
    for (int i = 0; i < SND_COUNTER_COUNT; i++)
        fprintf(stderr, "[SND]   %-36s %10llu / %llu\n", snd_counter_names[i], (unsigned long long)snd_ran[i],
                (unsigned long long)snd_declined[i]);
    fprintf(stderr, "[SND] sequencer commands run:");
    for (int code = 0; code < 64; code++)
        if (snd_seq_command_runs[code])
            fprintf(stderr, " %02X:%llu", code, (unsigned long long)snd_seq_command_runs[code]);
    fputc('\n', stderr);
}

uint32_t snd_bus_read8(m377_state* s, uint32_t address) {
    return m377_bus_read8(s, address);
}

uint32_t snd_bus_read16(m377_state* s, uint32_t address) {
    return m377_read16(s, address);
}

void snd_bus_write8(m377_state* s, uint32_t address, uint32_t value) {
    m377_bus_write8(s, address, value);
}

void snd_bus_write16(m377_state* s, uint32_t address, uint32_t value) {
    m377_write16(s, address, value);
}

uint32_t snd_read_dt(m377_state* s, uint32_t offset) {
    return m377_bus_read8(s, (uint32_t(s->dt) << 16) + s->y + offset);
}

uint32_t snd_pull16(m377_state* s) {
    return m377_pull16(s);
}

void snd_push16(m377_state* s, uint32_t value) {
    m377_push16(s, value);
}

uint32_t snd_pull8(m377_state* s) {
    return m377_pull8(s);
}

void snd_push8(m377_state* s, uint32_t value) {
    m377_push8(s, value);
}

uint32_t snd_peek8(const m377_state* s, uint32_t address) {
    return s->bus_read(s->bus_user, address & 0xFFFFFF);
}

uint32_t snd_peek16(const m377_state* s, uint32_t address) {
    return snd_peek8(s, address) | snd_peek8(s, address + 1) << 8;
}

void snd_set_nz(m377_state* s, uint32_t value, bool wide) {
    uint32_t mask = wide ? 0xFFFF : 0xFF, sign = wide ? 0x8000 : 0x80;
    uint16_t ps = s->ps & ~(m377_flag_z | m377_flag_n);
    if (!(value & mask)) ps |= m377_flag_z;
    if (value & sign) ps |= m377_flag_n;
    s->ps = ps;
}

void snd_lda8(m377_state* s, uint32_t value) {
    s->a = uint16_t((s->a & 0xFF00) | (value & 0xFF));
    snd_set_nz(s, value, false);
}

void snd_compare(m377_state* s, uint32_t a, uint32_t b, bool wide) {
    m377_compare(s, a, b, wide);
}

namespace {

uint32_t add_with_carry(m377_state* s, uint32_t a, uint32_t b, bool wide) {
    uint32_t mask = wide ? 0xFFFF : 0xFF, sign = wide ? 0x8000 : 0x80;
    a &= mask;
    b &= mask;
    uint32_t sum = a + b + (s->ps & m377_flag_c);
    uint32_t result = sum & mask;
    uint16_t ps = s->ps & ~(m377_flag_c | m377_flag_v | m377_flag_z | m377_flag_n);
    if (sum > mask) ps |= m377_flag_c;
    if ((a ^ result) & ~(a ^ b) & sign) ps |= m377_flag_v;
    if (!result) ps |= m377_flag_z;
    if (result & sign) ps |= m377_flag_n;
    s->ps = ps;
    return result;
}

}  // namespace

uint32_t snd_adc8(m377_state* s, uint32_t a, uint32_t b) {
    return add_with_carry(s, a, b, false);
}

uint32_t snd_adc16(m377_state* s, uint32_t a, uint32_t b) {
    return add_with_carry(s, a, b, true);
}

void snd_load16(m377_state* s, uint16_t* reg, uint32_t value) {
    *reg = uint16_t(value);
    snd_set_nz(s, value, true);
}

void snd_step_x(m377_state* s, uint32_t amount) {
    snd_load16(s, &s->a, s->x);
    s->ps &= ~m377_flag_c;
    snd_load16(s, &s->x, snd_adc16(s, s->a, amount));
    s->a = s->x;
}

namespace {

uint32_t shift(m377_state* s, uint32_t value, int count, bool wide, bool left) {
    uint32_t mask = wide ? 0xFFFF : 0xFF, sign = wide ? 0x8000 : 0x80;
    value &= mask;
    for (int i = 0; i < count; i++) {
        bool out = left ? (value & sign) != 0 : (value & 1) != 0;
        s->ps = out ? uint16_t(s->ps | m377_flag_c) : uint16_t(s->ps & ~m377_flag_c);
        value = (left ? value << 1 : value >> 1) & mask;
    }
    snd_set_nz(s, value, wide);
    return value;
}

}  // namespace

uint32_t snd_asl(m377_state* s, uint32_t value, int count, bool wide) {
    return shift(s, value, count, wide, true);
}

uint32_t snd_lsr(m377_state* s, uint32_t value, int count, bool wide) {
    return shift(s, value, count, wide, false);
}

uint32_t snd_step_memory(m377_state* s, uint32_t address, int delta, bool wide) {
    uint32_t mask = wide ? 0xFFFF : 0xFF;
    uint32_t value = (m377_read_w(s, address, !wide) + uint32_t(delta)) & mask;
    m377_write_w(s, address, value, !wide);
    snd_set_nz(s, value, wide);
    return value;
}

void snd_narrow_a(m377_state* s, bool narrow) {
    s->ps = narrow ? uint16_t(s->ps | m377_flag_m) : uint16_t(s->ps & ~m377_flag_m);
}
